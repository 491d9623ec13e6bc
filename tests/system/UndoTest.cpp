#include <gtest/gtest.h>
#include <windows.h>
#include <shlwapi.h>

#include "support/RegSnapshot.h"
#include "support/Scratch.h"
#include "support/UndoImport.h"
#include "system/SysUtils.h"
#include "system/Text.h"
#include "system/UndoCapture.h"
#include "system/UndoFolder.h"

using namespace reg_test;

namespace {
std::vector<BYTE> Bytes(std::initializer_list<BYTE> b) { return b; }
}  // namespace

// Everything a change can do to the registry, recorded first and put back by the registry editor:
// a deleted tree, an overwritten value, a created value and a created key chain.
TEST(Undo, ImportingTheFilePutsBackTheStateBeforeTheChange) {
  TScratchKey scratch("Undo");
  TScratchDir dir("undo");
  const std::wstring base = WideFrom(scratch.Sub());
  const std::wstring full = L"HKEY_CURRENT_USER\\" + base;
  // Names with the file's own quoting characters, Chinese and a character no narrow page holds.
  const std::wstring tree = base + L"\\Tree \"x\"=y";
  PutValue(HKEY_CURRENT_USER, tree, L"", REG_SZ, L"默认");
  PutValue(HKEY_CURRENT_USER, tree, L"a\\b \"c\" = d", REG_EXPAND_SZ, L"%TEMP%\\x");
  PutValue(HKEY_CURRENT_USER, tree, L"\xD55C\xAE00", REG_SZ, L"\xD55C\xAE00 데이터");
  PutRaw(HKEY_CURRENT_USER, tree, L"multi", REG_MULTI_SZ,
         Bytes({'a', 0, 0, 0, 'b', 0, 0, 0, 0, 0}));
  PutDword(HKEY_CURRENT_USER, tree, L"dword", 0xDEADBEEF);
  PutRaw(HKEY_CURRENT_USER, tree, L"qword", REG_QWORD, Bytes({1, 2, 3, 4, 5, 6, 7, 8}));
  PutRaw(HKEY_CURRENT_USER, tree, L"bin", REG_BINARY, Bytes({0, 0xFF, 0x5C, 0x22}));
  PutRaw(HKEY_CURRENT_USER, tree, L"none", REG_NONE, {});
  PutValue(HKEY_CURRENT_USER, tree + L"\\子键\\深", L"x", REG_SZ, L"y");
  RegCloseKey([&] {
    HKEY k = nullptr;
    RegCreateKeyExW(HKEY_CURRENT_USER, (tree + L"\\empty").c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                    nullptr, &k, nullptr);
    return k;
  }());
  PutValue(HKEY_CURRENT_USER, base + L"\\Kept", L"Start Page", REG_SZ, L"http://mine/");
  const TTreeState before = Tree(HKEY_CURRENT_USER, base);

  TUndoWriter undo;
  ASSERT_TRUE(UndoCapture::AddKeyTree(undo, HKEY_CURRENT_USER, tree, L"HKEY_CURRENT_USER\\" + tree));
  ASSERT_TRUE(UndoCapture::AddValueBefore(undo, HKEY_CURRENT_USER, L"HKEY_CURRENT_USER",
                                          base + L"\\Kept", L"Start Page"));
  ASSERT_TRUE(UndoCapture::AddValueBefore(undo, HKEY_CURRENT_USER, L"HKEY_CURRENT_USER",
                                          base + L"\\Kept", L"New"));
  ASSERT_TRUE(UndoCapture::AddValueBefore(undo, HKEY_CURRENT_USER, L"HKEY_CURRENT_USER",
                                          base + L"\\Made\\Deeper", L"v"));
  // Nowhere to write it: the folder's name is taken by a file.
  WriteTextFile(dir.Path() + "blocked", "");
  EXPECT_EQ(SaveUndoFile(undo, "Test", dir.Path() + "blocked\\Undo"), "");
  const std::string file = SaveUndoFile(undo, "Test", dir.Path() + "Undo");
  ASSERT_NE(file, "");
  EXPECT_EQ(ExtractFileName(file).substr(0, 5), "Test-");
  EXPECT_NE(SaveUndoFile(undo, "Test", dir.Path() + "Undo"), file) << "a second file, same second";

  ASSERT_EQ(SHDeleteKeyW(HKEY_CURRENT_USER, tree.c_str()), ERROR_SUCCESS);
  PutValue(HKEY_CURRENT_USER, base + L"\\Kept", L"Start Page", REG_DWORD, L"");
  PutValue(HKEY_CURRENT_USER, base + L"\\Kept", L"New", REG_SZ, L"made");
  PutValue(HKEY_CURRENT_USER, base + L"\\Made\\Deeper", L"v", REG_SZ, L"made");
  ASSERT_NE(Tree(HKEY_CURRENT_USER, base), before);

  ASSERT_TRUE(ImportRegFile(file));
  EXPECT_EQ(Tree(HKEY_CURRENT_USER, base), before) << ReadTextFile(file).size();
}
