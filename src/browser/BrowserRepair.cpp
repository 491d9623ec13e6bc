#include "browser/BrowserRepair.h"

#include <cerrno>
#include <climits>
#include <cstdlib>

#include "system/Registry.h"

const char kSearchEngineAddress[] = "http://www.baidu.com/";

namespace {

const char kControlPanelKey[] = "Software\\Policies\\Microsoft\\Internet Explorer\\Control Panel";
const char kMainKey[] = "Software\\Microsoft\\Internet Explorer\\Main";
const char kZone3Key[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Zones\\3";
const char kSystemPolicyKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\System";

struct TRepairWrite {
  HKEY Root;
  const char* Key;
  int Kind;
  const char* Data;
  const char* Name;
};

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

bool RepairInternetExplorer() {
  const HKEY cu = HKEY_CURRENT_USER, lm = HKEY_LOCAL_MACHINE;
  const char* const ie = "Microsoft Internet Explorer";
  const char* const blank = "about:blank";
  const TRepairWrite writes[] = {
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
  for (const TRepairWrite& w : writes) WriteRegistryValue(w.Root, w.Key, w.Kind, w.Data, w.Name);
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
    WriteRegistryValue(HKEY_CURRENT_USER, kControlPanelKey, kRegInteger, "0", name);
  return true;
}

bool SetRegistryToolsDisabled(bool disable) {
  const char* const data = disable ? "1" : "0";
  return WriteRegistryValue(HKEY_LOCAL_MACHINE, kSystemPolicyKey, kRegInteger, data,
                            "DisableRegistryTools") &&
         WriteRegistryValue(HKEY_CURRENT_USER, kSystemPolicyKey, kRegInteger, data,
                            "DisableRegistryTools");
}

bool RepairSearchEngine() {
  return WriteRegistryValue(HKEY_LOCAL_MACHINE, "SOFTWARE\\MICROSOFT\\INTERNET EXPLORER\\MAIN",
                            kRegText, kSearchEngineAddress, "CustomizeSearch");
}
