#pragma once
// Files from res/ compiled into the program. The table is generated at build
// time by tools/embed_resources.

#include <cstdint>
#include <span>
#include <string_view>

// Returns the bytes of the resource file `name` (its file name in res/, such as
// "skin_background.bmp"), or an empty span when there is none. The bytes live as long
// as the program.
std::span<const std::uint8_t> FindEmbeddedResource(std::string_view name);
