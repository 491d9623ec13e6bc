// Functions looked up on first use: a missing library or function must read as absent (the
// callers turn that into a failed action), never as an address.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlwapi.h>

#include "system/DllFunction.h"

TEST(DllFunction, FindsSystemFunctionsAndReportsMissingOnes) {
  const auto exists = DllFunction<decltype(::PathFileExistsA)>("shlwapi.dll", "PathFileExistsA");
  ASSERT_NE(exists, nullptr);
  EXPECT_TRUE(exists("C:\\windows"));
  EXPECT_EQ(exists, DllFunction<decltype(::PathFileExistsA)>("shlwapi.dll", "PathFileExistsA"));

  EXPECT_EQ(FindDllFunction("shlwapi.dll", "NoSuchFunctionAnywhere"), nullptr);
  EXPECT_EQ(FindDllFunction("no-such-library-here.dll", "PathFileExistsA"), nullptr);
}
