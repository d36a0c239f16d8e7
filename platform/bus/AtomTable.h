#pragma once
// The global atom table: short names shared by the processes of one user,
// each known by a 16-bit number, as the desktop's global atoms are. It lives
// in the file "atoms" of the bus folder; every change holds the lock on the
// bus folder and replaces the table in one step. Atoms stay until deleted
// as often as they were added, or until the bus folder goes (at logout when
// it lies in $XDG_RUNTIME_DIR).

#include <cstdint>
#include <string>
#include <string_view>

using GlobalAtom = std::uint16_t;

inline constexpr std::size_t kMaxAtomNameLength = 255;  // bytes
inline constexpr GlobalAtom kFirstAtom = 0xC000;        // string atoms are 0xC000..0xFFFF

// Adds `name` (1 to 255 bytes, no NUL) or, when a name equal to it apart from
// ASCII letter case is present, counts one more reference to that one.
// Returns its atom, or 0 when the name breaks the limits, the table is full
// or the bus folder cannot be used.
GlobalAtom GlobalAddAtom(std::string_view name);

// The name of `atom` as it was first added, or empty text when there is no
// such atom.
std::string GlobalGetAtomName(GlobalAtom atom);

// Drops one reference; the atom goes when none is left. False when there was
// no such atom.
bool GlobalDeleteAtom(GlobalAtom atom);
