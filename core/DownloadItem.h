#pragma once
// One file to fetch. Made by the download list reader, owned by the queue from
// the moment it is appended, never changed afterwards.

#include <cstdint>
#include <string>

class CDownloadItem {
 public:
  virtual ~CDownloadItem() = default;

  // The title when there is one; otherwise the file name of the local path
  // without a final ".mp3" (compared without regard to case).
  std::string GetDisplayName() const;

  std::string m_strUrl;        // base URL followed by the escaped list path
  std::string m_strLocalPath;  // full path the file is saved under
  std::string m_strAuth;       // list credentials for Basic authorisation, or empty
  std::int32_t m_nSize = 0;    // expected size in bytes, 0 when unknown
  std::string m_strTitle;      // display title, or empty
};
