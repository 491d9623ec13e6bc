#include "tempclean/UrlCache.h"

#include <windows.h>
#include <wininet.h>

#include <vector>

namespace {

INTERNET_CACHE_ENTRY_INFOA* EntryIn(std::vector<BYTE>& buffer) {
  return reinterpret_cast<INTERNET_CACHE_ENTRY_INFOA*>(buffer.data());
}

void DeleteEntry(const INTERNET_CACHE_ENTRY_INFOA* entry) {
  if (entry->lpszSourceUrlName) DeleteUrlCacheEntryA(entry->lpszSourceUrlName);
}

}  // namespace

void DeleteUrlCacheEntries() {
  // The first request with no buffer only tells the size the first entry needs.
  DWORD size = 0;
  HANDLE find = FindFirstUrlCacheEntryA(nullptr, nullptr, &size);
  if (find) {  // not expected without a buffer; nothing to read from it
    FindCloseUrlCache(find);
    return;
  }
  if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || size < sizeof(INTERNET_CACHE_ENTRY_INFOA))
    return;  // an empty cache, or no cache at all
  std::vector<BYTE> buffer(size);
  find = FindFirstUrlCacheEntryA(nullptr, EntryIn(buffer), &size);
  if (!find) return;
  DeleteEntry(EntryIn(buffer));
  for (;;) {
    size = 0;
    if (FindNextUrlCacheEntryA(find, nullptr, &size)) break;  // cannot happen without a buffer
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || size < sizeof(INTERNET_CACHE_ENTRY_INFOA))
      break;  // ERROR_NO_MORE_ITEMS ends the walk, so does any other error
    buffer.assign(size, 0);
    // An entry that cannot be fetched would be asked for again and again: stop there.
    if (!FindNextUrlCacheEntryA(find, EntryIn(buffer), &size)) break;
    DeleteEntry(EntryIn(buffer));
  }
  FindCloseUrlCache(find);
}
