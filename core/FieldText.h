#pragma once
// Text fields of a download list (titles, relative paths) as UTF-8, the
// encoding of file names and window texts on this platform.

#include <string>
#include <string_view>

// `field` up to its first NUL byte, as UTF-8:
// - kept as it stands when it is valid UTF-8 with at least one byte above
//   0x7F (lists written today are UTF-8);
// - otherwise read as JIS, EUC-JP, Shift-JIS or ASCII by ConvertToShiftJis,
//   then taken from code page 932 to UTF-8; a byte that starts no character
//   of code page 932 becomes U+FFFD, so the result is always valid UTF-8.
// Nothing is cut: the result may be up to six times as long as `field`.
std::string ConvertFieldText(std::string_view field);
