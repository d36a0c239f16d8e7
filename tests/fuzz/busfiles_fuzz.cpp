// The bus folder's files on arbitrary text: a window entry, the atom table
// and the id counter, as another program or a crash may leave them. The first
// byte picks the file. What is read back is within the limits, and the next
// change on top of it works and reads back.

#include <filesystem>

#include "platform/CaseInsensitive.h"
#include "platform/bus/AtomTable.h"
#include "platform/bus/BusFolder.h"
#include "platform/bus/BusRegistry.h"
#include "tests/fuzz/FuzzSupport.h"

namespace {

void CheckEntry(const std::string& folder, std::string_view text) {
  const BusWindowHandle handle{7};
  WriteFileText(EntryPath(folder, handle), text);
  const std::vector<BusWindowInfo> windows = ListWindowEntries(folder);
  FuzzCheck(windows.size() <= 1);
  if (windows.empty()) return;
  const BusWindowInfo& info = windows[0];
  FuzzCheck(info.handle == handle && info.pid > 0);
  FuzzCheck(IsValidClassName(info.className) && IsValidTitle(info.title));
  // What was read writes back and reads the same.
  FuzzCheck(WriteWindowEntry(folder, info) == BusError::None);
  const std::vector<BusWindowInfo> again = ListWindowEntries(folder);
  FuzzCheck(again.size() == 1 && again[0].pid == info.pid &&
            again[0].visibility == info.visibility && again[0].className == info.className &&
            again[0].title == info.title);
  RemoveWindowEntry(folder, handle);
}

void CheckAtoms(const std::string& folder, std::string_view text) {
  WriteFileText(folder + "/atoms", text);
  for (GlobalAtom atom = kFirstAtom; atom < kFirstAtom + 4; ++atom)
    FuzzCheck(GlobalGetAtomName(atom).size() <= kMaxAtomNameLength);
  const std::string name = "/fuzz/List.mpq";
  const GlobalAtom added = GlobalAddAtom(name);
  if (added == 0) return;  // a full table, or a full count
  FuzzCheck(added >= kFirstAtom && EqualsIgnoringCase(GlobalGetAtomName(added), name));
  FuzzCheck(GlobalDeleteAtom(added));
}

void CheckSequence(const std::string& folder, std::string_view text) {
  WriteFileText(folder + "/sequence", text);
  BusError error = BusError::None;
  const BusWindowHandle handle = AllocateWindowHandle(folder, error);
  FuzzCheck(error == BusError::None || error == BusError::NoIdsLeft);
  if (error == BusError::None)
    FuzzCheck(handle && ReadFileText(folder + "/sequence") == std::to_string(handle.id) + "\n");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzProgramFolder();  // the sandbox, and so a bus folder of the run's own
  if (size == 0) return 0;
  const BusFolderResult folder = OpenBusFolder();
  FuzzCheck(folder.error == BusError::None);
  const std::string_view text = FuzzText(data + 1, size - 1);
  switch (data[0] % 3) {
    case 0:
      CheckEntry(folder.path, text);
      break;
    case 1:
      CheckAtoms(folder.path, text);
      break;
    case 2:
      CheckSequence(folder.path, text);
      break;
  }
  return 0;
}
