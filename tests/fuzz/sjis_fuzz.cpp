// libFuzzer target for the Japanese text-code conversion: random bytes must
// never crash or trip a sanitizer, the Shift-JIS result must fit the
// documented area of twice the input length plus one (the area is allocated
// exactly that large, so AddressSanitizer sees any byte beyond it), the
// result code is always 1, and the list field result is always valid UTF-8.
// Built and run by `make test-fuzz`.

#include <iconv.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "core/FieldText.h"
#include "core/ShiftJisConverter.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

bool IsValidUtf8(const std::string& text) {
  iconv_t converter = iconv_open("UTF-32LE", "UTF-8");
  Check(converter != reinterpret_cast<iconv_t>(-1));
  std::string out(4 * text.size() + 4, '\0');
  char* in = const_cast<char*>(text.data());
  size_t inLeft = text.size();
  char* outPos = out.data();
  size_t outLeft = out.size();
  size_t result = iconv(converter, &in, &inLeft, &outPos, &outLeft);
  iconv_close(converter);
  return result != static_cast<size_t>(-1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
  // The converter reads a NUL-terminated text: an embedded zero ends it.
  std::string input(reinterpret_cast<const char*>(data), size);
  input.resize(std::strlen(input.c_str()));

  size_t area = 2 * input.size() + 1;
  auto first = std::make_unique<char[]>(area);
  auto second = std::make_unique<char[]>(area);
  Check(ConvertToShiftJis(first.get(), input.c_str()) == 1);
  Check(ConvertToShiftJis(second.get(), input.c_str()) == 1);
  // Each call starts afresh, so the same input gives the same text.
  Check(std::strcmp(first.get(), second.get()) == 0);

  std::string field = ConvertFieldText(std::string_view(reinterpret_cast<const char*>(data), size));
  Check(field.find('\0') == std::string::npos);
  Check(IsValidUtf8(field));
  return 0;
}
