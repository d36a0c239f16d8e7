#include "core/HalfWidthKana.h"

#include <array>
#include <cstddef>

namespace {

constexpr int kFirstKana = 0xA0;
constexpr int kLastKana = 0xDF;
using KanaRow = std::array<JisCode, kLastKana - kFirstKana + 1>;

// Punctuation, the prolonged sound mark and the two sound marks come from
// row 1 of JIS X 0208, the katakana from row 5.
constexpr KanaRow kFullWidth = {
    0x2121, 0x2123, 0x2156, 0x2157, 0x2122, 0x2126, 0x2572, 0x2521,  // A0-A7
    0x2523, 0x2525, 0x2527, 0x2529, 0x2563, 0x2565, 0x2567, 0x2543,  // A8-AF
    0x213C, 0x2522, 0x2524, 0x2526, 0x2528, 0x252A, 0x252B, 0x252D,  // B0-B7
    0x252F, 0x2531, 0x2533, 0x2535, 0x2537, 0x2539, 0x253B, 0x253D,  // B8-BF
    0x253F, 0x2541, 0x2544, 0x2546, 0x2548, 0x254A, 0x254B, 0x254C,  // C0-C7
    0x254D, 0x254E, 0x254F, 0x2552, 0x2555, 0x2558, 0x255B, 0x255E,  // C8-CF
    0x255F, 0x2560, 0x2561, 0x2562, 0x2564, 0x2566, 0x2568, 0x2569,  // D0-D7
    0x256A, 0x256B, 0x256C, 0x256D, 0x256F, 0x2573, 0x212B, 0x212C,  // D8-DF
};

constexpr KanaRow kVoiced = {
    0,      0,      0,      0,      0,      0,      0,      0,       // A0-A7
    0,      0,      0,      0,      0,      0,      0,      0,       // A8-AF
    0,      0,      0,      0,      0,      0,      0x252C, 0x252E,  // B0-B7
    0x2530, 0x2532, 0x2534, 0x2536, 0x2538, 0x253A, 0x253C, 0x253E,  // B8-BF
    0x2540, 0x2542, 0x2545, 0x2547, 0x2549, 0,      0,      0,       // C0-C7
    0,      0,      0x2550, 0x2553, 0x2556, 0x2559, 0x255C, 0,       // C8-CF
    0,      0,      0,      0,      0,      0,      0,      0,       // D0-D7
    0,      0,      0,      0,      0,      0,      0,      0,       // D8-DF
};

constexpr KanaRow kSemiVoiced = {
    0, 0, 0,      0,      0,      0,      0,      0,  // A0-A7
    0, 0, 0,      0,      0,      0,      0,      0,  // A8-AF
    0, 0, 0,      0,      0,      0,      0,      0,  // B0-B7
    0, 0, 0,      0,      0,      0,      0,      0,  // B8-BF
    0, 0, 0,      0,      0,      0,      0,      0,  // C0-C7
    0, 0, 0x2551, 0x2554, 0x2557, 0x255A, 0x255D, 0,  // C8-CF
    0, 0, 0,      0,      0,      0,      0,      0,  // D0-D7
    0, 0, 0,      0,      0,      0,      0,      0,  // D8-DF
};

JisCode Lookup(const KanaRow& row, int kana) {
  if (kana < kFirstKana || kana > kLastKana) return 0;
  return row[static_cast<size_t>(kana - kFirstKana)];
}

}  // namespace

JisCode GetFullWidthKana(int kana) { return Lookup(kFullWidth, kana); }

JisCode GetVoicedKana(int kana) { return Lookup(kVoiced, kana); }

JisCode GetSemiVoicedKana(int kana) { return Lookup(kSemiVoiced, kana); }

bool HasSoundForms(int kana) { return GetVoicedKana(kana) != 0 || GetSemiVoicedKana(kana) != 0; }
