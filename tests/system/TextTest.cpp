// Conversions must never guess: a character the narrow code page lacks becomes "?" and is
// reported, since a look-alike would name another key, value or file.
#include <gtest/gtest.h>

#include "system/Text.h"

TEST(Text, ReportsWhatTheNarrowCodePageCannotHold) {
  bool exact = true;
  const std::wstring chinese = L"\x6076\x610F\x8F6F\x4EF6";  // 恶意软件
  EXPECT_EQ(WideFrom(NarrowFrom(chinese, &exact, 936), 936), chinese);
  EXPECT_TRUE(exact);

  const std::wstring thai = L"\x0E01VbUpd";  // Thai ko kai: no code page 936 form
  EXPECT_EQ(NarrowFrom(thai, &exact, 936), "?VbUpd");
  EXPECT_FALSE(exact);
  // The flag gathers: a later exact conversion does not clear it.
  NarrowFrom(L"abc", &exact, 936);
  EXPECT_FALSE(exact);

  EXPECT_EQ(Utf8From(L"\x5630"), "\xE5\x98\xB0");
  EXPECT_EQ(WideFromUtf8("\xE5\x98\xB0"), L"\x5630");
}
