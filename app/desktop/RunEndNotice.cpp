#include "app/desktop/RunEndNotice.h"

#include "config/MessageCatalog.h"

namespace {

// The catalogue's text for `key` with its "%1" replaced by `value`. Language
// files are outside data, so the text is never used as a printf format.
std::string TextWith(std::string_view key, const std::string& value) {
  std::string text = GetMessageText(key);
  if (const std::size_t at = text.find("%1"); at != std::string::npos) text.replace(at, 2, value);
  return text;
}

}  // namespace

DesktopNotice RunEndNotice(int fetched, const std::string& saveFolder, NoticeClick click) {
  const bool opens = click == NoticeClick::OpensFolder;
  return {.summary = GetMessageText("3001"),
          .body = TextWith("3002", std::to_string(fetched)) + "\n" + TextWith("3003", saveFolder),
          .actionLabel = opens ? GetMessageText("3004") : std::string(),
          .actionTarget = opens ? saveFolder : std::string()};
}
