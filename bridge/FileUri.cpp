#include "bridge/FileUri.h"

#include <glib.h>

std::optional<std::string> FileUriFromPath(std::string_view path) {
  if (path.empty() || path.front() != '/' || path.find('\0') != std::string_view::npos)
    return std::nullopt;
  const std::string text(path);
  gchar* uri = g_filename_to_uri(text.c_str(), nullptr, nullptr);
  if (!uri) return std::nullopt;
  std::string result(uri);
  g_free(uri);
  return result;
}
