#include "WineUnix.h"

#include <windows.h>

namespace {

using TWineGetUnixFileName = char*(CDECL*)(LPCWSTR);

TWineGetUnixFileName UnixNameFn() {
  static const auto fn = reinterpret_cast<TWineGetUnixFileName>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
  return fn;
}

bool PollFor(bool (*done)(const std::string&), const std::string& path, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  while (!done(path)) {
    if (GetTickCount() - start > timeoutMs) return false;
    Sleep(20);
  }
  return true;
}

bool Visible(const std::string& p) {
  return GetFileAttributesA(p.c_str()) != INVALID_FILE_ATTRIBUTES;
}
bool Gone(const std::string& p) {
  return !Visible(p);
}

// The prefix's folder of drive links, from where drive C: lies ("<prefix>/dosdevices/c:/").
std::string DosDevicesFolder() {
  std::string c = UnixPathOf("C:\\");
  while (!c.empty() && c.back() == '/') c.pop_back();
  const std::string tail = "/dosdevices/c:";
  if (c.size() > tail.size() && c.compare(c.size() - tail.size(), tail.size(), tail) == 0)
    return c.substr(0, c.size() - 2);
  const std::string drive = "/drive_c";
  if (c.size() > drive.size() && c.compare(c.size() - drive.size(), drive.size(), drive) == 0)
    return c.substr(0, c.size() - drive.size()) + "/dosdevices/";
  return "";
}

std::string DriveRoot(char letter) {
  return std::string(1, letter) + ":\\";
}

std::string DosDeviceLink(char letter) {
  const std::string devices = DosDevicesFolder();
  const char lower =
      static_cast<char>(letter >= 'A' && letter <= 'Z' ? letter - 'A' + 'a' : letter);
  return devices.empty() ? "" : devices + lower + ":";
}

// Wine gives a file the volume serial number of the drive whose root lies nearest above it, from
// a table of drives that a process reads again when the clock's second has changed since it last
// did. Until then the folders under a new drive keep their old number, and change it halfway
// through whatever compares them; after a full second the next look reads the new table.
void SettleDriveTable() {
  Sleep(1100);
}

}  // namespace

bool IsWine() {
  return UnixNameFn() != nullptr;
}

std::string UnixPathOf(const std::string& windowsPath) {
  const auto fn = UnixNameFn();
  if (!fn || windowsPath.empty()) return "";
  const int n = MultiByteToWideChar(CP_ACP, 0, windowsPath.c_str(), -1, nullptr, 0);
  std::wstring wide(n, L'\0');
  MultiByteToWideChar(CP_ACP, 0, windowsPath.c_str(), -1, wide.data(), n);
  char* unix = fn(wide.c_str());
  if (!unix) return "";
  std::string result = unix;
  HeapFree(GetProcessHeap(), 0, unix);
  return result;
}

bool StartUnixProgram(const std::vector<std::string>& argv) {
  if (!IsWine() || argv.empty()) return false;
  std::string cmd;
  for (const auto& a : argv) {
    if (a.find('"') != std::string::npos) return false;  // never needed; keeps quoting trivial
    cmd += (cmd.empty() ? "\"" : " \"") + a + "\"";
  }
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
    return false;
  // For a Unix program Wine returns no process handle and leaves stale data in the thread handle;
  // closing that would close some other handle of this process.
  if (pi.hProcess) {
    if (pi.hThread) CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
  }
  return true;
}

bool MakeUnixSymlink(const std::string& target, const std::string& link) {
  const std::string t = UnixPathOf(target), l = UnixPathOf(link);
  if (t.empty() || l.empty()) return false;
  return StartUnixProgram({"/bin/ln", "-s", t, l}) && PollFor(Visible, link, 5000);
}

bool RemoveUnixTree(const std::string& path) {
  const std::string u = UnixPathOf(path);
  // A short path here would be a mistake in a test; never hand it to rm.
  if (u.size() < 8 || u.find("VeldorTest") == std::string::npos) return false;
  if (Gone(path)) return true;
  return StartUnixProgram({"/bin/rm", "-rf", u}) && PollFor(Gone, path, 10000);
}

bool MapUnixDrive(char letter, const std::string& folder) {
  const std::string link = DosDeviceLink(letter), target = UnixPathOf(folder);
  if (link.empty() || target.empty() || Visible(DriveRoot(letter))) return false;
  if (!StartUnixProgram({"/bin/ln", "-s", target, link}) ||
      !PollFor(Visible, DriveRoot(letter), 5000))
    return false;
  SettleDriveTable();
  return true;
}

bool UnmapUnixDrive(char letter) {
  const std::string link = DosDeviceLink(letter);
  if (link.empty()) return false;
  if (Gone(DriveRoot(letter))) return true;
  // rm without -r: only ever the link itself.
  if (!StartUnixProgram({"/bin/rm", "-f", link}) || !PollFor(Gone, DriveRoot(letter), 5000))
    return false;
  SettleDriveTable();
  return true;
}
