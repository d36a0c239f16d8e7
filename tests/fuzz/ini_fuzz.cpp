// The INI reader and writer on arbitrary file text: values stay within their
// limit, and writing one key reads back and leaves every other value alone.

#include "platform/ProfileFile.h"
#include "tests/fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string path = FuzzProgramFolder().SettingsFile();
  WriteFileText(path, FuzzText(data, size));
  const std::pair<const char*, const char*> keys[] = {
      {"GENERAL", "LANGUAGE"}, {"site", "password"}, {"A", "B"}, {"", ""}};
  std::string before[std::size(keys)];
  for (std::size_t i = 0; i < std::size(keys); ++i) {
    before[i] = ReadProfileString(path, keys[i].first, keys[i].second, "-");
    FuzzCheck(before[i].size() <= kMaxProfileValueLength);
  }
  FuzzCheck(WriteProfileString(path, "FuzzWritten", "Key", "a value"));
  FuzzCheck(ReadProfileString(path, "FuzzWritten", "Key", "-") == "a value");
  for (std::size_t i = 0; i < std::size(keys); ++i)
    FuzzCheck(ReadProfileString(path, keys[i].first, keys[i].second, "-") == before[i]);
  return 0;
}
