#include "rogue/RogueDefinitions.h"

#include <cstdlib>
#include <memory>

const char* const kRogueBuiltInDefinitions[kRogueDefinitionCount] = {
    "1@Google Toolbar for Internet Explorer#1.01$3%11^HKEY_LOCAL_MACHINE&\\SOFTWARE\\Microsoft\\"
    "Windows\\CurrentVersion\\Uninstall\\{2318C2B1-4965-11d4-9B18-009027A5CD4F}",
    "2@Alexa Toolbar#1.2$3%11^HKEY_LOCAL_MACHINE&\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\"
    "Uninstall\\Alexa Toolbar",
    "3@搜狐播放器#1.01$3%33^&Sogou PXP",
};

namespace {
// Created by the first load and kept to the end of the process.
std::unique_ptr<std::vector<std::string>> g_table;
int g_foundCount = 0;

// Text between the first `open` and the next `close` after it; "" when `open` is missing, the
// rest of the record when `close` is.
std::string Between(const std::string& s, char open, char close) {
  size_t from = s.find(open);
  if (from == std::string::npos) return "";
  ++from;
  size_t to = s.find(close, from);
  return s.substr(from, to == std::string::npos ? std::string::npos : to - from);
}

// Up to `count` characters after the first `sep`; "" when it is missing.
std::string After(const std::string& s, char sep, size_t count) {
  size_t from = s.find(sep);
  if (from == std::string::npos) return "";
  return s.substr(from + 1, count);
}

// Text before the first `sep`; "" when it is missing.
std::string Before(const std::string& s, char sep) {
  size_t to = s.find(sep);
  return to == std::string::npos ? "" : s.substr(0, to);
}
}  // namespace

bool LoadRogueDefinitions() {
  if (g_table) return false;
  g_table = std::make_unique<std::vector<std::string>>();
  g_foundCount = 0;
  for (const char* record : kRogueBuiltInDefinitions) g_table->push_back(record);
  return false;
}

bool RogueDefinitionsLoaded() {
  return g_table != nullptr;
}

const std::vector<std::string>& RogueDefinitions() {
  static const std::vector<std::string> none;
  return g_table ? *g_table : none;
}

int RogueFoundCount() {
  return g_foundCount;
}
void SetRogueFoundCount(int count) {
  g_foundCount = count;
}

int RogueTextToInt(const std::string& text, int fallback) {
  if (text.empty()) return fallback;
  const char* begin = text.c_str();
  char* end = nullptr;
  long value = std::strtol(begin, &end, 10);
  // strtol skips leading blanks and stops at the first non-digit: accept only a whole number.
  if (end != begin + text.size() || text[0] == ' ' || text[0] == '\t') return fallback;
  return static_cast<int>(value);
}

TRogueDefinition SplitRogueDefinition(const std::string& record) {
  TRogueDefinition d;
  d.Id = Before(record, '@');
  d.Name = Between(record, '@', '#');
  d.EngineVersion = Between(record, '#', '$');
  d.Risk = After(record, '$', 1);
  d.KindText = After(record, '%', 2);
  d.Kind = RogueTextToInt(d.KindText);
  d.RootKeyName = Between(record, '^', '&');
  d.KeyPath = After(record, '&', kRogueMaxKeyPath);
  return d;
}

TRogueRelation SplitRelationValue(const std::string& relation) {
  TRogueRelation r;
  r.Id = RogueTextToInt(Before(relation, '%'));
  r.Kind = RogueTextToInt(After(relation, '%', 2));
  r.KeyPath = After(relation, '&', kRogueMaxKeyPath);
  return r;
}

std::string MakeRelationValue(const std::string& record) {
  size_t kind = record.find('%');
  std::string tail = kind == std::string::npos ? "" : record.substr(kind, kRogueMaxKeyPath);
  return Before(record, '@') + tail;
}
