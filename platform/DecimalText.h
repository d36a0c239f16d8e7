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
