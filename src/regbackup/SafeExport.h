// A registry export into a file that may already hold an earlier backup. The earlier file is
// moved aside in the same folder first and is deleted only once the new export is complete;
// otherwise it is put back. So no backup is lost before its replacement exists.
#pragma once

#include <windows.h>

#include <string>

#include "regbackup/RegistryEditor.h"

enum class TExportOutcome {
  Written,      // the new export is in place; an earlier file there is gone
  NotWritten,   // the export failed; an earlier file there is back in place
  AsideFailed,  // an earlier file could not be moved aside; nothing was run
  Link,         // the file is a link: nothing was moved or run
};

// `stop` (an event, may be null) ends a running editor; the export has then failed.
TExportOutcome ExportRegistryReplacing(const std::string& file,
                                       DWORD timeoutMs = kRegistryEditorWaitMs,
                                       HANDLE stop = nullptr);

// Moves `file` to a free name beside it ("<file>.~1", "<file>.~2" ...); "" when it could not.
std::string MoveAside(const std::string& file);
