// Shared pieces of the registry cleaner tests: writing raw values, a registry subtree snapshot,
// and a sink that keeps what a walk reports.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "regclean/RegWalker.h"
#include "support/RegSnapshot.h"

namespace regclean_test {

inline std::wstring W(const std::string& s) {
  std::wstring w(s.size() * 2 + 1, L'\0');
  w.resize(MultiByteToWideChar(936, 0, s.data(), (int)s.size(), w.data(), (int)w.size()));
  return w;
}

using namespace reg_test;

// Every value below root\path: (key path, value name) -> (type, bytes).
using TSnapshot =
    std::map<std::pair<std::wstring, std::wstring>, std::pair<DWORD, std::vector<BYTE>>>;
inline void TakeSnapshot(HKEY root, const std::wstring& path, TSnapshot& out) {
  for (const auto& [key, values] : Tree(root, path))
    for (const auto& [name, value] : values) out[{key, name}] = value;
}

class TCollectSink : public IRegScanSink {
 public:
  void Analyzing(const std::wstring&) override { ++Examined; }
  bool Stopped() override { return false; }
  void AddHit(TRegHit&& hit) override { Hits.push_back(std::move(hit)); }
  // Hits whose key path (below the root) starts with `prefix`.
  std::vector<TRegHit> Below(HKEY root, const std::wstring& prefix) const {
    std::vector<TRegHit> out;
    for (const auto& h : Hits)
      if (h.Root == root && h.KeyPath.compare(0, prefix.size(), prefix) == 0) out.push_back(h);
    return out;
  }
  std::vector<TRegHit> Hits;
  int Examined = 0;
};

}  // namespace regclean_test
