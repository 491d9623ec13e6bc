#include "system/FolderLinks.h"

#include <cstring>

#include "system/DllFunction.h"
#include "system/Text.h"

namespace {

// Under Wine every Win32 operation on a link lands on its target: DeleteFileA on a link to a file
// deletes the file, RemoveDirectoryA on a link to an empty folder removes that folder, MoveFileA
// moves the target, and FILE_FLAG_OPEN_REPARSE_POINT is not honoured. The link itself can only be
// reached with the Unix calls readlink and unlink, made here directly as Linux system calls of
// the process Wine runs us in (its i386 or x86-64 form). unlink never follows a final link and
// never removes a folder, so whatever the link points to is out of its reach.
using TWineGetUnixFileName = char* CDECL(LPCWSTR);
using TWineGetHostVersion = void CDECL(const char** sysname, const char** release);

struct TWineHost {
  bool Wine = false;        // Win32 file operations follow links
  bool LinuxCalls = false;  // and the Linux system calls below can reach the link itself
  TWineGetUnixFileName* UnixFileName = nullptr;
};

const TWineHost& WineHost() {
  static const TWineHost host = [] {
    TWineHost h;
    h.UnixFileName = DllFunction<TWineGetUnixFileName>("kernel32.dll", "wine_get_unix_file_name");
    h.Wine = h.UnixFileName != nullptr;
    auto hostVersion = DllFunction<TWineGetHostVersion>("ntdll.dll", "wine_get_host_version");
#if defined(_M_IX86) || defined(__i386__) || defined(__x86_64__)
    if (h.Wine && hostVersion) {
      const char* sysname = nullptr;
      const char* release = nullptr;
      hostVersion(&sysname, &release);
      h.LinuxCalls = sysname && std::strcmp(sysname, "Linux") == 0;
    }
#else
    (void)hostVersion;
#endif
    return h;
  }();
  return host;
}

std::string UnixPathOf(const std::wstring& path) {
  const auto fn = WineHost().UnixFileName;
  if (!fn || path.empty()) return {};
  char* unix = fn(path.c_str());
  if (!unix) return {};
  std::string result = unix;
  HeapFree(GetProcessHeap(), 0, unix);
  return result;
}

// A Linux system call of the process's ABI; returns the result or -errno.
long LinuxCall(long number, const void* a, void* b, long c) {
#if defined(_MSC_VER) && defined(_M_IX86)
  long result;
  __asm {
    mov eax, number
    mov ebx, a
    mov ecx, b
    mov edx, c
    int 0x80
    mov result, eax
  }
  return result;
#elif defined(__i386__)
  long result;
  __asm__ __volatile__("int $0x80" : "=a"(result) : "a"(number), "b"(a), "c"(b), "d"(c) : "memory");
  return result;
#elif defined(__x86_64__)
  long result;
  __asm__ __volatile__("syscall"
                       : "=a"(result)
                       : "a"(number), "D"(a), "S"(b), "d"(c)
                       : "rcx", "r11", "memory");
  return result;
#else
  (void)number, (void)a, (void)b, (void)c;
  return -38;  // ENOSYS
#endif
}

#if defined(__x86_64__)
constexpr long kSysRename = 82;
constexpr long kSysUnlink = 87;
constexpr long kSysReadlink = 89;
#else
constexpr long kSysRename = 38;
constexpr long kSysUnlink = 10;
constexpr long kSysReadlink = 85;
#endif

bool IsUnixLink(const std::wstring& path) {
  if (!WineHost().LinuxCalls) return false;
  const std::string unix = UnixPathOf(path);
  if (unix.empty()) return false;
  char target[1];
  return LinuxCall(kSysReadlink, unix.c_str(), target, sizeof target) >= 0;
}

}  // namespace

bool IsLinkEntry(const std::string& path, DWORD attributes) {
  return IsLinkEntry(WideFrom(path), attributes);
}

bool IsLinkEntry(const std::wstring& path, DWORD attributes) {
  if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return true;
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return false;  // Wine marks links to folders
  return WineHost().Wine && IsUnixLink(path);
}

bool RemoveLinkEntry(const std::string& path, DWORD attributes) {
  return RemoveLinkEntry(WideFrom(path), attributes);
}

bool RemoveLinkEntry(const std::wstring& path, DWORD attributes) {
  if (!WineHost().Wine) {
    // Windows removes a junction or symbolic link itself with these and leaves its target.
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? RemoveDirectoryW(path.c_str()) != FALSE
                                                   : DeleteFileW(path.c_str()) != FALSE;
  }
  if (!IsUnixLink(path)) return false;  // nothing else is ever unlinked here
  return LinuxCall(kSysUnlink, UnixPathOf(path).c_str(), nullptr, 0) == 0;
}

bool MoveLinkEntry(const std::wstring& path, DWORD attributes, const std::wstring& to) {
  // Windows renames a junction or symbolic link itself.
  if (!WineHost().Wine) return MoveFileExW(path.c_str(), to.c_str(), 0) != FALSE;
  (void)attributes;
  if (!IsUnixLink(path) || GetFileAttributesW(to.c_str()) != INVALID_FILE_ATTRIBUTES) return false;
  const std::string from = UnixPathOf(path), dest = UnixPathOf(to);
  // rename never follows a final link: the link itself gets the new name.
  return !from.empty() && !dest.empty() &&
         LinuxCall(kSysRename, from.c_str(), const_cast<char*>(dest.c_str()), 0) == 0;
}
