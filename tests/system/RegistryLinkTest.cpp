// Recursive key deletion meets a registry link: the link goes, what it points to stays.
#include <gtest/gtest.h>

#include "support/Scratch.h"
#include "system/Registry.h"

namespace {

const wchar_t kTargetSub[] = L"Software\\VeldorLinkTarget";
const wchar_t kTargetNt[] = L"\\Registry\\Machine\\Software\\VeldorLinkTarget";

HKEY OpenW(HKEY root, const std::wstring& sub, DWORD options = 0) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(root, sub.c_str(), options, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
    return nullptr;
  return key;
}

bool ExistsW(HKEY root, const std::wstring& sub, DWORD options = 0) {
  HKEY key = OpenW(root, sub, options);
  if (key) RegCloseKey(key);
  return key != nullptr;
}

std::wstring Wide(const std::string& s) {
  return std::wstring(s.begin(), s.end());  // scratch paths are plain ASCII
}

// A machine key with a value and a subkey, and a link to it made under `parent`.
class RegistryLink : public testing::Test {
 protected:
  RegistryLink() {
    HKEY target = nullptr;
    RegCreateKeyExW(HKEY_LOCAL_MACHINE, (std::wstring(kTargetSub) + L"\\Child").c_str(), 0, nullptr,
                    0, KEY_ALL_ACCESS, nullptr, &target, nullptr);
    if (target) RegCloseKey(target);
    target = OpenW(HKEY_LOCAL_MACHINE, kTargetSub);
    const wchar_t data[] = L"kept";
    if (target) {
      RegSetValueExW(target, L"v", 0, REG_SZ, (const BYTE*)data, sizeof data);
      RegCloseKey(target);
    }
  }
  ~RegistryLink() override {
    // The scratch key's own clean-up follows links: take any link left by a failing test first.
    if (HKEY link = OpenW(HKEY_CURRENT_USER, Wide(scratch_.Sub()) + L"\\Parent\\Link",
                          REG_OPTION_OPEN_LINK)) {
      using TNtDeleteKey = LONG(WINAPI*)(HANDLE);
      auto del = reinterpret_cast<TNtDeleteKey>(
          reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtDeleteKey")));
      del(link);
      RegCloseKey(link);
    }
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, (std::wstring(kTargetSub) + L"\\Child").c_str());
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, kTargetSub);
  }
  bool MakeLink(const std::wstring& sub) {
    HKEY link = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, sub.c_str(), 0, nullptr,
                        REG_OPTION_CREATE_LINK | REG_OPTION_VOLATILE,
                        KEY_ALL_ACCESS | KEY_CREATE_LINK, nullptr, &link, nullptr) != ERROR_SUCCESS)
      return false;
    const LONG r = RegSetValueExW(link, L"SymbolicLinkValue", 0, REG_LINK, (const BYTE*)kTargetNt,
                                  (DWORD)(wcslen(kTargetNt) * sizeof(wchar_t)));
    RegCloseKey(link);
    return r == ERROR_SUCCESS;
  }
  bool TargetIntact() {
    HKEY target = OpenW(HKEY_LOCAL_MACHINE, kTargetSub);
    if (!target) return false;
    wchar_t data[16] = {};
    DWORD size = sizeof data;
    const bool value =
        RegQueryValueExW(target, L"v", nullptr, nullptr, (BYTE*)data, &size) == ERROR_SUCCESS &&
        std::wstring(data) == L"kept";
    RegCloseKey(target);
    return value && ExistsW(HKEY_LOCAL_MACHINE, std::wstring(kTargetSub) + L"\\Child");
  }

  TScratchKey scratch_{CurrentTestName()};
};

}  // namespace

TEST_F(RegistryLink, DeletingAKeyRemovesALinkBelowItAsALinkOrTheLinkItself) {
  const std::wstring parent = Wide(scratch_.Sub()) + L"\\Parent";
  ASSERT_TRUE(MakeLink(parent + L"\\Link"));
  ASSERT_TRUE(ExistsW(HKEY_CURRENT_USER, parent + L"\\Link\\Child")) << "link does not resolve";

  TRegistry reg;
  EXPECT_TRUE(reg.DeleteKey(scratch_.Path() + "\\Parent"));
  EXPECT_FALSE(ExistsW(HKEY_CURRENT_USER, parent, REG_OPTION_OPEN_LINK));
  EXPECT_TRUE(TargetIntact()) << "the deletion followed the link into its target";

  ASSERT_TRUE(MakeLink(parent + L"\\Link"));
  ASSERT_TRUE(reg.OpenKey(scratch_.Path() + "\\Parent", false));
  EXPECT_TRUE(reg.DeleteKey("Link"));
  EXPECT_FALSE(ExistsW(HKEY_CURRENT_USER, parent + L"\\Link", REG_OPTION_OPEN_LINK));
  EXPECT_TRUE(ExistsW(HKEY_CURRENT_USER, parent));
  EXPECT_TRUE(TargetIntact());
}
