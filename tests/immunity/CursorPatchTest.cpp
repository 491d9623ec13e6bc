#include <gtest/gtest.h>

#include "immunity/CursorPatch.h"
#include "immunity/InstallerTrust.h"
#include "support/RecordingSeams.h"
#include "support/Scratch.h"
#include "system/SysUtils.h"

namespace {

std::string NameOf(DWORD platform, DWORD major, DWORD minor, const char* sp = "") {
  OSVERSIONINFOA v{sizeof v, major, minor, 0, platform, {}};
  lstrcpyA(v.szCSDVersion, sp);
  return WindowsVersionNameOf(v);
}

// Answers yes or no; records what the file held and whether it could be changed meanwhile.
class TTrustStub : public IInstallerTrust {
 public:
  explicit TTrustStub(bool answer) : answer_(answer) {}
  bool IsVendorSigned(const std::string& path) override {
    ++Calls;
    Path = path;
    Bytes = ReadTextFile(path);
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 7, nullptr, OPEN_EXISTING, 0, nullptr);
    Writable = h != INVALID_HANDLE_VALUE;
    if (Writable) CloseHandle(h);
    return answer_;
  }
  int Calls = 0;
  std::string Path, Bytes;
  bool Writable = true;

 private:
  bool answer_;
};

class PatchInstall : public testing::Test {
 protected:
  PatchInstall() {
    GetCurrentDirectoryA(MAX_PATH, oldDir_);
    SetCurrentDirectoryA(dir_.Path().c_str());
    WriteTextFile(local_, "MZ installer bytes");
  }
  ~PatchInstall() override { SetCurrentDirectoryA(oldDir_); }

  TSeamGuard seams_;
  TScratchDir dir_{CurrentTestName()};
  char oldDir_[MAX_PATH] = "";
  const std::string local_ = dir_.Path() + "KB925902.exe";
  const std::string saved_ = dir_.Path() + "ms0717.exe";
  const std::string noServer_ = "https://127.0.0.1:9/ms0717.exe";  // refused at once
};

}  // namespace

TEST(CursorPatchChecks, OnlyWindows2000AndXpTakeThePatchAndOnlyTheVendorSigns) {
  EXPECT_TRUE(CursorPatchApplies(NameOf(2, 5, 0)));
  EXPECT_TRUE(CursorPatchApplies(NameOf(2, 5, 1)));
  EXPECT_FALSE(CursorPatchApplies(NameOf(2, 5, 2)));
  EXPECT_FALSE(CursorPatchApplies(NameOf(2, 6, 1)));
  EXPECT_FALSE(CursorPatchApplies(NameOf(1, 4, 10, " A ")));

  TScratchDir dir(CurrentTestName());
  ASSERT_TRUE(CopyFileA(ExeFileName().c_str(), (dir.Path() + "unsigned.exe").c_str(), FALSE));
  TAuthenticodeTrust trust;
  EXPECT_FALSE(trust.IsVendorSigned(dir.Path() + "unsigned.exe"));
  EXPECT_FALSE(trust.IsVendorSigned(dir.Path() + "missing.exe"));
  EXPECT_TRUE(IsVendorCertificateChain("Microsoft Corporation", "Microsoft Root Authority"));
  // The vendor's name certified by another authority, or another signer, is refused.
  EXPECT_FALSE(IsVendorCertificateChain("Microsoft Corporation", "VeriSign Class 3 Public"));
  EXPECT_FALSE(IsVendorCertificateChain("Microsoft Corp", "Microsoft Root Authority"));
}

TEST_F(PatchInstall, ATrustedInstallerRunsHiddenFromTheCurrentFolderAndIsDeleted) {
  TTrustStub trust(true);
  EXPECT_TRUE(InstallCursorPatch({local_, noServer_}, trust));
  EXPECT_EQ(trust.Path, saved_);
  EXPECT_EQ(trust.Bytes, "MZ installer bytes");
  EXPECT_FALSE(trust.Writable);
  ASSERT_EQ(seams_.Processes.Count(), 1u);
  const TProcessCall call = seams_.Processes.Calls()[0];
  EXPECT_EQ(call.CommandLine, "\"" + saved_ + "\"  /passive /norestart");
  EXPECT_EQ(call.ShowCommand, 0u);
  EXPECT_FALSE(call.Waited);
  EXPECT_FALSE(PathExists(saved_));
  EXPECT_TRUE(PathExists(local_));  // the user's copy stays
}

TEST_F(PatchInstall, NothingRunsWithoutBytesOrTrustAndAFailedStartIsNoSuccess) {
  TTrustStub accept(true), refuse(false);
  EXPECT_FALSE(InstallCursorPatch({dir_.Path() + "absent.exe", noServer_}, accept));
  EXPECT_FALSE(InstallCursorPatch({dir_.Path() + "absent.exe", ""}, accept));
  EXPECT_EQ(accept.Calls, 0);
  EXPECT_FALSE(InstallCursorPatch({local_, noServer_}, refuse));
  EXPECT_EQ(seams_.Processes.Count(), 0u);
  EXPECT_FALSE(PathExists(saved_));

  seams_.Processes.SetWinExecResult(ERROR_FILE_NOT_FOUND);
  EXPECT_FALSE(InstallCursorPatch({local_, noServer_}, accept));
  EXPECT_FALSE(PathExists(saved_));
}
