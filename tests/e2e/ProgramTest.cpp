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
  IMAGE_NT_HEADERS nt{};  // the test is built for the program's processor
  if (!at(0, dos) || !at(dos.e_lfanew, nt)) return {};
  const size_t sections = dos.e_lfanew + offsetof(IMAGE_NT_HEADERS, OptionalHeader) +
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
HWND g_link = nullptr;
const char* g_wanted = nullptr;
BOOL CALLBACK Collect(HWND h, LPARAM) {
  char buf[256] = "";
  GetWindowTextA(h, buf, sizeof buf);
  char cls[64] = "";
  GetClassNameA(h, cls, sizeof cls);
  if (std::string(cls) == "TLinkLabel") {
    g_texts.insert(buf);
    if (g_wanted && std::string(buf) == g_wanted) g_link = h;
  }
  return TRUE;
}

// The program in a process of its own, ended at the latest when the test ends.
class TProgram {
 public:
  TProgram() {
    const std::string exe = WindowsPathOfProgram();
    if (exe.empty()) return;
    STARTUPINFOA si{};
    si.cb = sizeof si;
    std::string cmd = "\"" + exe + "\"";
    if (!CreateProcessA(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        &pi_))
      return;
    for (int i = 0; i < 300 && !Main; ++i) {
      Main = FindWindowA("TFormMain", "Veldor 1.2");
      if (!Main) Sleep(100);
    }
    Sleep(500);  // the first show finishes after the window appears
  }
  ~TProgram() {
    if (!pi_.hProcess) return;
    if (WaitForSingleObject(pi_.hProcess, 0) != WAIT_OBJECT_0) TerminateProcess(pi_.hProcess, 1);
    CloseHandle(pi_.hThread);
    CloseHandle(pi_.hProcess);
  }
  // The captions of the navigation links; `wanted`, when given, is clicked as the mouse does.
  std::set<std::string> Links(const char* wanted = nullptr) {
    g_texts.clear();
    g_link = nullptr;
    g_wanted = wanted;
    EnumChildWindows(Main, Collect, 0);
    if (g_link) {
      SendMessageA(g_link, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
      SendMessageA(g_link, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    }
    return g_texts;
  }
  // Asks the window to close; true when the process then ends within `ms` with exit code 0.
  bool CloseWithin(DWORD ms) {
    PostMessageA(Main, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(pi_.hProcess, ms) != WAIT_OBJECT_0) return false;
    DWORD code = 1;
    GetExitCodeProcess(pi_.hProcess, &code);
    return code == 0;
  }

  HWND Main = nullptr;

 private:
  PROCESS_INFORMATION pi_{};
};
}  // namespace

TEST(Program, StartsShowsNavigationAndClosesThroughItsWindow) {
  ASSERT_FALSE(WindowsPathOfProgram().empty()) << "VELDOR_EXE is not set";
  TProgram program;
  ASSERT_NE(program.Main, nullptr) << "no window titled Veldor 1.2";
  const std::set<std::string> links = program.Links();
  for (const char* caption : {"恶意软件清理", "系统进程清理", "启动项目清理", "注册表项清理",
                              "可疑文件搜索", "临时文件清理", "浏览器相关", "注册表备份",
                              "综合设置", "在线升级", "系统帮助", "关于. . . ."})
    EXPECT_EQ(links.count(caption), 1u) << caption;
  EXPECT_TRUE(program.CloseWithin(20000));
}

TEST(Program, ClosesWithinTwoSecondsAfterTheTaskManagerWasShown) {
  TProgram program;
  ASSERT_NE(program.Main, nullptr);
  program.Links("系统进程清理");
  ASSERT_NE(g_link, nullptr);
  Sleep(1500);  // the sampler is between two passes
  EXPECT_TRUE(program.CloseWithin(2000))
      << "a clean end, with the sampler stopped before the graphs go";
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
