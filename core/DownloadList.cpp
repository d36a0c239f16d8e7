// Reading a download list into the queue: directives set the base URL and
// the list's credentials, every other line names a file on the server (an
// empty line names none and is refused), and the worker is started at the end.

#include <climits>
#include <memory>
#include <optional>
#include <string>
#include <variant>

#include "config/MessageCatalog.h"
#include "config/Settings.h"
#include "config/TextFields.h"
#include "core/DownloadCore.h"
#include "core/FieldText.h"
#include "core/ListLineReader.h"
#include "core/PartFile.h"
#include "core/UrlEscape.h"
#include "platform/CaseInsensitive.h"
#include "platform/FolderTree.h"
#include "platform/PathParts.h"
#include "platform/Utf8Prefix.h"

namespace {

constexpr std::string_view kBaseUrlDirective = "//!baseurl ";
constexpr std::string_view kAuthDirective = "//!auth ";
constexpr std::string_view kFieldSeparator = "|";
// Converted titles and paths end here, as the design's 1024-byte buffers did.
constexpr std::size_t kMaxFieldBytes = 1023;
constexpr std::size_t kMaxNameBytes = NAME_MAX;

// What is in force while one list is read.
struct ListContext {
  std::string baseUrl;
  std::string credentials;
  // The folder the last item line made. Lines of one folder come in runs,
  // and the folder is still there for the next line of the run: the load
  // takes milliseconds, and a folder taken away within them would have
  // failed the earlier lines' files all the same.
  std::string lastFolder;
};

// True for a directive or a comment; the directives change `context`.
bool HandleDirective(const std::string& line, ListContext& context) {
  if (!line.starts_with("//")) return false;
  if (StartsWithIgnoringCase(line, kBaseUrlDirective)) {
    context.baseUrl =
        std::string(TrimWhiteSpace(std::string_view(line).substr(kBaseUrlDirective.size())));
  } else if (StartsWithIgnoringCase(line, kAuthDirective)) {
    context.credentials =
        std::string(TrimWhiteSpace(std::string_view(line).substr(kAuthDirective.size())));
  }
  return true;
}

bool HasOverlongName(std::string_view path) {
  std::size_t nameStart = 0;
  for (std::size_t i = 0; i <= path.size(); ++i) {
    if (i == path.size() || path[i] == '/' || path[i] == '\\') {
      if (i - nameStart > kMaxNameBytes) return true;
      nameStart = i + 1;
    }
  }
  return false;
}

// The item an item line names, or why it names none. An item is queued whole
// or not at all: a path or URL that does not fit is refused, never cut into
// the name of another file.
std::variant<std::unique_ptr<CDownloadItem>, RefusedLine> MakeItem(const std::string& line,
                                                                   ListContext& context) {
  const std::string raw = GetField(line, 0, kFieldSeparator);
  const std::string converted = ConvertFieldText(raw);
  if (converted.size() > kMaxFieldBytes) return RefusedLine::PathTooLong;
  // Whatever the line says, the file stays inside the save folder.
  std::string relative = ConfineRelativePath(SlashesToBackslashes(converted));
  // The line's settings, from one look at the file.
  const SettingsSnapshot settings;
  if (settings.ReadInt("CACHE", "WITH_DIR", -1) == 0) relative = GetFileNamePart(relative);
  if (relative.empty()) return RefusedLine::NoFileName;
  const std::string saveFolder = settings.Read("CACHE", "SAVE_DIR", -1);
  // A value that fills what the settings file gives may have been cut there,
  // and a cut folder is another folder.
  if (saveFolder.size() >= kMaxProfileValueLength) return RefusedLine::SaveFolderTooLong;
  // The part file, written first under the longer name, must fit as well.
  if (saveFolder.size() + 1 + relative.size() + kPartFileSuffix.size() > kMaxPathLength)
    return RefusedLine::PathTooLong;
  std::string full = JoinPath(saveFolder, relative);
  if (HasOverlongName(full + std::string(kPartFileSuffix))) return RefusedLine::PathTooLong;
  std::string escaped = UrlEscape(raw);
  if (escaped.size() > kMaxEscapedUrl) return RefusedLine::UrlTooLong;

  if (std::string folder = GetDirectoryPart(full); folder != context.lastFolder) {
    CreateDirectoryTree(folder);
    context.lastFolder = std::move(folder);
  }
  auto item = std::make_unique<CDownloadItem>();
  item->m_strUrl = context.baseUrl + escaped;
  item->m_strLocalPath = std::move(full);
  item->m_nSize = ParseDecimalInt(GetField(line, 1, kFieldSeparator));
  item->m_strTitle =
      Utf8Prefix(ConvertFieldText(GetField(line, 2, kFieldSeparator)), kMaxFieldBytes);
  item->m_strAuth = context.credentials;
  return item;
}

}  // namespace

bool CDownloadCore::LoadDownloadList(std::string_view path) {
  // Closing (the window, or a signal to the terminal front end) ends the
  // reading at the next line, or within a slice of waiting for a pipe.
  std::optional<ListLineReader> reader = ListLineReader::Open(UnquotedListPath(path), &m_bClosing);
  if (!reader) {
    ShowMessageBox(GetMessageText("0002"), MessageButtons::Ok);
    return false;
  }
  // Each list starts from the configured site, taken as stored.
  ListContext context{ReadSetting("SITE", "URL", -1), {}, {}};
  std::string line;
  for (std::size_t lineNumber = 1; !m_bClosing && reader->Next(line); ++lineNumber) {
    StripLineEnd(line);
    if (HandleDirective(line, context)) continue;
    auto made = MakeItem(line, context);
    if (auto* item = std::get_if<std::unique_ptr<CDownloadItem>>(&made)) {
      AddItem(std::move(*item));
    } else if (auto observer = Observer()) {
      observer->OnLineRefused(lineNumber, std::get<RefusedLine>(made));
    }
  }
  StartWorker();
  return true;
}
