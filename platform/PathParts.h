#pragma once
// Splitting and joining paths. Both "\" and "/" count as folder separators,
// and so does the colon of a drive prefix ("C:"), so paths written the Windows
// way still split and join as they always did; where a separator has to be
// inserted it is the native "/".

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

// `folder` and `relative` with one separator between them: either one alone
// when the other is empty; one of two separators that meet is dropped; "/"
// is put between two names. "C:\MP3" and "\a.mp3" give "C:\MP3\a.mp3".
std::string JoinPath(std::string_view folder, std::string_view relative);

// `path` with every "/" and "\" turned into the native "/". Byte-wise, which
// is safe on UTF-8, where neither byte occurs inside a multibyte character.
std::string SlashesToBackslashes(std::string_view path);

// A relative path that stays inside whatever folder it is joined to: the
// parts "." and "..", empty parts (so leading and doubled separators) and a
// leading drive prefix ("C:") are dropped, and the rest joined with "/".
// "../../.bashrc" gives ".bashrc", "/etc/cron.d/x" gives "etc/cron.d/x",
// "C:\x" gives "x". May give empty text.
std::string ConfineRelativePath(std::string_view path);
