#include <gtest/gtest.h>

#include "rogue/RogueDefinitions.h"

namespace {
// The first load happens here, before any test of the program can have loaded the table.
struct TFirstLoad : testing::Environment {
  void SetUp() override {
    loadedBefore = RogueDefinitionsLoaded();
    SetRogueFoundCount(7);
    LoadRogueDefinitions();
    countAfter = RogueFoundCount();
  }
  bool loadedBefore = true;
  int countAfter = -1;
};
TFirstLoad* const g_firstLoad =
    static_cast<TFirstLoad*>(testing::AddGlobalTestEnvironment(new TFirstLoad));

const std::string kAlexaKey =
    "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Alexa Toolbar";
}  // namespace

TEST(RogueDefinitions, LoadedOnceExactlyAsStored) {
  EXPECT_FALSE(g_firstLoad->loadedBefore);
  EXPECT_EQ(g_firstLoad->countAfter, 0) << "the first load resets the found count";
  const std::vector<std::string> first = RogueDefinitions();
  SetRogueFoundCount(5);
  LoadRogueDefinitions();
  EXPECT_EQ(RogueFoundCount(), 5);
  ASSERT_EQ(RogueDefinitions(), first);
  ASSERT_EQ(first.size(), 3u);
  EXPECT_EQ(
      first[0],
      "1@Google Toolbar for Internet Explorer#1.01$3%11^HKEY_LOCAL_MACHINE&\\SOFTWARE\\"
      "Microsoft\\Windows\\CurrentVersion\\Uninstall\\{2318C2B1-4965-11d4-9B18-009027A5CD4F}");
  EXPECT_EQ(first[1], "2@Alexa Toolbar#1.2$3%11^HKEY_LOCAL_MACHINE&" + kAlexaKey);
  // The name is held in code page 936.
  EXPECT_EQ(first[2], "3@\xCB\xD1\xBA\xFC\xB2\xA5\xB7\xC5\xC6\xF7#1.01$3%33^&Sogou PXP");
}

TEST(RogueDefinitions, SplittingRecords) {
  TRogueDefinition a = SplitRogueDefinition(kRogueBuiltInDefinitions[1]);
  EXPECT_EQ(a.Id, "2");
  EXPECT_EQ(a.Name, "Alexa Toolbar");
  EXPECT_EQ(a.EngineVersion, "1.2");
  EXPECT_EQ(a.Risk, "3");
  EXPECT_EQ(a.Kind, 11);
  EXPECT_EQ(a.RootKeyName, "HKEY_LOCAL_MACHINE");
  EXPECT_EQ(a.KeyPath, kAlexaKey);
  TRogueDefinition s = SplitRogueDefinition(kRogueBuiltInDefinitions[2]);
  EXPECT_EQ(s.Kind, 33);
  EXPECT_EQ(s.RootKeyName, "");
  EXPECT_EQ(s.KeyPath, "Sogou PXP");

  // Risk is one character, kind two, compared as a number (0 when it is not one).
  TRogueDefinition d = SplitRogueDefinition("12@Long Name#V$37%110^R&K");
  EXPECT_EQ(d.Name, "Long Name");
  EXPECT_EQ(d.Risk, "3");
  EXPECT_EQ(d.Kind, 11);
  EXPECT_EQ(SplitRogueDefinition("4@N#V$3%07^&K").Kind, 7);
  EXPECT_EQ(SplitRogueDefinition("4@N#V$3%1x^&K").Kind, 0);
  EXPECT_EQ(SplitRogueDefinition("4@N#V$3% 5^&K").Kind, 0);
  EXPECT_EQ(SplitRogueDefinition("5@N#V$3%33^&" + std::string(300, 'p')).KeyPath,
            std::string(255, 'p'));
  // Missing separators give empty fields rather than text from elsewhere in the record.
  TRogueDefinition broken = SplitRogueDefinition("garbage");
  EXPECT_EQ(broken.Id + broken.Name + broken.KeyPath, "");
}

TEST(RogueDefinitions, RelationValuesRoundTrip) {
  EXPECT_EQ(MakeRelationValue(kRogueBuiltInDefinitions[2]), "3%33^&Sogou PXP");
  TRogueRelation r = SplitRelationValue(MakeRelationValue(kRogueBuiltInDefinitions[1]));
  EXPECT_EQ(r.Id, 2);
  EXPECT_EQ(r.Kind, 11);
  EXPECT_EQ(r.KeyPath, kAlexaKey);
  // The tail from "%" is cut to 255 characters; the id comes on top.
  std::string relation = MakeRelationValue("6@N#V$3%33^&" + std::string(300, 'k'));
  EXPECT_EQ(relation.size(), 256u);
  EXPECT_EQ(SplitRelationValue(relation).KeyPath, std::string(250, 'k'));
  EXPECT_EQ(SplitRelationValue("x%33^&Sogou PXP").Id, 0);
  EXPECT_EQ(SplitRelationValue("%33^&Sogou PXP").Id, 0);
}
