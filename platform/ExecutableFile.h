#pragma once
// Whether a path names a program this user can run.

#include <string>

// True for a regular file (a link is followed) that this user may execute;
// false for folders, missing files and files without the execute right.
bool IsExecutableFile(const std::string& path);
