#pragma once
// The correspondence of half-width katakana (JIS X 0201, bytes 0xA0 to 0xDF)
// to full-width characters of JIS X 0208. Codes are JIS codes with the first
// byte in the high eight bits: 0x2522 is first byte 0x25, second byte 0x22.
// A code of 0 means the byte has no such form.

#include <cstdint>

using JisCode = std::uint16_t;

// The full-width form of `kana`; 0xA0, which JIS X 0201 leaves unassigned,
// gives the ideographic space 0x2121. 0 for bytes outside 0xA0..0xDF.
JisCode GetFullWidthKana(int kana);

// The form with the voiced sound mark merged in (0xB6 カ gives 0x252C ガ);
// 0 when there is none, as for 0xB3 ウ.
JisCode GetVoicedKana(int kana);

// The form with the semi-voiced sound mark merged in (0xCA ハ gives 0x2551
// パ); 0 when there is none.
JisCode GetSemiVoicedKana(int kana);

// Whether a following sound mark may merge with `kana` (0xB6..0xC4 and
// 0xCA..0xCE).
bool HasSoundForms(int kana);
