#include "system/RegValue.h"

#include <algorithm>
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

bool ForEachRegValue(HKEY key, const TRegValueVisit& visit) {
  DWORD maxName = 0, maxData = 0;
  auto measure = [&] {
    return RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                            &maxName, &maxData, nullptr, nullptr) == ERROR_SUCCESS;
  };
  if (!measure()) return false;
  std::vector<wchar_t> name(maxName + 1);
  std::vector<BYTE> data(maxData + 1);
  for (DWORD i = 0;;) {
    DWORD nameLen = static_cast<DWORD>(name.size());
    DWORD dataLen = static_cast<DWORD>(data.size());
    DWORD type = REG_NONE;
    const LONG r =
        RegEnumValueW(key, i, name.data(), &nameLen, nullptr, &type, data.data(), &dataLen);
    if (r == ERROR_NO_MORE_ITEMS) return true;
    if (r == ERROR_MORE_DATA) {  // the value grew since the key was measured: measure again
      if (!measure()) return false;
      name.resize(std::max<size_t>(name.size() * 2, maxName + 1));
      data.resize(std::max<size_t>(data.size() * 2, maxData + 1));
      continue;
    }
    if (r != ERROR_SUCCESS) return false;
    if (!visit(std::wstring(name.data(), nameLen), type, data.data(), dataLen)) return false;
    ++i;
  }
}
