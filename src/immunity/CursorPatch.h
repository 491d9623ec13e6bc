// The MS07-017 cursor patch: detecting it in the update records, and installing it from a file
// the user placed next to the program or, failing that, from the vendor's download server.
// Nothing is run unless its signature verifies as the vendor's.
#pragma once

#include <atomic>
#include <string>
#include <vector>

class IInstallerTrust;

extern const char kBulletinUrl[];         // the vendor's bulletin page, handed to the user
extern const char kLocalInstallerName[];  // "KB925902.exe", next to the program
extern const char kPatchInstallerFile[];  // "ms0717.exe", written to the current directory
extern const char kPatchParameters[];     // "  /passive /norestart"

// Only Windows 2000 and XP take this patch.
bool CursorPatchApplies(const std::string& osFamily);

enum class TPatchDetection {
  Unknown,   // the updates key of this system does not open: leave the box as it is
  Found,     // a service-pack key lists a subkey containing "KB925902"
  NotFound,  // service-pack keys were opened and none lists it
};
// Looks under "\SOFTWARE\Microsoft\Updates\" + osFamily + "\" + every service-pack key in
// HKEY_LOCAL_MACHINE. Once found under one key, later keys do not change the answer.
TPatchDetection DetectCursorPatch(const std::string& osFamily);

// Where the installer comes from, in order of preference.
struct TPatchSources {
  std::string LocalFile;    // full path; skipped when the file does not exist
  std::string DownloadUrl;  // fetched with WinINet when the local file is missing or unreadable
};
// The local file next to the running program and the vendor's address for `osFamily`.
TPatchSources DefaultPatchSources(const std::string& osFamily);
// The vendor's download address of the installer for a supported family, else "".
std::string PatchDownloadUrl(const std::string& osFamily);

// Reads a whole file; false when it cannot be read or is empty.
bool ReadInstallerFile(const std::string& path, std::vector<char>& bytes);
// Downloads `url` (HTTP status 200 only, at most 32 MB); false on any failure. When the server
// tells the length, `percent` (if given) follows the bytes received, 0 to 100.
bool DownloadInstaller(const std::string& url, std::vector<char>& bytes,
                       std::atomic<int>* percent = nullptr);
// The installer bytes: the local file, else the download. Slow: run it off the window thread.
bool FetchInstaller(const TPatchSources& sources, std::vector<char>& bytes,
                    std::atomic<int>* percent = nullptr);

// Saves `bytes` as kPatchInstallerFile in the current directory, and runs that file hidden,
// without waiting, through the process seam once `trust` accepts it; the file is then deleted
// (whether that works is not checked). The file cannot be changed between the check and the
// start. False when there were no bytes, the file could not be written, the signature was refused
// or the start failed; a refused file is deleted, not run.
bool RunInstallerBytes(const std::vector<char>& bytes, IInstallerTrust& trust);
// FetchInstaller, then RunInstallerBytes.
bool InstallCursorPatch(const TPatchSources& sources, IInstallerTrust& trust);
