// Starts the built veldor.exe as its own process and uses it through its windows.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

namespace {
std::string WindowsPathOfProgram() {
  const char* unixPath = getenv("VELDOR_EXE");
  if (!unixPath || !*unixPath) return {};
  std::string p = std::string("Z:") + unixPath;
  for (char& c : p)
    if (c == '/') c = '\\';
  return p;
}

// Names of the libraries in a PE file's import table, upper case.
std::set<std::string> ImportedLibraries(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  const std::vector<char> file((std::istreambuf_iterator<char>(in)), {});
  auto at = [&](size_t offset, auto& value) {
    if (offset + sizeof value > file.size()) return false;
    std::memcpy(&value, file.data() + offset, sizeof value);
    return true;
  };
  IMAGE_DOS_HEADER dos{};
  IMAGE_NT_HEADERS32 nt{};
  if (!at(0, dos) || !at(dos.e_lfanew, nt)) return {};
  const size_t sections = dos.e_lfanew + offsetof(IMAGE_NT_HEADERS32, OptionalHeader) +
                          nt.FileHeader.SizeOfOptionalHeader;
  auto fileOffset = [&](DWORD rva) -> size_t {
    for (WORD i = 0; i < nt.FileHeader.NumberOfSections; ++i) {
      IMAGE_SECTION_HEADER s{};
      if (!at(sections + i * sizeof s, s)) break;
      if (rva >= s.VirtualAddress && rva < s.VirtualAddress + s.SizeOfRawData)
        return rva - s.VirtualAddress + s.PointerToRawData;
    }
    return file.size();
  };
  std::set<std::string> names;
  size_t entry =
      fileOffset(nt.OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress);
  for (IMAGE_IMPORT_DESCRIPTOR d{}; at(entry, d) && d.Name; entry += sizeof d) {
    std::string name;
    for (size_t i = fileOffset(d.Name); i < file.size() && file[i]; ++i)
      name += static_cast<char>(toupper(static_cast<unsigned char>(file[i])));
    names.insert(name);
  }
  return names;
}

std::set<std::string> g_texts;
BOOL CALLBACK Collect(HWND h, LPARAM) {
  char buf[256] = "";
  GetWindowTextA(h, buf, sizeof buf);
  char cls[64] = "";
  GetClassNameA(h, cls, sizeof cls);
  if (std::string(cls) == "TLinkLabel") g_texts.insert(buf);
  return TRUE;
}
}  // namespace

TEST(Program, StartsShowsNavigationAndClosesThroughItsWindow) {
  std::string exe = WindowsPathOfProgram();
  ASSERT_FALSE(exe.empty()) << "VELDOR_EXE is not set";
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  std::string cmd = "\"" + exe + "\"";
  ASSERT_TRUE(CreateProcessA(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                             &si, &pi));
  HWND main = nullptr;
  for (int i = 0; i < 300 && !main; ++i) {
    main = FindWindowA("TFormMain", "Veldor 1.2");
    if (!main) Sleep(100);
  }
  ASSERT_NE(main, nullptr) << "no window titled Veldor 1.2";
  Sleep(500);  // the first show finishes after the window appears

  g_texts.clear();
  EnumChildWindows(main, Collect, 0);
  for (const char* caption : {"恶意软件清理", "系统进程清理", "启动项目清理", "注册表项清理",
                              "可疑文件搜索", "临时文件清理", "浏览器相关", "注册表备份",
                              "综合设置", "在线升级", "系统帮助", "关于. . . ."})
    EXPECT_EQ(g_texts.count(caption), 1u) << caption;

  PostMessageA(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(WaitForSingleObject(pi.hProcess, 20000), WAIT_OBJECT_0);
  DWORD code = 1;
  GetExitCodeProcess(pi.hProcess, &code);
  EXPECT_EQ(code, 0u);
  if (WaitForSingleObject(pi.hProcess, 0) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 1);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
}

// Every imported library is loaded and initialised before the window can appear; the ones that
// only some actions need are looked up when first used.
TEST(Program, ImportsOnlyTheLibrariesStartUpNeeds) {
  const std::set<std::string> imports = ImportedLibraries(WindowsPathOfProgram());
  ASSERT_TRUE(imports.count("KERNEL32.DLL")) << "import table not read";
  const std::set<std::string> startUp = {"KERNEL32.DLL", "USER32.DLL",   "GDI32.DLL",
                                         "ADVAPI32.DLL", "COMCTL32.DLL", "MSVCRT.DLL"};
  for (const std::string& name : imports) EXPECT_TRUE(startUp.count(name)) << name;
}
