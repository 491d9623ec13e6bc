// The system registry editor, which writes and reads every registration file for this program:
// "/e file" exports the whole registry into the file, "/c file" imports one. The editor is started
// by its full path in the Windows folder, the file name quoted, and waited for.
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
// only when the editor has ended and the file exists and is not empty.
bool ExportRegistry(const std::string& file, DWORD timeoutMs = kRegistryEditorWaitMs);
// Runs the import and waits for the editor to end; false when it could not be started or did not
// end in time. The editor reports on the import itself.
bool ImportRegistry(const std::string& file, DWORD timeoutMs = kRegistryEditorWaitMs);

// True when `path` is a file (not a folder) holding at least one byte.
bool FileHasContent(const std::string& path);
// Deletes one file; a link is removed as a link, never what it points to.
bool DeleteFileEntry(const std::string& path);
