// The system registry editor, which writes and reads every registration file for this program:
// "/e file" exports the whole registry into the file, "/c file" imports one. The editor is started
// by its full path in the Windows folder, the file name quoted, and waited for. On 64-bit Windows
// that is the 64-bit editor, whose export holds both registry views (the one in System32 would be
// redirected to the 32-bit editor, which sees only its own view).
#pragma once

#include <windows.h>

#include <string>

// How long a caller waits for one export or import before it gives up on it. A whole-registry
// export takes seconds; the bound only keeps a hung editor from holding a worker for ever.
constexpr DWORD kRegistryEditorWaitMs = 10 * 60 * 1000;

std::string RegistryEditorPath();  // e.g. "C:\WINDOWS\regedit.exe"
std::string RegistryExportCommand(const std::string& file);
std::string RegistryImportCommand(const std::string& file);

// Runs the export and waits for the editor (the calling thread's windows keep answering). True
// only when the editor has ended and left a complete export (IsCompleteExport). When the event
// `stop` (may be null) is set first, the editor is ended and the export has failed.
bool ExportRegistry(const std::string& file, DWORD timeoutMs = kRegistryEditorWaitMs,
                    HANDLE stop = nullptr);
// Runs the import and waits for the editor to end; false when it could not be started or did not
// end in time. The editor reports on the import itself.
bool ImportRegistry(const std::string& file, DWORD timeoutMs = kRegistryEditorWaitMs);

// True when `path` is a file (not a folder) holding at least one byte.
bool FileHasContent(const std::string& path);
// True when `path` holds what the editor writes when it finishes: it starts with the editor's
// header line ("Windows Registry Editor Version 5.00" in UTF-16LE after a byte-order mark, or
// "REGEDIT4") and ends with a complete line. An export cut short (disk full, editor ended) fails.
bool IsCompleteExport(const std::string& path);
// True when `path` is a link, also one whose target is missing. Nothing is ever moved, replaced
// or written through a link: that would reach whatever it points to.
bool IsLinkPath(const std::string& path);
// Deletes one file; a link is removed as a link, never what it points to.
bool DeleteFileEntry(const std::string& path);
