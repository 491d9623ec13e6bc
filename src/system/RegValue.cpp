#include "system/RegValue.h"

#include "system/Text.h"

namespace {

template <class Char, class Query>
LONG ReadWith(Query query, HKEY key, const Char* name, DWORD& type, std::vector<BYTE>& data) {
  data.clear();
  DWORD size = 0;
  LONG r = query(key, name, nullptr, &type, nullptr, &size);
  // A value that keeps growing faster than it can be read is given up on, not chased forever.
  for (int tries = 0; r == ERROR_SUCCESS && tries < 8; ++tries) {
    data.resize(size ? size : 1);
    DWORD got = static_cast<DWORD>(data.size());
    r = query(key, name, nullptr, &type, data.data(), &got);
    if (r == ERROR_SUCCESS) {
      data.resize(got);
      return r;
    }
    if (r != ERROR_MORE_DATA) break;
    size = got > data.size() ? got : static_cast<DWORD>(data.size()) * 2 + 16;
    r = ERROR_SUCCESS;
  }
  data.clear();
  return r == ERROR_SUCCESS ? ERROR_MORE_DATA : r;
}

}  // namespace

LONG ReadRegValue(HKEY key, const std::wstring& name, DWORD& type, std::vector<BYTE>& data) {
  return ReadWith(RegQueryValueExW, key, name.c_str(), type, data);
}

LONG ReadRegValue(HKEY key, const std::string& name, DWORD& type, std::vector<BYTE>& data) {
  return ReadRegValue(key, WideFrom(name), type, data);
}
