#pragma once
// The desktop's lists of which application opens which content type
// (mimeapps.list, and the older defaults.list): lines "<type>=<a.desktop>;<b.desktop>;"
// in the sections [Default Applications] and [Added Associations].

#include <string>
#include <string_view>

// Makes `desktopFile` the default for `mimeType` in the list at `path`
// (created when missing), and records it as an added association. Other
// lines stay as they are.
bool SetDefaultApplication(const std::string& path, std::string_view mimeType,
                           std::string_view desktopFile);

// Takes `desktopFile` out of the lines of `mimeType` in both sections of the
// list at `path`, keeping the other applications a line names; a line left
// empty is removed. Other lines and a missing file stay as they are.
void RemoveApplication(const std::string& path, std::string_view mimeType,
                       std::string_view desktopFile);
