// An undo file for registry changes: a "Windows Registry Editor Version 5.00" file in UTF-16LE
// with a byte-order mark, which the registry editor imports to put keys and values back. It
// knows nothing of what is undone: callers append key headers and values (system/UndoCapture
// reads them from the registry), then save.
#pragma once

#include <windows.h>

#include <string>

class TUndoWriter {
 public:
  TUndoWriter();

  // Can a line of the file hold this key or value name? A line break would split it.
  static bool CanCarry(const std::wstring& name);
  // Can the file carry this value so that an import stores it back byte for byte? Besides the
  // name: string data (REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ) must be empty or whole characters
  // ending in a NUL, as the editor completes any other string data with one.
  static bool CanCarryValue(const std::wstring& name, DWORD type, const BYTE* data, size_t size);

  // Starts the section of a key named in full ("HKEY_CURRENT_USER\Software\..."); the values
  // appended next belong to it. The same key twice in a row keeps one section. False, and
  // nothing appended, when the name cannot be carried.
  bool AddKey(const std::wstring& fullName);
  // Appends a value of the current key: name ("" for the key's default value), type and bytes,
  // which an import stores back byte for byte. False, and nothing appended, when the value cannot
  // be carried or no key was started.
  bool AddValue(const std::wstring& name, DWORD type, const BYTE* data, size_t size);

  // Appends "[-fullName]": importing deletes that key with everything below it (a key the action
  // is about to create).
  bool AddKeyRemoval(const std::wstring& fullName);
  // Appends `"name"=-` to the current key: importing deletes the value (one the action is about
  // to create).
  bool AddValueRemoval(const std::wstring& name);

  // Appends everything `other` holds after its header; the next value needs a key section of its
  // own. Lets a caller try one entry alone and keep it only when all of it could be carried.
  void Append(const TUndoWriter& other);

  // Nothing appended since construction?
  bool Empty() const { return empty_; }
  const std::wstring& Text() const { return text_; }
  // Writes the file as a new file at `path`, never over or through an existing one; a file
  // written only in part is removed.
  bool SaveAsNew(const std::string& path) const;

 private:
  std::wstring text_;
  std::wstring key_;  // the section being written
  bool inKey_ = false;
  bool empty_ = true;
};
