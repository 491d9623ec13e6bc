// Scratch registry keys and folders that a test makes and that vanish with it.
#pragma once

#include <windows.h>

#include <string>

// HKEY_CURRENT_USER\Software\VeldorTest\<name>, emptied at start and deleted at the end.
class TScratchKey {
 public:
  explicit TScratchKey(const std::string& name);
  ~TScratchKey();
  TScratchKey(const TScratchKey&) = delete;
  TScratchKey& operator=(const TScratchKey&) = delete;
  const std::string& Path() const { return path_; }  // "\Software\VeldorTest\<name>"
  std::string Sub() const { return path_.substr(1); }

 private:
  std::string path_;
};

// A fresh folder VeldorTest_<name> in the temporary folder, removed with all it holds (links
// included, never followed) at the end.
class TScratchDir {
 public:
  explicit TScratchDir(const std::string& name);
  ~TScratchDir();
  TScratchDir(const TScratchDir&) = delete;
  TScratchDir& operator=(const TScratchDir&) = delete;
  const std::string& Path() const { return path_; }  // ends in "\"

 private:
  std::string path_;
};

// The name of the running test, for scratch names.
std::string CurrentTestName();
void WriteTextFile(const std::string& path, const std::string& text);
std::string ReadTextFile(const std::string& path);  // "" when missing
bool PathExists(const std::string& path);
