#include "system/UndoWriter.h"
#include "system/WholeFile.h"

#include <cstring>
#include <cwchar>
#include <iterator>

namespace {

// Escapes on the wide text itself: a conversion first could make the second byte of a
// double-byte character look like a backslash.
std::wstring Quoted(const std::wstring& s) {
  std::wstring out = L"\"";
  for (wchar_t c : s) {
    if (c == L'\\' || c == L'"') out += L'\\';
    out += c;
  }
  return out + L'"';
}

// String data written as text comes back as that text plus one NUL: only data of exactly that
// form may be written so.
bool IsPlainString(const BYTE* data, size_t size) {
  if (size < sizeof(wchar_t) || size % sizeof(wchar_t) != 0) return false;
  const wchar_t* w = reinterpret_cast<const wchar_t*>(data);
  const size_t count = size / sizeof(wchar_t);
  if (w[count - 1] != L'\0') return false;
  for (size_t i = 0; i + 1 < count; ++i)
    if (w[i] == L'\0' || w[i] == L'\r' || w[i] == L'\n') return false;
  return true;
}

void AppendHex(std::wstring& text, const BYTE* data, size_t size) {
  wchar_t hex[4];
  for (size_t i = 0; i < size; ++i) {
    std::swprintf(hex, 4, L"%02x", static_cast<unsigned>(data[i]));
    if (i) text += (i % 25 == 0) ? L",\\\r\n  " : L",";
    text += hex;
  }
}

}  // namespace

constexpr wchar_t kHeader[] = L"Windows Registry Editor Version 5.00\r\n";

TUndoWriter::TUndoWriter() : text_(kHeader) {}

bool TUndoWriter::CanCarry(const std::wstring& name) {
  return name.find_first_of(L"\r\n") == std::wstring::npos;
}

bool TUndoWriter::CanCarryValue(const std::wstring& name, DWORD type, const BYTE* data,
                                size_t size) {
  if (!CanCarry(name)) return false;
  if (type != REG_SZ && type != REG_EXPAND_SZ && type != REG_MULTI_SZ) return true;
  if (size == 0) return true;
  if (size % sizeof(wchar_t) != 0) return false;
  wchar_t last = L'\0';
  memcpy(&last, data + size - sizeof last, sizeof last);
  return last == L'\0';
}

bool TUndoWriter::AddKey(const std::wstring& fullName) {
  if (!CanCarry(fullName)) return false;
  if (inKey_ && fullName == key_) return true;
  text_ += L"\r\n[" + fullName + L"]\r\n";
  key_ = fullName;
  inKey_ = true;
  empty_ = false;
  return true;
}

void TUndoWriter::Append(const TUndoWriter& other) {
  if (other.empty_) return;
  text_ += other.text_.substr(std::size(kHeader) - 1);
  inKey_ = false;
  empty_ = false;
}

bool TUndoWriter::AddKeyRemoval(const std::wstring& fullName) {
  if (!CanCarry(fullName) || fullName.empty()) return false;
  text_ += L"\r\n[-" + fullName + L"]\r\n";
  inKey_ = false;  // values that follow need a key section of their own
  empty_ = false;
  return true;
}

bool TUndoWriter::AddValueRemoval(const std::wstring& name) {
  if (!inKey_ || !CanCarry(name)) return false;
  text_ += (name.empty() ? std::wstring(L"@") : Quoted(name)) + L"=-\r\n";
  return true;
}

bool TUndoWriter::AddValue(const std::wstring& name, DWORD type, const BYTE* data, size_t size) {
  if (!inKey_ || !CanCarryValue(name, type, data, size)) return false;
  std::wstring line = name.empty() ? L"@=" : Quoted(name) + L"=";
  if (type == REG_SZ && IsPlainString(data, size)) {
    line += Quoted(std::wstring(reinterpret_cast<const wchar_t*>(data), size / 2 - 1));
  } else if (type == REG_DWORD && size == sizeof(DWORD)) {
    DWORD v = 0;
    memcpy(&v, data, sizeof v);
    wchar_t buf[16];
    std::swprintf(buf, 16, L"dword:%08lx", static_cast<unsigned long>(v));
    line += buf;
  } else {
    // Every other value as its bytes: in a UTF-16 file the editor stores them unchanged.
    wchar_t buf[16];
    if (type == REG_BINARY)
      line += L"hex:";
    else {
      std::swprintf(buf, 16, L"hex(%lx):", static_cast<unsigned long>(type));
      line += buf;
    }
    AppendHex(line, data, size);
  }
  text_ += line + L"\r\n";
  return true;
}

bool TUndoWriter::SaveAsNew(const std::string& path) const {
  const std::wstring all = L"\xFEFF" + text_;  // UTF-16LE in memory on every Windows processor
  return WriteWholeFile(
      path,
      std::string_view(reinterpret_cast<const char*>(all.data()), all.size() * sizeof(wchar_t)),
      true);
}
