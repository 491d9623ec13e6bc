#include <gtest/gtest.h>

#include "rogue/RogueDefinitions.h"

namespace {
const char kGoogleKey[] =
    "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\"
    "{2318C2B1-4965-11d4-9B18-009027A5CD4F}";
const char kAlexaKey[] = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Alexa Toolbar";
}  // namespace

TEST(RogueDefinitions, LoadsTheThreeRecordsOnceAndResetsTheCount) {
  // This file's tests run first in the program, so the table is not loaded yet.
  ASSERT_FALSE(RogueDefinitionsLoaded());
  EXPECT_TRUE(RogueDefinitions().empty());
  SetRogueFoundCount(7);
  EXPECT_FALSE(LoadRogueDefinitions());
  ASSERT_TRUE(RogueDefinitionsLoaded());
  EXPECT_EQ(RogueFoundCount(), 0);
  const std::vector<std::string> first = RogueDefinitions();
  EXPECT_FALSE(LoadRogueDefinitions());
  SetRogueFoundCount(5);
  LoadRogueDefinitions();
  EXPECT_EQ(RogueFoundCount(), 5) << "a second load must leave the table and count alone";
  ASSERT_EQ(RogueDefinitions(), first);
  ASSERT_EQ(first.size(), 3u);
  EXPECT_EQ(first[0], std::string("1@Google Toolbar for Internet Explorer#1.01$3%11^HKEY_LOCAL_"
                                  "MACHINE&") +
                          kGoogleKey);
  EXPECT_EQ(first[1], std::string("2@Alexa Toolbar#1.2$3%11^HKEY_LOCAL_MACHINE&") + kAlexaKey);
  EXPECT_EQ(first[2], "3@搜狐播放器#1.01$3%33^&Sogou PXP");
  // The third name is stored in the Chinese code page: five GBK characters.
  EXPECT_EQ(SplitRogueDefinition(first[2]).Name, "\xCB\xD1\xBA\xFC\xB2\xA5\xB7\xC5\xC6\xF7");
}

TEST(RogueDefinitions, SplitsEachBuiltInRecord) {
  TRogueDefinition g = SplitRogueDefinition(kRogueBuiltInDefinitions[0]);
  EXPECT_EQ(g.Id, "1");
  EXPECT_EQ(g.Name, "Google Toolbar for Internet Explorer");
  EXPECT_EQ(g.EngineVersion, "1.01");
  EXPECT_EQ(g.Risk, "3");
  EXPECT_EQ(g.Kind, 11);
  EXPECT_EQ(g.RootKeyName, "HKEY_LOCAL_MACHINE");
  EXPECT_EQ(g.KeyPath, kGoogleKey);

  TRogueDefinition a = SplitRogueDefinition(kRogueBuiltInDefinitions[1]);
  EXPECT_EQ(a.Name, "Alexa Toolbar");
  EXPECT_EQ(a.EngineVersion, "1.2");
  EXPECT_EQ(a.KeyPath, kAlexaKey);

  TRogueDefinition s = SplitRogueDefinition(kRogueBuiltInDefinitions[2]);
  EXPECT_EQ(s.Id, "3");
  EXPECT_EQ(s.Kind, 33);
  EXPECT_EQ(s.RootKeyName, "");
  EXPECT_EQ(s.KeyPath, "Sogou PXP");
}

TEST(RogueDefinitions, FieldRulesAtTheEdges) {
  // Risk is one character and kind two, whatever follows them.
  TRogueDefinition d = SplitRogueDefinition("4@N#V$37%110^R&K");
  EXPECT_EQ(d.Risk, "3");
  EXPECT_EQ(d.KindText, "11");
  EXPECT_EQ(d.Kind, 11);
  // Kind is a number: "1x" is not one and counts as 0, " 5" is not a whole number either.
  EXPECT_EQ(SplitRogueDefinition("4@N#V$3%1x^&K").Kind, 0);
  EXPECT_EQ(SplitRogueDefinition("4@N#V$3% 5^&K").Kind, 0);
  EXPECT_EQ(SplitRogueDefinition("4@N#V$3%07^&K").Kind, 7);
  // A name is everything between "@" and "#", even after an id longer than one digit.
  EXPECT_EQ(SplitRogueDefinition("12@Long Name#V$3%11^&K").Name, "Long Name");
  // A key path runs to the end of the record and is cut to 255 characters.
  std::string longPath(300, 'p');
  EXPECT_EQ(SplitRogueDefinition("5@N#V$3%33^&" + longPath).KeyPath, std::string(255, 'p'));
  // A record missing separators gives empty fields instead of reading past them.
  TRogueDefinition broken = SplitRogueDefinition("garbage");
  EXPECT_EQ(broken.Id, "");
  EXPECT_EQ(broken.Name, "");
  EXPECT_EQ(broken.Kind, 0);
  EXPECT_EQ(broken.KeyPath, "");
}

TEST(RogueDefinitions, RelationValuesRoundTrip) {
  EXPECT_EQ(MakeRelationValue(kRogueBuiltInDefinitions[2]), "3%33^&Sogou PXP");
  const std::string alexa = MakeRelationValue(kRogueBuiltInDefinitions[1]);
  EXPECT_EQ(alexa, std::string("2%11^HKEY_LOCAL_MACHINE&") + kAlexaKey);
  TRogueRelation r = SplitRelationValue(alexa);
  EXPECT_EQ(r.Id, 2);
  EXPECT_EQ(r.Kind, 11);
  EXPECT_EQ(r.KeyPath, kAlexaKey);
  EXPECT_EQ(r.KeyPath.rfind("\\SOFTWARE", 0), 0u);

  // The tail from "%" is what is cut to 255 characters, the id comes on top of it.
  std::string record = "6@N#V$3%33^&" + std::string(300, 'k');
  std::string relation = MakeRelationValue(record);
  EXPECT_EQ(relation.size(), 1u + 255u);
  EXPECT_EQ(SplitRelationValue(relation).KeyPath, std::string(255 - 5, 'k'));

  // An id that is not a number reads as 0, and so does a missing one.
  EXPECT_EQ(SplitRelationValue("x%33^&Sogou PXP").Id, 0);
  EXPECT_EQ(SplitRelationValue("%33^&Sogou PXP").Id, 0);
  EXPECT_EQ(SplitRelationValue("3%33^&Sogou PXP").Id, 3);
  EXPECT_EQ(SplitRelationValue("no separators").Kind, 0);
  EXPECT_EQ(SplitRelationValue("no separators").KeyPath, "");
}
