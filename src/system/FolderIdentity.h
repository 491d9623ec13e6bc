// Folders compared by what they are on disk (volume serial number and file index), not by how a
// path spells them: drive letters, short names, "..", network and substituted drives and links
// all give other spellings of the same folder, or the spelling of one folder for another.
#pragma once

#include <windows.h>

#include <string>

// Full, long, upper-case form of a path without a trailing "\" ("C:" for a drive root); "" when
// it cannot be formed. Each function has a wide form for names from the system; the narrow one
// converts and calls it.
std::string CanonicalFolder(const std::string& path);
std::wstring CanonicalFolder(const std::wstring& path);

// What a file or folder is on disk, however it is reached.
struct TFileIdentity {
  DWORD Volume = 0, High = 0, Low = 0;
  bool operator==(const TFileIdentity&) const = default;
};

// The identity of the existing file or folder `path` opens (links followed); false when it
// cannot be opened.
bool IdentityOf(const std::string& path, TFileIdentity& id);
bool IdentityOf(const std::wstring& path, TFileIdentity& id);

// The file index alone of what `path` opens (links followed), unique within its volume only; false
// when it cannot be read. Cheaper than IdentityOf where the volume's serial number takes a request
// of its own (under Wine a round trip to its mount manager).
bool FileIndexOf(const std::string& path, ULONGLONG& index);
bool FileIndexOf(const std::wstring& path, ULONGLONG& index);

// True when both paths open the same existing file or folder.
bool SameFileObject(const std::string& a, const std::string& b);
bool SameFileObject(const std::wstring& a, const std::wstring& b);

// True when `folder` lies strictly below `container` on the same local fixed drive, reached
// from it through real folders only (no step of the way, the folder included, is a link).
bool IsStrictlyInsideFolder(const std::string& folder, const std::string& container);
bool IsStrictlyInsideFolder(const std::wstring& folder, const std::wstring& container);
