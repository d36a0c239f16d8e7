// The key-store file on arbitrary text: every key it holds can be listed and
// read, and a change afterwards reads back whole (a damaged file is moved
// aside, never lost).

#include <filesystem>
#include <vector>

#include "platform/RegistryStore.h"
#include "tests/fuzz/FuzzSupport.h"

namespace {

// Walks `key` and what is below it, reading every value; bounded so a deep
// store cannot take the run's time.
void Walk(const RegistryStore& store, const std::string& key, int depth, int& budget) {
  std::vector<std::string> names;
  if (--budget < 0 || store.ListValues(key, names) != RegistryResult::Ok) return;
  for (const std::string& name : names) {
    RegistryValue value;
    FuzzCheck(store.QueryValue(key, name, value) == RegistryResult::Ok);
  }
  std::size_t count = 0;
  FuzzCheck(store.CountSubkeys(key, count) == RegistryResult::Ok);
  for (std::size_t i = 0; i < count && depth < 8; ++i) {
    std::string subkey;
    FuzzCheck(store.EnumSubkey(key, i, subkey) == RegistryResult::Ok);
    Walk(store, key.empty() ? subkey : key + "\\" + subkey, depth + 1, budget);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string path = FuzzProgramFolder() / "classes.reg";
  std::filesystem::remove(path + ".damaged");
  WriteFileText(path, FuzzText(data, size));
  const RegistryStore store(path);
  int budget = 200;
  Walk(store, "", 0, budget);

  const RegistryValue written{RegistryType::Binary, std::string("\0\r\n%x", 5)};
  FuzzCheck(store.CreateKey("Fuzz\\Written") == RegistryResult::Ok);
  FuzzCheck(store.SetValue("Fuzz\\Written", "value", written) == RegistryResult::Ok);
  RegistryValue read;
  FuzzCheck(store.QueryValue("FUZZ\\written", "VALUE", read) == RegistryResult::Ok);
  FuzzCheck(read.type == written.type && read.data == written.data);
  return 0;
}
