#include "platform/bus/AtomTable.h"

#include <cstdint>
#include <functional>
#include <map>
#include <optional>

#include "platform/CaseInsensitive.h"
#include "platform/DecimalText.h"
#include "platform/HexText.h"
#include "platform/SmallFile.h"
#include "platform/bus/BusFolder.h"

namespace {

constexpr std::string_view kHeader = "tunefetch-atoms 1";
constexpr std::size_t kAtomCount = 0x10000 - kFirstAtom;
// Room for a full table of longest names with the largest counts; a bigger
// file is not ours. A line is "65535 4294967295 <510 hex digits>" and LF.
constexpr std::size_t kMaxLineSize = 5 + 1 + 10 + 1 + 2 * kMaxAtomNameLength + 1;
constexpr std::size_t kMaxTableFileSize = kHeader.size() + 1 + kAtomCount * kMaxLineSize;

struct AtomEntry {
  std::uint32_t references = 0;
  std::string name;
};
using AtomMap = std::map<GlobalAtom, AtomEntry>;

// One line "<atom> <references> <name as hex>"; damaged lines are dropped.
void ParseLine(std::string_view line, AtomMap& atoms) {
  const std::size_t first = line.find(' ');
  const std::size_t second = first == std::string_view::npos ? first : line.find(' ', first + 1);
  if (second == std::string_view::npos) return;
  const auto atom = ParseUnsigned<std::uint32_t>(line.substr(0, first));
  const auto references = ParseUnsigned<std::uint32_t>(line.substr(first + 1, second - first - 1));
  const auto name = FromHex(line.substr(second + 1));
  if (!atom || *atom < kFirstAtom || *atom > 0xFFFF || !references || *references == 0 || !name ||
      name->empty() || name->size() > kMaxAtomNameLength || name->find('\0') != std::string::npos)
    return;
  atoms[static_cast<GlobalAtom>(*atom)] = {*references, *name};
}

// A foreign or damaged file counts as empty.
AtomMap ParseTable(std::string_view text) {
  AtomMap atoms;
  // The header line must match whole: "tunefetch-atoms 12" is another format.
  const std::size_t headerEnd = text.find('\n');
  if (headerEnd == std::string_view::npos || text.substr(0, headerEnd) != kHeader) return atoms;
  text.remove_prefix(headerEnd + 1);
  for (std::size_t end; (end = text.find('\n')) != std::string_view::npos;
       text.remove_prefix(end + 1))
    ParseLine(text.substr(0, end), atoms);
  return atoms;
}

std::string FormatTable(const AtomMap& atoms) {
  std::string text(kHeader);
  text += '\n';
  for (const auto& [atom, entry] : atoms)
    text += std::to_string(atom) + " " + std::to_string(entry.references) + " " +
            ToHex(entry.name) + "\n";
  return text;
}

// The table file of the bus folder, or nothing when the folder is unusable.
std::optional<std::string> TablePath() {
  const BusFolderResult folder = OpenBusFolder();
  if (folder.error != BusError::None) return std::nullopt;
  return folder.path + "/atoms";
}

// Runs `change` on the table under the bus folder's lock; true when it asked
// for the table to be saved and that worked. A table file that cannot be read
// is neither changed nor replaced.
bool ChangeTable(const std::function<FileChange(AtomMap& atoms)>& change) {
  const std::optional<std::string> path = TablePath();
  if (!path) return false;
  const auto update = [&](FileReadResult read, std::string& text) {
    if (read != FileReadResult::Read && read != FileReadResult::Missing) return FileChange::Keep;
    AtomMap atoms = ParseTable(text);
    if (change(atoms) == FileChange::Keep) return FileChange::Keep;
    text = FormatTable(atoms);
    return FileChange::Replace;
  };
  return UpdateSmallFile(*path, kMaxTableFileSize, update) == UpdateResult::Replaced;
}

}  // namespace

GlobalAtom GlobalAddAtom(std::string_view name) {
  if (name.empty() || name.size() > kMaxAtomNameLength || name.find('\0') != std::string_view::npos)
    return 0;
  GlobalAtom chosen = 0;
  const bool saved = ChangeTable([&](AtomMap& atoms) {
    for (auto& [atom, entry] : atoms) {
      if (!EqualsIgnoringCase(entry.name, name)) continue;
      if (entry.references == UINT32_MAX) return FileChange::Keep;
      ++entry.references;
      chosen = atom;
      return FileChange::Replace;
    }
    // The lowest free number, so numbers stay small and a full table is plain.
    for (std::uint32_t candidate = kFirstAtom; candidate <= 0xFFFF; ++candidate) {
      if (!atoms.contains(static_cast<GlobalAtom>(candidate))) {
        chosen = static_cast<GlobalAtom>(candidate);
        atoms[chosen] = {1, std::string(name)};
        return FileChange::Replace;
      }
    }
    return FileChange::Keep;
  });
  return saved ? chosen : 0;
}

std::string GlobalGetAtomName(GlobalAtom atom) {
  // Changes replace the file in one step, so a reader needs no lock.
  const std::optional<std::string> path = atom >= kFirstAtom ? TablePath() : std::nullopt;
  std::string text;
  if (!path || ReadSmallFile(*path, kMaxTableFileSize, text) != FileReadResult::Read) return {};
  const AtomMap atoms = ParseTable(text);
  const auto found = atoms.find(atom);
  return found == atoms.end() ? std::string() : found->second.name;
}

bool GlobalDeleteAtom(GlobalAtom atom) {
  if (atom < kFirstAtom) return false;
  return ChangeTable([&](AtomMap& atoms) {
    const auto found = atoms.find(atom);
    if (found == atoms.end()) return FileChange::Keep;
    if (--found->second.references == 0) atoms.erase(found);
    return FileChange::Replace;
  });
}
