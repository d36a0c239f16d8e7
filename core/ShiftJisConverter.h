#pragma once
// Japanese text-code conversion for the text fields of download lists.
//
// ConvertToShiftJis reads one NUL-terminated byte text written in JIS
// (ISO-2022-JP with escape sequences, including the SO/SI and ESC ( I forms of
// half-width katakana), EUC-JP, Shift-JIS or plain ASCII, decides the encoding
// from the bytes as it goes, and writes the text in Shift-JIS (code page 932)
// to `output`, NUL-terminated. Every half-width katakana becomes the matching
// full-width katakana, merged with a following voiced or semi-voiced sound
// mark where JIS X 0208 has such a character. Bytes that form no character
// are dropped and unknown escape sequences are copied through; no input is
// rejected.
//
// `output` must hold 2 * strlen(input) + 1 bytes: only a one-byte half-width
// katakana grows, to two bytes. The converted text may contain a zero byte
// (a Shift-JIS pair 0xF0 0xFE becomes one), which ends it for C-string readers.
//
// Every call starts from the same initial state and keeps its state to
// itself, so calls do not influence each other and may run on several threads
// at once. Always returns 1.
int ConvertToShiftJis(char* output, const char* input);
