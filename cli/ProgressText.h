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

// What the progress line shows.
struct ProgressFigures {
  std::string_view name;      // the current file's name, already fit for a terminal
  std::int64_t bytes;         // of the current file so far
  std::int64_t expectedSize;  // of the current file; 0 when the list gave none
  double bytesPerSecond;      // smoothed
  std::size_t fileNumber;     // of the current file in the run, from 1
  std::size_t fileCount;      // files in the run: done and queued
  std::int64_t runBytes;      // of the run so far: done files by size, the current one by bytes
  std::int64_t runSize;       // of the whole run; 0 when a file's size is unknown
};

// One progress line in at most `columns - 1` columns (the last column is left
// free, so that no terminal wraps): "file 3 of 17  <name>   45%  3.4 MiB
// 120.0 KiB/s  0:12 left  list 9.2 MiB of 40.0 MiB". The percentage reads
// " --%" and the time left is left out without an expected size; the time
// left reads "--:--" before a rate is known. A narrow terminal shortens the
// name first (ending it with "…"), then leaves out the list's bytes, the
// file count and the time left, and cuts the line as a last resort.
std::string ProgressLine(const ProgressFigures& figures, std::size_t columns);
