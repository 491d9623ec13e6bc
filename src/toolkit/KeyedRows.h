// Brings a list view's rows up to date with a fresh list of entries in place, matched by a key:
// a row stays where it is while its entry is still listed and is updated there, a row whose
// entry is gone goes, and entries no row took are appended in their order. Rebuilding the rows
// instead would lose the selection and the scroll position on every refresh.
#pragma once

#include <cstddef>
#include <optional>
#include <type_traits>
#include <unordered_map>
#include <vector>

#include "toolkit/ListView.h"

// `rowKey(row)` gives an existing row's key as a std::optional (none: the row goes);
// `entryKey(entry)` an entry's key. `update(row, entry)` brings the row up to date with its entry,
// or answers false to have the row go, the entry then counting as not taken. `append(entry)`
// adds a row for an entry that no row took. An entry is taken by one row at most: a later row
// with the same key goes. Of several entries with one key, the first one counts.
template <class Entries, class RowKey, class EntryKey, class Update, class Append>
void RefreshKeyedRows(TListView& view, Entries& entries, RowKey rowKey, EntryKey entryKey,
                      Update update, Append append) {
  using Key = std::decay_t<decltype(entryKey(entries[0]))>;
  std::unordered_map<Key, size_t> byKey;
  for (size_t i = 0; i < entries.size(); ++i) byKey.emplace(entryKey(entries[i]), i);
  std::vector<bool> taken(entries.size(), false);

  TListViewUpdate hold(view);
  const int rows = view.Count();
  int row = 0;
  for (int step = 0; step < rows; ++step) {
    const std::optional<Key> key = rowKey(row);
    const auto it = key ? byKey.find(*key) : byKey.end();
    if (it == byKey.end() || taken[it->second] || !update(row, entries[it->second])) {
      view.Delete(row);
      continue;
    }
    taken[it->second] = true;
    ++row;
  }
  for (size_t i = 0; i < entries.size(); ++i)
    if (!taken[i]) append(entries[i]);
}
