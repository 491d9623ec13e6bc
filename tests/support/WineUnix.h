// The Unix side of the Wine test platform. Wine starts a Unix program when CreateProcessA is given
// one (a path such as "/bin/ln"), though the handle it returns cannot be waited on, so the helpers
// here poll for the effect instead. Tests use this to make what Win32 under Wine cannot: symbolic
// links (CreateSymbolicLinkA is a stub that does nothing in Wine 8), and to remove a tree without
// following links.
#pragma once

#include <string>
#include <vector>

bool IsWine();
// The Unix path of a Windows path (wine_get_unix_file_name); "" outside Wine.
std::string UnixPathOf(const std::string& windowsPath);
// Starts a Unix program without waiting; false when it could not be started.
bool StartUnixProgram(const std::vector<std::string>& argv);
// `ln -s target link` for two Windows paths; waits until the link is visible (the target must
// exist: Wine lists no dangling links). False outside Wine or on timeout.
bool MakeUnixSymlink(const std::string& target, const std::string& link);
// Maps the free drive `letter` onto a Windows folder (a link in the prefix's "dosdevices" folder,
// seen at once by running programs); waits until the drive's root opens. False outside Wine, on a
// letter in use, or on timeout.
bool MapUnixDrive(char letter, const std::string& folder);
// Removes such a mapping; waits until the drive is gone.
bool UnmapUnixDrive(char letter);
// `rm -rf` on a Windows path, which never follows links; waits until the path is gone.
bool RemoveUnixTree(const std::string& path);
