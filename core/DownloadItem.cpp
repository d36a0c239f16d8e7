#include "core/DownloadItem.h"

#include <strings.h>

#include "platform/PathParts.h"

std::string CDownloadItem::GetDisplayName() const {
  if (!m_strTitle.empty()) return m_strTitle;
  std::string name = GetFileNamePart(m_strLocalPath);
  constexpr std::string_view kExtension = ".mp3";
  if (name.size() >= kExtension.size() &&
      strcasecmp(name.c_str() + name.size() - kExtension.size(), kExtension.data()) == 0)
    name.resize(name.size() - kExtension.size());
  return name;
}
