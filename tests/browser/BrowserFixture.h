// The browser page on a stand-in window, and entries of its own in the real places Internet
// Explorer reads (menu extensions, toolbars, classes), made through the wide API and removed
// again after every test, links as links.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "browser/BrowserPage.h"
#include "support/RecordingSeams.h"
#include "support/RegSnapshot.h"
#include "support/TestHost.h"
#include "support/UndoImport.h"
#include "toolkit/Form.h"

namespace browser_test {

const wchar_t kMenuExt[] = L"Software\\Microsoft\\Internet Explorer\\MenuExt";
const wchar_t kToolbar[] = L"SOFTWARE\\Microsoft\\Internet Explorer\\Toolbar";
const wchar_t kClasses[] = L"SOFTWARE\\Classes\\CLSID";

inline std::wstring Wide(const std::string& s) {
  const int n = MultiByteToWideChar(936, 0, s.data(), (int)s.size(), nullptr, 0);
  std::wstring w(n, L'\0');
  MultiByteToWideChar(936, 0, s.data(), (int)s.size(), w.data(), n);
  return w;
}

inline HKEY Open(HKEY root, const std::wstring& sub, DWORD options = 0) {
  HKEY key = nullptr;
  RegOpenKeyExW(root, sub.c_str(), options, KEY_ALL_ACCESS, &key);
  return key;
}

inline bool Exists(HKEY root, const std::wstring& sub, DWORD options = 0) {
  HKEY key = Open(root, sub, options);
  if (key) RegCloseKey(key);
  return key != nullptr;
}

inline void SetText(HKEY root, const std::wstring& sub, const std::wstring& name,
                    const std::wstring& text, DWORD type = REG_SZ) {
  HKEY key = nullptr;
  ASSERT_EQ(
      RegCreateKeyExW(root, sub.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
      ERROR_SUCCESS);
  RegSetValueExW(key, name.empty() ? nullptr : name.c_str(), 0, type, (const BYTE*)text.c_str(),
                 (DWORD)((text.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(key);
}

inline bool ValueExists(HKEY root, const std::wstring& sub, const std::wstring& name) {
  HKEY key = Open(root, sub);
  if (!key) return false;
  const bool found =
      RegQueryValueExW(key, name.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
  RegCloseKey(key);
  return found;
}

// Deletes a key the test made; a link as a link.
inline void DeleteKey(HKEY root, const std::wstring& sub) {
  HKEY key = Open(root, sub, REG_OPTION_OPEN_LINK);
  if (!key) return;
  for (;;) {
    wchar_t name[256];
    DWORD len = 256;
    if (RegEnumKeyExW(key, 0, name, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
      break;
    DeleteKey(key, name);
    if (Exists(key, name, REG_OPTION_OPEN_LINK)) break;
  }
  using TNtDeleteKey = LONG(WINAPI*)(HANDLE);
  auto del = reinterpret_cast<TNtDeleteKey>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtDeleteKey")));
  del(key);
  RegCloseKey(key);
}

// A link key under HKEY_CURRENT_USER pointing at a machine key (which need not exist).
inline bool MakeLink(const std::wstring& sub, const std::wstring& machineTarget) {
  HKEY link = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, sub.c_str(), 0, nullptr,
                      REG_OPTION_CREATE_LINK | REG_OPTION_VOLATILE,
                      KEY_ALL_ACCESS | KEY_CREATE_LINK, nullptr, &link, nullptr) != ERROR_SUCCESS)
    return false;
  const std::wstring target = L"\\Registry\\Machine\\" + machineTarget;
  const LONG r =
      RegSetValueExW(link, L"SymbolicLinkValue", 0, REG_LINK, (const BYTE*)target.c_str(),
                     (DWORD)(target.size() * sizeof(wchar_t)));
  RegCloseKey(link);
  return r == ERROR_SUCCESS;
}

class BrowserPageTest : public testing::Test {
 protected:
  BrowserPageTest()
      : form_("TBrowserTestForm", false), host_(form_), pages_(&form_), sheet_(&pages_, "") {
    form_.SetClientSize(715, 400);
    pages_.SetAlign(TAlign::Client);
    images_ = ImageList_Create(16, 16, ILC_COLOR24 | ILC_MASK, 0, 16);
    page_ = std::make_unique<TBrowserPage>(sheet_, host_, [this] { return images_; });
  }
  ~BrowserPageTest() override {
    page_.reset();
    for (const auto& [root, sub] : keys_) DeleteKey(root, sub);
    for (const std::wstring& value : toolbarValues_) {
      HKEY key = Open(HKEY_LOCAL_MACHINE, kToolbar);
      if (key) RegDeleteValueW(key, value.c_str());
      if (key) RegCloseKey(key);
    }
    ImageList_Destroy(images_);
  }
  // Remembers what to remove at the end.
  std::wstring Made(HKEY root, const std::wstring& sub) {
    keys_.push_back({root, sub});
    return sub;
  }
  void AddToolbar(const std::wstring& classId) {
    SetText(HKEY_LOCAL_MACHINE, kToolbar, classId, L"");
    toolbarValues_.push_back(classId);
  }
  int RowOf(TListView& list, const std::string& caption, int column = -1) {
    for (int i = 0; i < list.Count(); ++i)
      if ((column < 0 ? list.Caption(i) : list.SubItem(i, column)) == caption) return i;
    return -1;
  }

  TSeamGuard seams_;
  TForm form_;
  TTestHost host_;
  TPageControl pages_;
  TTabSheet sheet_;
  HIMAGELIST images_ = nullptr;
  std::unique_ptr<TBrowserPage> page_;
  std::vector<std::pair<HKEY, std::wstring>> keys_;
  std::vector<std::wstring> toolbarValues_;
};

}  // namespace browser_test
