#pragma once
// Making a folder together with whatever folders above it are missing.

#include <string>
#include <string_view>

// Makes `path` and its missing parents with mode 0700, parents first (only
// "/" separates). True when `path` is a folder afterwards; the empty path
// counts as the current folder.
bool MakeFolderTree(const std::string& path);

// Makes every folder along `path`, as the download list needs it: a folder
// at each "/" or "\" from the first name on (after a leading drive prefix
// "X:\" or a leading separator), then the whole path. Folders get the
// user's usual mode (0777 less the umask). Failures, chiefly folders that
// exist already, are ignored; writing a file below one that could not be
// made fails later and is reported there.
void CreateDirectoryTree(std::string_view path);
