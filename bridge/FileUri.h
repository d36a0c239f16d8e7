#pragma once
// Local paths as the file:// URIs players want.

#include <optional>
#include <string>
#include <string_view>

// The file:// URI of the absolute path `path` (bytes as they are; blanks, "#",
// "%" and every non-ASCII byte percent-escaped), or nullopt when the path is
// empty, relative or holds a NUL.
std::optional<std::string> FileUriFromPath(std::string_view path);
