// The fixed list of browser plug-ins of the plug-in tab. It ships as the program's resource
// "PLUGINS" (a UTF-8 text, resources/plugins.txt) and is read once when the tab is built.
#pragma once

#include <string>
#include <vector>

struct TPlugin {
  std::string Name;     // ANSI (code page 936), as shown in the list
  std::string ClassId;  // without braces, exactly as stored; may hold NUL characters
};

// Parses the list text: one plug-in a line, name and class identifier separated by a tab; lines
// that are empty or start with "#" are skipped; "\0" in an identifier stands for a NUL character.
// Names are converted from UTF-8 to code page 936.
std::vector<TPlugin> ParsePluginList(const std::string& utf8Text);
// The list from the running program's "PLUGINS" resource; empty when the resource is missing.
std::vector<TPlugin> LoadPluginList();
