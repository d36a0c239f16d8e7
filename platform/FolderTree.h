#pragma once
// Making a folder together with whatever folders above it are missing.

#include <string>

// Makes `path` and its missing parents with mode 0700, parents first (only
// "/" separates). True when `path` is a folder afterwards; the empty path
// counts as the current folder.
bool MakeFolderTree(const std::string& path);
