#include "browser/BrowserRepair.h"

#include <cerrno>
#include <climits>
#include <cstdlib>

#include "system/Registry.h"
#include "system/Text.h"
#include "system/UndoCapture.h"

const char kSearchEngineAddress[] = "http://www.baidu.com/";

namespace {

const char kControlPanelKey[] = "Software\\Policies\\Microsoft\\Internet Explorer\\Control Panel";
const char kMainKey[] = "Software\\Microsoft\\Internet Explorer\\Main";
const char kZone3Key[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Zones\\3";
const char kSystemPolicyKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\System";

// Whole-text decimal number in the range of a 32-bit integer.
bool ParseInteger(const std::string& text, int& value) {
  if (text.empty()) return false;
  errno = 0;
  char* end = nullptr;
  const long long v = std::strtoll(text.c_str(), &end, 10);
  if (errno != 0 || *end != '\0' || v < INT_MIN || v > UINT_MAX) return false;
  value = static_cast<int>(static_cast<unsigned>(v));
  return true;
}

bool WriteInView(HKEY root, const std::string& keyPath, int kind, const std::string& data,
                 const std::string& valueName) {
  try {
    TRegistry reg(KEY_ALL_ACCESS, TRegView::Bit64);
    reg.SetRootKey(root);
    reg.OpenKey(keyPath, true);
    if (kind == kRegText) {
      reg.WriteString(valueName, data);
      return true;
    }
    int value = 0;
    if (kind == kRegInteger && ParseInteger(data, value)) {
      reg.WriteInteger(valueName, value);
      return true;
    }
  } catch (...) {
  }
  return false;
}

}  // namespace

bool WriteRegistryValue(HKEY root, const std::string& keyPath, int kind, const std::string& data,
                        const std::string& valueName) {
  // The machine's settings are read by the 64-bit browser in one registry view and by the 32-bit
  // one in the other: each gets the value (by its real path, opened in the 64-bit view).
  if (root != HKEY_LOCAL_MACHINE) return WriteInView(root, keyPath, kind, data, valueName);
  bool all = true;
  for (TRegView view : MachineViews())
    all = WriteInView(root, ViewKeyPath(view, keyPath), kind, data, valueName) && all;
  return all;
}

std::vector<TRepairWrite> CommonRepairWrites() {
  const HKEY cu = HKEY_CURRENT_USER, lm = HKEY_LOCAL_MACHINE;
  const char* const ie = "Microsoft Internet Explorer";
  const char* const blank = "about:blank";
  std::vector<TRepairWrite> writes = {
      {cu, kControlPanelKey, kRegInteger, "0", "HomePage"},
      {lm, kMainKey, kRegText, ie, "Windows Title"},
      {lm, kMainKey, kRegText, blank, "Start Page"},
      {lm, kMainKey, kRegText, blank, "Default_Page_URL"},
      {lm, kMainKey, kRegText, blank, "Default_Search_URL"},
      {lm, kMainKey, kRegText, blank, "Search Page"},
      {lm, kMainKey, kRegText, blank, "Start Page"},
      {cu, kMainKey, kRegText, ie, "Windows Title"},
      {cu, kMainKey, kRegText, blank, "Start Page"},
      {cu, kMainKey, kRegText, blank, "Default_Page_URL"},
      {cu, kMainKey, kRegText, blank, "Default_Search_URL"},
      {cu, kMainKey, kRegText, blank, "Search Page"},
      {cu, kMainKey, kRegText, blank, "Start Page"},
      {lm, kZone3Key, kRegInteger, "0", "1803"},
      {cu, kZone3Key, kRegInteger, "0", "1803"},
  };
  // The Internet Options tabs and pages a restriction policy can hide or lock.
  static const char* const kRestrictions[] = {"GeneralTab",
                                              "SecurityTab",
                                              "ContentTab",
                                              "ConnectionsTab",
                                              "ProgramsTab",
                                              "AdvancedTab",
                                              "Cache",
                                              "History",
                                              "Colors",
                                              "Links",
                                              "Fonts",
                                              "Languages",
                                              "Accessibility",
                                              "Security_options_edit",
                                              "Ratings",
                                              "Certificates",
                                              "FormSuggest",
                                              "FormSuggest Passwords",
                                              "Profiles",
                                              "Connwiz Admin Lock",
                                              "Connection Settings",
                                              "Proxy",
                                              "Autoconfig",
                                              "ResetWebSettings",
                                              "Check_If_Default",
                                              "Advanced",
                                              "HomePage"};
  for (const char* name : kRestrictions)
    writes.push_back({HKEY_CURRENT_USER, kControlPanelKey, kRegInteger, "0", name});
  return writes;
}

bool RepairInternetExplorer() {
  for (const TRepairWrite& w : CommonRepairWrites())
    WriteRegistryValue(w.Root, w.Key, w.Kind, w.Data, w.Name);
  return true;
}

std::vector<TRepairWrite> RegistryToolsWrites(bool disable) {
  const char* const data = disable ? "1" : "0";
  return {{HKEY_LOCAL_MACHINE, kSystemPolicyKey, kRegInteger, data, "DisableRegistryTools"},
          {HKEY_CURRENT_USER, kSystemPolicyKey, kRegInteger, data, "DisableRegistryTools"}};
}

bool SetRegistryToolsDisabled(bool disable) {
  const std::vector<TRepairWrite> writes = RegistryToolsWrites(disable);
  return WriteRegistryValue(writes[0].Root, writes[0].Key, writes[0].Kind, writes[0].Data,
                            writes[0].Name) &&
         WriteRegistryValue(writes[1].Root, writes[1].Key, writes[1].Kind, writes[1].Data,
                            writes[1].Name);
}

TRepairWrite SearchEngineWrite() {
  return {HKEY_LOCAL_MACHINE, "SOFTWARE\\MICROSOFT\\INTERNET EXPLORER\\MAIN", kRegText,
          kSearchEngineAddress, "CustomizeSearch"};
}

bool RepairSearchEngine() {
  const TRepairWrite w = SearchEngineWrite();
  return WriteRegistryValue(w.Root, w.Key, w.Kind, w.Data, w.Name);
}

bool AddRepairWritesToUndo(TUndoWriter& undo, const std::vector<TRepairWrite>& writes) {
  for (const TRepairWrite& w : writes) {
    const wchar_t* rootName =
        w.Root == HKEY_LOCAL_MACHINE ? L"HKEY_LOCAL_MACHINE" : L"HKEY_CURRENT_USER";
    if (!UndoCapture::AddValueBefore(undo, w.Root, rootName, WideFrom(w.Key), WideFrom(w.Name)))
      return false;
  }
  return true;
}
