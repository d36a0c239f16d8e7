#include "core/ShiftJisConverter.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>

#include "core/HalfWidthKana.h"

namespace {

constexpr int kEndOfInput = -1;  // what reading at the terminating NUL yields
constexpr int kNoLead = 0;       // no lead byte pending; a lead of 0 is a single byte
constexpr int kEscape = 0x1B;
constexpr int kShiftOut = 0x0E;
constexpr int kShiftIn = 0x0F;
constexpr int kEucSingleShift2 = 0x8E;  // EUC-JP: a half-width katakana follows
constexpr size_t kHoldPairs = 32;       // pairs held back while the encoding is open

// Whether the 8-bit encoding (Shift-JIS or EUC) has been decided. A pair the
// output step cannot convert makes it open again.
enum class Detection { Open, Settled };
// How an 8-bit pair becomes a JIS code: Shift-JIS arithmetic, or direct (the
// pair already is a JIS code with the eighth bits set, as in EUC).
enum class PairDecoder { Direct, ShiftJis };
// The character set chosen by the last JIS escape sequence.
enum class CharacterSet { Ascii, Kanji, Kana };
// Whether 7-bit bytes 0x21..0x5F stand for half-width katakana, and why.
enum class KanaShift { Off, ShiftOut, Escape };
// How the sound marks that may follow a half-width katakana are written.
enum class KanaForm { EightBit, SevenBit };

struct HeldPair {
  std::uint8_t lead;  // 0 for a single byte
  std::uint8_t byte;
};

// One conversion: the state lives here, so each call has its own.
class ShiftJisConverter {
 public:
  ShiftJisConverter(char* output, const char* input)
      : m_out(output), m_start(input), m_cursor(input) {}

  void Run() {
    for (int x = Read(); x != kEndOfInput; x = Read()) {
      if (m_pendingLead != kNoLead) {
        OnSecondByte(x);
      } else if (x > 0x7F) {
        OnEightBitByte(x);
      } else {
        OnSevenBitByte(x);
      }
    }
    *m_out = '\0';  // a lead byte still pending is dropped
  }

 private:
  int Read() {
    auto byte = static_cast<unsigned char>(*m_cursor);
    if (byte == 0) return kEndOfInput;
    ++m_cursor;
    return byte;
  }

  // Steps back over the byte just read; never before the start.
  void PushBack() {
    if (m_cursor != m_start) --m_cursor;
  }

  void Write(int byte) { *m_out++ = static_cast<char>(byte); }

  // Writes one character given as (lead, byte); lead 0 is a single byte that
  // goes out unchanged. A pair is taken as a JIS code and written as
  // Shift-JIS; one outside the JIS range is dropped and reopens detection.
  void Output(int lead, int byte) {
    if (lead == kEndOfInput) return;
    if (lead == 0) {
      Write(byte);
      return;
    }
    lead &= 0x7F;  // also drops what a decoder produced above 7 bits, or below 0
    byte &= 0x7F;
    if (lead == 0) {
      Write(byte);
      return;
    }
    if (lead < 0x20 || lead > 0x7E || byte < 0x20 || byte > 0x7E) {
      m_detection = Detection::Open;
      return;
    }
    Write(((lead - 1) >> 1) + (lead <= 0x5E ? 0x71 : 0xB1));
    if ((lead & 1) != 0) {
      Write(byte + (byte < 0x60 ? 0x1F : 0x20));
    } else {
      Write(byte + 0x7E);
    }
  }

  void OutputJis(JisCode code) { Output(code >> 8, code & 0xFF); }

  void Decode(int lead, int byte) {
    if (m_decoder == PairDecoder::Direct || lead == 0 || lead == kEndOfInput) {
      Output(lead, byte);
      return;
    }
    int jisLead = lead <= 0x9F ? 2 * lead - 0xE1 : 2 * lead - 0x161;
    int jisByte;
    if (byte < 0x9F) {
      jisByte = byte > 0x7F ? byte - 0x20 : byte - 0x1F;
    } else {
      jisByte = byte - 0x7E;
      ++jisLead;
    }
    Output(jisLead, jisByte);
  }

  // After JIS ESC $ B the bytes already are JIS codes, whatever decoder the
  // 8-bit detection chose.
  void Send(int lead, int byte) {
    if (m_characterSet == CharacterSet::Kanji) {
      Output(lead, byte);
    } else {
      Decode(lead, byte);
    }
    m_pendingLead = kNoLead;
  }

  void Settle(PairDecoder decoder) {
    m_detection = Detection::Settled;
    m_decoder = decoder;
  }

  void OnSecondByte(int x) {
    int lead = m_pendingLead;
    m_pendingLead = kNoLead;
    if (lead <= 0x7F) {  // second byte of a 7-bit kanji pair
      if (x != 0x7F && x > 0x20) Send(lead, x);
      return;
    }
    if (x < 0x40) return;  // no trail byte in either encoding: drop both
    if (m_detection == Detection::Open) {
      if (x > 0xA0) {
        ResolveAmbiguousStart(lead, x);
        return;
      }
      Settle(PairDecoder::ShiftJis);  // 0x40..0xA0 trails only Shift-JIS
    }
    Send(lead, x);
  }

  void OnEightBitByte(int x) {
    if (m_detection == Detection::Open) {
      if (x < 0xA0) {
        Settle(PairDecoder::ShiftJis);
      } else if (x < 0xE0) {
        Settle(PairDecoder::Direct);
      }
      m_pendingLead = x;
      return;
    }
    if (x >= 0xA0 && x < 0xE0 && m_decoder == PairDecoder::ShiftJis) {
      ConvertKana(x, KanaForm::EightBit);
      return;
    }
    if (x == kEucSingleShift2 && m_decoder == PairDecoder::Direct) {
      ConvertEucKana(Read());
      return;
    }
    if (x < 0xA0) m_decoder = PairDecoder::ShiftJis;  // no EUC byte is below 0xA0
    m_pendingLead = x;
  }

  void OnSevenBitByte(int x) {
    if (x == kShiftIn) {
      m_kanaShift = KanaShift::Off;
    } else if (x == kShiftOut) {
      m_kanaShift = KanaShift::ShiftOut;
    } else if (x == kEscape) {
      ReadEscapeSequence();
    } else if (x <= 0x20 ||
               x == 0x7F) {  // NOLINT(bugprone-branch-clone): before the shifts, on purpose
      Send(0, x);
    } else if (m_kanaShift != KanaShift::Off) {
      int kana = x + 0x80;
      if (kana <= 0xDF) {
        ConvertKana(kana, KanaForm::SevenBit);
      } else {
        Send(0, kana);
      }
    } else if (m_characterSet == CharacterSet::Kanji) {
      m_pendingLead = x;
    } else {
      Send(0, x);
    }
  }

  void SelectCharacterSet(CharacterSet set, KanaShift shift) {
    m_characterSet = set;
    m_kanaShift = shift;
  }

  // Reads what follows an ESC. A recognised sequence switches the character
  // set and writes nothing; anything else is copied through. The input may
  // end inside a sequence: what was read is written.
  void ReadEscapeSequence() {
    int first = Read();
    if (first == '$') {
      int second = Read();
      if (second == '@' || second == 'B') {
        SelectCharacterSet(CharacterSet::Kanji, KanaShift::Off);
        return;
      }
      if (second == '(') {
        int third = Read();
        if (third == '@' || third == 'B') {
          SelectCharacterSet(CharacterSet::Kanji, KanaShift::Off);
          return;
        }
        WriteRead({kEscape, '$', '(', third});
        return;
      }
      WriteRead({kEscape, '$', second});
      return;
    }
    if (first == '(') {
      int second = Read();
      if (second == 'I') {
        SelectCharacterSet(CharacterSet::Kana, KanaShift::Escape);
        return;
      }
      if (second == 'B' || second == 'J' || second == 'H') {
        SelectCharacterSet(CharacterSet::Ascii, KanaShift::Off);
        return;
      }
      Write(kEscape);
      Write('(');
      if (second != kEndOfInput) Send(0, second);
      return;
    }
    Write(kEscape);
    if (first != kEndOfInput) Send(0, first);
  }

  // Writes the bytes of an unknown sequence up to the end of the input.
  void WriteRead(std::initializer_list<int> bytes) {
    for (int byte : bytes) {
      if (byte == kEndOfInput) return;
      Write(byte);
    }
  }

  // A half-width katakana of Shift-JIS text (8-bit marks 0xDE, 0xDF) or of a
  // 7-bit SO or ESC ( I run (marks 0x5E, 0x5F).
  void ConvertKana(int kana, KanaForm form) {
    if (!HasSoundForms(kana)) {
      OutputJis(GetFullWidthKana(kana));
      return;
    }
    int voicedMark = form == KanaForm::EightBit ? 0xDE : 0x5E;
    int semiVoicedMark = form == KanaForm::EightBit ? 0xDF : 0x5F;
    int mark = Read();
    if (mark == voicedMark) {
      OutputJis(GetVoicedKana(kana));
    } else if (mark == semiVoicedMark && GetSemiVoicedKana(kana) != 0) {
      OutputJis(GetSemiVoicedKana(kana));
    } else {
      if (mark != kEndOfInput) PushBack();
      OutputJis(GetFullWidthKana(kana));
    }
  }

  // EUC-JP half-width katakana: `kana` followed a 0x8E, and so does a sound
  // mark that merges with it.
  void ConvertEucKana(int kana) {
    for (;;) {
      if (kana == kEndOfInput) return;
      if (kana < 0xA0 || kana > 0xDF) {
        Send(0, kana);  // the 0x8E before it is dropped
        return;
      }
      if (!HasSoundForms(kana)) {
        OutputJis(GetFullWidthKana(kana));
        return;
      }
      int shift = Read();
      if (shift != kEucSingleShift2) {
        if (shift != kEndOfInput) PushBack();
        OutputJis(GetFullWidthKana(kana));
        return;
      }
      int mark = Read();
      if (mark == kEndOfInput) {
        OutputJis(GetFullWidthKana(kana));
        Write(kEucSingleShift2);
        return;
      }
      if (mark == 0xDE) {
        OutputJis(GetVoicedKana(kana));
        return;
      }
      if (mark == 0xDF && GetSemiVoicedKana(kana) != 0) {
        OutputJis(GetSemiVoicedKana(kana));
        return;
      }
      OutputJis(GetFullWidthKana(kana));
      kana = mark;  // not a mark: a new 0x8E character
    }
  }

  // Entered with a pair that is valid in Shift-JIS and in EUC (lead 0xE0 or
  // above, trail above 0xA0) while the encoding is open. Holds back up to 32
  // pairs until a byte decides the encoding, then writes them all with the
  // decoder chosen by then (direct, that is EUC, if nothing decided).
  void ResolveAmbiguousStart(int lead, int x) {
    std::array<HeldPair, kHoldPairs> held;
    size_t count = 0;
    auto store = [&](int pairLead, int byte) {
      held[count++] = {static_cast<std::uint8_t>(pairLead), static_cast<std::uint8_t>(byte)};
    };
    store(lead, x);
    int heldLead = kNoLead;
    for (int b = Read(); b != kEndOfInput; b = Read()) {
      if (heldLead != kNoLead) {
        if (m_detection == Detection::Settled || b > 0xA0) {
          store(heldLead, b);
        } else if (b < 0x40) {
          store(0, b);
        } else {
          Settle(PairDecoder::ShiftJis);
          store(heldLead, b);
        }
      } else if (b > 0x7F) {
        if (b < 0xA0) {
          Settle(PairDecoder::ShiftJis);
        } else if (b < 0xE0) {
          Settle(PairDecoder::Direct);
        }
        heldLead = b;
        continue;
      } else {
        store(0, b);
      }
      if (count == kHoldPairs || m_detection == Detection::Settled) break;
      heldLead = kNoLead;
    }
    // A lead byte held when the input ended is lost.
    for (size_t i = 0; i < count; ++i) Decode(held[i].lead, held[i].byte);
  }

  char* m_out;
  const char* const m_start;
  const char* m_cursor;
  Detection m_detection = Detection::Open;
  PairDecoder m_decoder = PairDecoder::Direct;
  CharacterSet m_characterSet = CharacterSet::Ascii;
  KanaShift m_kanaShift = KanaShift::Off;
  int m_pendingLead = kNoLead;
};

}  // namespace

int ConvertToShiftJis(char* output, const char* input) {
  ShiftJisConverter(output, input).Run();
  return 1;
}
