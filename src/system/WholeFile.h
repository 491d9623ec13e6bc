// Writing a file in one piece: either every byte reached the disk or no file is left behind.
#pragma once

#include <string>
#include <string_view>

// Creates or replaces `path` with `bytes`, flushed and closed. On any failure the file is deleted
// and false returned, so a half-written file is never mistaken for a whole one. With `mustBeNew`
// an existing name, a link included, is refused and left as it is: nothing is written through it.
bool WriteWholeFile(const std::string& path, std::string_view bytes, bool mustBeNew = false);
bool WriteWholeFile(const std::wstring& path, std::string_view bytes, bool mustBeNew = false);
