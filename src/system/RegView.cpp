#include "system/RegView.h"

#include "system/DllFunction.h"

namespace {

// The component of `path` that starts at `at`, up to the next "\" (key names are ASCII here).
bool ComponentIs(const std::string& path, size_t at, const char* name, size_t& end) {
  end = path.find('\\', at);
  if (end == std::string::npos) end = path.size();
  return lstrcmpiA(path.substr(at, end - at).c_str(), name) == 0;
}

}  // namespace

bool IsWow64() {
  static const bool wow64 = [] {
    // Absent before Windows XP SP2, where no 64-bit edition runs this program.
    using TIsWow64Process = BOOL WINAPI(HANDLE, PBOOL);
    const auto isWow64 = DllFunction<TIsWow64Process>("kernel32.dll", "IsWow64Process");
    BOOL result = FALSE;
    return isWow64 && isWow64(GetCurrentProcess(), &result) && result;
  }();
  return wow64;
}

REGSAM RegViewFlag(TRegView view) {
  if (!IsWow64()) return 0;
  switch (view) {
    case TRegView::Bit64:
      return KEY_WOW64_64KEY;
    case TRegView::Bit32:
      return KEY_WOW64_32KEY;
    default:
      return 0;
  }
}

std::vector<TRegView> MachineViews() {
  if (IsWow64()) return {TRegView::Bit64, TRegView::Bit32};
  return {TRegView::Own};
}

std::string ViewKeyPath(TRegView view, const std::string& path) {
  if (view == TRegView::Bit64 || !IsWow64()) return path;
  const size_t start = !path.empty() && path[0] == '\\' ? 1 : 0;
  size_t end = 0;
  if (!ComponentIs(path, start, "Software", end)) return path;
  // The 32-bit view's class registrations sit below Classes, the rest below Software.
  size_t classesEnd = 0;
  if (end < path.size() && ComponentIs(path, end + 1, "Classes", classesEnd)) end = classesEnd;
  size_t already = 0;
  if (end < path.size() && ComponentIs(path, end + 1, "Wow6432Node", already)) return path;
  return path.substr(0, end) + "\\Wow6432Node" + path.substr(end);
}
