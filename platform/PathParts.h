#pragma once
// Splitting paths into folder and file name. Both "\" and "/" count as folder
// separators, and so does the colon of a drive prefix ("C:"), so paths written
// the Windows way still split as they always did.

#include <string>
#include <string_view>

// Longest path the helpers produce; longer results are cut. Linux allows
// 4095 bytes in a path.
inline constexpr size_t kMaxPathLength = 4095;

// File name and extension of `path`: what follows the last separator or drive
// colon; the whole path when it has none. "C:\MP3\a.mp3" gives "a.mp3".
std::string GetFileNamePart(std::string_view path);

// Drive and folder of `path` without the trailing separator: everything before
// the last separator or drive colon. "C:\MP3\jazz\a.mp3" gives "C:\MP3\jazz",
// "/a.mp3" gives "", "a.mp3" gives "".
std::string GetDirectoryPart(std::string_view path);
