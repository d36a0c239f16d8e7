#include "core/DownloadItem.h"

#include "platform/CaseInsensitive.h"
#include "platform/PathParts.h"

std::string CDownloadItem::GetDisplayName() const {
  if (!m_strTitle.empty()) return m_strTitle;
  std::string name = GetFileNamePart(m_strLocalPath);
  constexpr std::string_view kExtension = ".mp3";
  if (EndsWithIgnoringCase(name, kExtension)) name.resize(name.size() - kExtension.size());
  return name;
}
