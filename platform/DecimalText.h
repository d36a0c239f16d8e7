#pragma once
// Reading the decimal numbers of the program's own text files (bus entries,
// the atom table, the key store).

#include <charconv>
#include <optional>
#include <string_view>

// The number `text` spells in decimal digits only: nothing when it is empty,
// holds any other byte (a sign or blank too) or does not fit `Number`.
template <typename Number>
std::optional<Number> ParseUnsigned(std::string_view text) {
  if (text.empty() || text.front() < '0' || text.front() > '9') return std::nullopt;
  Number value{};
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

// As ParseUnsigned, but only the one spelling a number has: no leading zero
// (other than "0" itself). Ids written in file names must map one to one to
// names, or "01.win" would list window 1 a second time.
template <typename Number>
std::optional<Number> ParseCanonicalUnsigned(std::string_view text) {
  if (text.size() > 1 && text.front() == '0') return std::nullopt;
  return ParseUnsigned<Number>(text);
}
