#pragma once
// The texts of the terminal front end's progress display.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// `bytes` for people: "812 B", "12.0 KiB", "3.4 MiB", "1.02 GiB".
std::string FormatBytes(std::int64_t bytes);

// `count` with its thousands grouped: "10,234".
std::string FormatCount(std::size_t count);

// One progress line: the name (cut to 40 bytes at a character boundary),
// the percentage of `expectedSize` (capped at 100; "--%" when the list gave
// no size), the bytes so far and the rate.
std::string ProgressLine(std::string_view name, std::int64_t bytes, std::int64_t expectedSize,
                         double bytesPerSecond);
