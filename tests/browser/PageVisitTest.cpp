// Page 7 in the real main window: the repair items are checked on the first visit only.
#include <gtest/gtest.h>

#include "app/FeaturePages.h"
#include "app/UnitMain.h"
#include "browser/BrowserPage.h"
#include "toolkit/Sync.h"

TEST(BrowserPageVisit, FirstVisitChecksEveryRepairItemOnce) {
  InitSynchronize();
  TFormMain form;
  form.Show();
  TCheckListBox& items = form.Pages->Browser->CheckListBoxBR;
  ASSERT_EQ(items.Count(), 7);
  EXPECT_FALSE(items.Checked(0));
  form.LinkLabel0101Click(form.LinkLabel0201.get());
  EXPECT_EQ(form.PageControl->ActivePage(), form.TS[6].get());
  for (int i = 0; i < 7; ++i) EXPECT_TRUE(items.Checked(i)) << i;
  items.SetChecked(4, false);
  form.LinkLabel0101Click(form.LinkLabel0103.get());
  form.LinkLabel0101Click(form.LinkLabel0201.get());
  EXPECT_FALSE(items.Checked(4)) << "the user's choice was reset by a later visit";
}
