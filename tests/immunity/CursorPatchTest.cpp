#include <gtest/gtest.h>

#include "immunity/CursorPatch.h"
#include "immunity/InstallerTrust.h"
#include "support/RecordingSeams.h"
#include "support/Scratch.h"
#include "system/SysUtils.h"

namespace {

OSVERSIONINFOA Version(DWORD platform, DWORD major, DWORD minor, const char* sp = "") {
  OSVERSIONINFOA v{};
  v.dwOSVersionInfoSize = sizeof v;
  v.dwPlatformId = platform;
  v.dwMajorVersion = major;
  v.dwMinorVersion = minor;
  lstrcpyA(v.szCSDVersion, sp);
  return v;
}

// Says yes or no, and records what the installer file held and whether it could be changed
// while it was being judged.
class TTrustStub : public IInstallerTrust {
 public:
  explicit TTrustStub(bool answer) : answer_(answer) {}
  bool IsVendorSigned(const std::string& path) override {
    ++Calls;
    Path = path;
    Bytes = ReadTextFile(path);
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    WritableMeanwhile = h != INVALID_HANDLE_VALUE;
    if (WritableMeanwhile) CloseHandle(h);
    return answer_;
  }
  int Calls = 0;
  std::string Path, Bytes;
  bool WritableMeanwhile = true;

 private:
  bool answer_;
};

class PatchInstall : public testing::Test {
 protected:
  PatchInstall() : dir_(CurrentTestName()) {
    GetCurrentDirectoryA(MAX_PATH, oldDir_);
    SetCurrentDirectoryA(dir_.Path().c_str());
    WriteTextFile(local_, "MZ installer bytes");
  }
  ~PatchInstall() override { SetCurrentDirectoryA(oldDir_); }

  TSeamGuard seams_;
  TScratchDir dir_;
  char oldDir_[MAX_PATH] = "";
  const std::string local_ = dir_.Path() + "KB925902.exe";
  const std::string saved_ = dir_.Path() + "ms0717.exe";
  // Nothing listens there: the download fails at once.
  const std::string noServer_ = "https://127.0.0.1:9/ms0717.exe";
};

}  // namespace

TEST(CursorPatchDecision, OnlyWindows2000AndXpTakeThePatch) {
  EXPECT_TRUE(CursorPatchApplies(WindowsVersionNameOf(Version(2, 5, 0))));
  EXPECT_TRUE(CursorPatchApplies(WindowsVersionNameOf(Version(2, 5, 1))));
  EXPECT_FALSE(CursorPatchApplies(WindowsVersionNameOf(Version(2, 5, 2))));
  EXPECT_FALSE(CursorPatchApplies(WindowsVersionNameOf(Version(2, 6, 1))));
  EXPECT_FALSE(CursorPatchApplies(WindowsVersionNameOf(Version(1, 4, 10, " A "))));
  EXPECT_FALSE(CursorPatchApplies(WindowsVersionNameOf(Version(2, 4, 0))));
}

TEST(InstallerTrustCheck, TheRealCheckRefusesUnsignedAndMissingFiles) {
  TScratchDir dir(CurrentTestName());
  const std::string copy = dir.Path() + "unsigned.exe";
  ASSERT_TRUE(CopyFileA(ExeFileName().c_str(), copy.c_str(), FALSE));
  TAuthenticodeTrust trust;
  EXPECT_FALSE(trust.IsVendorSigned(copy));
  EXPECT_FALSE(trust.IsVendorSigned(dir.Path() + "missing.exe"));
}

TEST(InstallerTrustCheck, TheVendorsNameCountsOnlyUnderTheVendorsRoot) {
  EXPECT_TRUE(IsVendorCertificateChain("Microsoft Corporation", "Microsoft Root Authority"));
  EXPECT_TRUE(IsVendorCertificateChain("Microsoft Corporation",
                                       "Microsoft Root Certificate Authority 2010"));
  // The vendor's name on a certificate from another authority, and another signer.
  EXPECT_FALSE(
      IsVendorCertificateChain("Microsoft Corporation", "VeriSign Class 3 Public Primary"));
  EXPECT_FALSE(IsVendorCertificateChain("Microsoft Corp", "Microsoft Root Authority"));
  EXPECT_FALSE(IsVendorCertificateChain("", ""));
}

TEST_F(PatchInstall, ATrustedInstallerRunsHiddenFromTheCurrentFolderAndIsDeleted) {
  TTrustStub trust(true);
  EXPECT_TRUE(InstallCursorPatch({local_, noServer_}, trust));
  EXPECT_EQ(trust.Calls, 1);
  EXPECT_EQ(trust.Path, saved_);
  EXPECT_EQ(trust.Bytes, "MZ installer bytes");
  EXPECT_FALSE(trust.WritableMeanwhile);
  ASSERT_EQ(seams_.Processes.Count(), 1u);
  const TProcessCall call = seams_.Processes.Calls()[0];
  EXPECT_EQ(call.CommandLine, "\"" + saved_ + "\"  /passive /norestart");
  EXPECT_EQ(call.ShowCommand, 0u);
  EXPECT_FALSE(call.Waited);
  EXPECT_FALSE(PathExists(saved_));
  EXPECT_TRUE(PathExists(local_));  // the user's copy stays
}

TEST_F(PatchInstall, ARefusedOrUnstartedInstallerIsNotReportedAsInstalled) {
  TTrustStub refuse(false);
  EXPECT_FALSE(InstallCursorPatch({local_, noServer_}, refuse));
  EXPECT_EQ(seams_.Processes.Count(), 0u);
  EXPECT_FALSE(PathExists(saved_));

  TTrustStub accept(true);
  seams_.Processes.SetWinExecResult(ERROR_FILE_NOT_FOUND);
  EXPECT_FALSE(InstallCursorPatch({local_, noServer_}, accept));
  EXPECT_FALSE(PathExists(saved_));
}

TEST_F(PatchInstall, WithoutALocalFileOrADownloadNothingIsWrittenOrAsked) {
  TTrustStub trust(true);
  EXPECT_FALSE(InstallCursorPatch({dir_.Path() + "absent.exe", noServer_}, trust));
  EXPECT_FALSE(InstallCursorPatch({dir_.Path() + "absent.exe", ""}, trust));
  EXPECT_EQ(trust.Calls, 0);
  EXPECT_EQ(seams_.Processes.Count(), 0u);
  EXPECT_FALSE(PathExists(saved_));
}
