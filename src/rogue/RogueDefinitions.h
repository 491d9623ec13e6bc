// The built-in rogue-software definitions and the two record forms built from them.
//
// A definition record reads "<id>@<name>#<engine version>$<risk>%<kind>^<root key name>&<key
// path>". The relation value is the short form kept with every finding: the id followed by the
// record from its "%" on, e.g. "3%33^&Sogou PXP"; the removal reads id, kind and key path back
// out of it.
#pragma once

#include <string>
#include <vector>

// How a program is detected and removed.
constexpr int kRogueKindUninstallKey = 11;   // key below HKEY_LOCAL_MACHINE with an uninstaller
constexpr int kRogueKindProgramFolder = 33;  // folder below Program Files with "Uninstall.exe"
constexpr size_t kRogueMaxKeyPath = 255;     // key paths (and relation tails) are cut to this
constexpr int kRogueDefinitionCount = 3;

// The records exactly as the program carries them, in table order.
extern const char* const kRogueBuiltInDefinitions[kRogueDefinitionCount];

struct TRogueDefinition {
  std::string Id;
  std::string Name;
  std::string EngineVersion;
  std::string Risk;
  std::string KindText;     // the two kind characters as written
  int Kind = 0;             // KindText as a number, 0 when it is not one
  std::string RootKeyName;  // informational only: kind 11 always means HKEY_LOCAL_MACHINE
  std::string KeyPath;
};

struct TRogueRelation {
  int Id = 0;  // 0 when the text before "%" is not a number
  int Kind = 0;
  std::string KeyPath;
};

// Creates the table on the first call (resetting the found count) and does nothing afterwards.
// Always returns false, as the table has nothing to report.
bool LoadRogueDefinitions();
bool RogueDefinitionsLoaded();
// The loaded table; empty until LoadRogueDefinitions has run.
const std::vector<std::string>& RogueDefinitions();

// Number of programs the current scan found. Written on the window thread only.
int RogueFoundCount();
void SetRogueFoundCount(int count);

TRogueDefinition SplitRogueDefinition(const std::string& record);
TRogueRelation SplitRelationValue(const std::string& relation);
// The id followed by the record's text from its "%" on, that tail cut to 255 characters.
std::string MakeRelationValue(const std::string& record);

// A whole decimal integer (optional sign); `fallback` for anything else, empty text included.
int RogueTextToInt(const std::string& text, int fallback = 0);
