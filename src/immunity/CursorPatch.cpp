#include "immunity/CursorPatch.h"

#include <windows.h>
#include <wininet.h>

#include <algorithm>

#include "immunity/InstallerTrust.h"
#include "system/Text.h"
#include "system/DllFunction.h"
#include "system/Handles.h"
#include "system/Registry.h"
#include "system/Seams.h"
#include "system/SysUtils.h"
#include "system/WholeFile.h"

const char kBulletinUrl[] =
    "https://learn.microsoft.com/zh-cn/security-updates/securitybulletins/2007/ms07-017";
const char kLocalInstallerName[] = "KB925902.exe";
const char kPatchInstallerFile[] = "ms0717.exe";
const char kPatchParameters[] = "  /passive /norestart";

namespace {

const char kUpdatesKey[] = "\\SOFTWARE\\Microsoft\\Updates\\";
const char kPatchId[] = "KB925902";
const size_t kMaxInstallerSize = 32u << 20;

// wininet is loaded only when a download is asked for.
struct TWinInet {
  decltype(&::InternetOpenA) Open =
      DllFunction<decltype(::InternetOpenA)>(kWinInet, "InternetOpenA");
  decltype(&::InternetSetOptionA) SetOption =
      DllFunction<decltype(::InternetSetOptionA)>(kWinInet, "InternetSetOptionA");
  decltype(&::InternetOpenUrlA) OpenUrl =
      DllFunction<decltype(::InternetOpenUrlA)>(kWinInet, "InternetOpenUrlA");
  decltype(&::HttpQueryInfoA) QueryInfo =
      DllFunction<decltype(::HttpQueryInfoA)>(kWinInet, "HttpQueryInfoA");
  decltype(&::InternetReadFile) ReadFile =
      DllFunction<decltype(::InternetReadFile)>(kWinInet, "InternetReadFile");
  decltype(&::InternetCloseHandle) CloseHandle =
      DllFunction<decltype(::InternetCloseHandle)>(kWinInet, "InternetCloseHandle");
  bool Loaded() const {
    return Open && SetOption && OpenUrl && QueryInfo && ReadFile && CloseHandle;
  }
  static constexpr const char* kWinInet = "wininet.dll";
};

// Only a loaded wininet hands out these handles, so its close function is there to release them.
void CloseInternetHandle(HINTERNET h) {
  if (const auto close =
          DllFunction<decltype(::InternetCloseHandle)>(TWinInet::kWinInet, "InternetCloseHandle"))
    close(h);
}
using TInternetHandle = TOwned<handle_traits::TNullEmpty<HINTERNET, CloseInternetHandle>>;

std::string CurrentDirectory() {
  wchar_t buf[MAX_PATH + 1] = L"";
  const DWORD n = GetCurrentDirectoryW(MAX_PATH + 1, buf);
  return n > 0 && n < MAX_PATH + 1 ? IncludeTrailingBackslash(NarrowFrom(buf)) : std::string();
}

}  // namespace

bool CursorPatchApplies(const std::string& osFamily) {
  return osFamily == "Windows 2000" || osFamily == "Windows XP";
}

TPatchDetection DetectCursorPatch(const std::string& osFamily) {
  const std::string base = kUpdatesKey + osFamily;
  TRegistry reg;
  reg.SetRootKey(HKEY_LOCAL_MACHINE);
  if (!reg.OpenKey(base, false)) return TPatchDetection::Unknown;
  const std::vector<std::string> servicePacks = reg.GetKeyNames();
  reg.CloseKey();
  TPatchDetection result = TPatchDetection::Unknown;
  for (const std::string& sp : servicePacks) {
    if (!reg.OpenKey(base + "\\" + sp, false)) continue;
    std::string listed;
    for (const std::string& name : reg.GetKeyNames()) listed += name + "\r\n";
    reg.CloseKey();
    if (listed.find(kPatchId) != std::string::npos)
      result = TPatchDetection::Found;
    else if (result != TPatchDetection::Found)
      result = TPatchDetection::NotFound;
  }
  return result;
}

std::string PatchDownloadUrl(const std::string& osFamily) {
  // The vendor's download server; it answers over HTTPS.
  if (osFamily == "Windows XP")
    return "https://download.microsoft.com/download/c/4/a/c4a1c27d-85bb-447e-b2bc-178b77f7e06f/"
           "WindowsXP-KB925902-x86-CHT.exe";
  if (osFamily == "Windows 2000")
    return "https://download.microsoft.com/download/8/6/c/86ce9b67-4983-4596-9c91-23d74c6b0916/"
           "Windows2000-KB925902-x86-CHT.EXE";
  return "";
}

TPatchSources DefaultPatchSources(const std::string& osFamily) {
  return {ExtractFilePath(ExeFileName()) + kLocalInstallerName, PatchDownloadUrl(osFamily)};
}

bool ReadInstallerFile(const std::string& path, std::vector<char>& bytes) {
  bytes.clear();
  TKernelHandle file(CreateFileW(WideFrom(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  DWORD high = 0;
  const DWORD size = GetFileSize(file.get(), &high);
  if (size == INVALID_FILE_SIZE || high != 0 || size == 0 || size > kMaxInstallerSize) return false;
  bytes.resize(size);
  DWORD got = 0;
  if (!ReadFile(file.get(), bytes.data(), size, &got, nullptr) || got != size) {
    bytes.clear();
    return false;
  }
  return true;
}

bool DownloadInstaller(const std::string& url, std::vector<char>& bytes,
                       std::atomic<int>* percent) {
  bytes.clear();
  if (url.empty()) return false;
  const TWinInet net;
  if (!net.Loaded()) return false;
  TInternetHandle session(
      net.Open("Veldor/1.2", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
  if (!session) return false;
  DWORD timeout = 30000;
  net.SetOption(session.get(), INTERNET_OPTION_CONNECT_TIMEOUT, &timeout, sizeof timeout);
  net.SetOption(session.get(), INTERNET_OPTION_RECEIVE_TIMEOUT, &timeout, sizeof timeout);
  TInternetHandle request(
      net.OpenUrl(session.get(), url.c_str(), nullptr, 0,
                  INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_NO_UI, 0));
  if (!request) return false;
  DWORD status = 0, size = sizeof status;
  if (!net.QueryInfo(request.get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size,
                     nullptr) ||
      status != 200)
    return false;
  DWORD length = 0;
  size = sizeof length;
  if (!net.QueryInfo(request.get(), HTTP_QUERY_CONTENT_LENGTH | HTTP_QUERY_FLAG_NUMBER, &length,
                     &size, nullptr))
    length = 0;
  char buf[16384];
  for (;;) {
    DWORD got = 0;
    if (!net.ReadFile(request.get(), buf, sizeof buf, &got)) {
      bytes.clear();
      return false;
    }
    if (got == 0) break;
    if (bytes.size() + got > kMaxInstallerSize) {
      bytes.clear();
      return false;
    }
    bytes.insert(bytes.end(), buf, buf + got);
    if (percent && length > 0)
      *percent = static_cast<int>(std::min<size_t>(bytes.size(), length) * 100 / length);
  }
  return !bytes.empty();
}

bool FetchInstaller(const TPatchSources& sources, std::vector<char>& bytes,
                    std::atomic<int>* percent) {
  return ReadInstallerFile(sources.LocalFile, bytes) ||
         DownloadInstaller(sources.DownloadUrl, bytes, percent);
}

bool InstallCursorPatch(const TPatchSources& sources, IInstallerTrust& trust) {
  std::vector<char> bytes;
  return FetchInstaller(sources, bytes) && RunInstallerBytes(bytes, trust);
}

bool RunInstallerBytes(const std::vector<char>& bytes, IInstallerTrust& trust) {
  if (bytes.empty()) return false;
  const std::string dir = CurrentDirectory();
  if (dir.empty()) return false;
  const std::string path = dir + kPatchInstallerFile;
  if (!WriteWholeFile(path, std::string_view(bytes.data(), bytes.size()))) return false;
  bool started = false;
  {
    // Held without write or delete sharing from the check until the start, so the file that runs
    // is the file that was checked.
    TKernelHandle lock(CreateFileW(WideFrom(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (lock && trust.IsVendorSigned(path)) {
      // The full path, quoted: a bare name would be looked up in the program's folder first.
      const std::string command = "\"" + path + "\"" + kPatchParameters;
      started = Seams::Processes().WinExec(command, SW_HIDE) > 31;
    }
  }
  DeleteFileW(WideFrom(path).c_str());
  return started;
}
