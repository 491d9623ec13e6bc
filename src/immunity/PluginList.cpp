#include "immunity/PluginList.h"

#include "system/Text.h"

namespace {

// The list is stored as UTF-8; its names are held like the program's own texts, in code page 936.
std::string Utf8ToAnsi936(const std::string& text) {
  return NarrowFrom(WideFromUtf8(text), nullptr, 936);
}

std::string UnescapeNul(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == '0') {
      out += '\0';
      ++i;
    } else {
      out += text[i];
    }
  }
  return out;
}

}  // namespace

std::vector<TPlugin> ParsePluginList(const std::string& utf8Text) {
  std::vector<TPlugin> plugins;
  size_t pos = 0;
  while (pos < utf8Text.size()) {
    size_t end = utf8Text.find('\n', pos);
    if (end == std::string::npos) end = utf8Text.size();
    std::string line = utf8Text.substr(pos, end - pos);
    pos = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    const size_t tab = line.find('\t');
    if (tab == std::string::npos) continue;
    plugins.push_back({Utf8ToAnsi936(line.substr(0, tab)), UnescapeNul(line.substr(tab + 1))});
  }
  return plugins;
}

std::vector<TPlugin> LoadPluginList() {
  HMODULE module = GetModuleHandleA(nullptr);
  HRSRC info = FindResourceA(module, "PLUGINS", MAKEINTRESOURCEA(10) /* RT_RCDATA */);
  if (!info) return {};
  HGLOBAL data = LoadResource(module, info);
  const void* bytes = data ? LockResource(data) : nullptr;
  if (!bytes) return {};
  return ParsePluginList(
      std::string(static_cast<const char*>(bytes), SizeofResource(module, info)));
}
