// The download list reader on arbitrary bytes: the line reader's pieces keep
// their promises, and a whole list is read into the queue with every item's
// file inside the save folder. The worker it starts ends at once, before any
// transfer: the player is missing and the observer declines to go on without
// it, so no list can make this run touch the network.

#include <filesystem>

#include "config/Settings.h"
#include "core/DownloadCore.h"
#include "core/ListLineReader.h"
#include "tests/fuzz/FuzzSupport.h"

namespace {

class DecliningObserver : public DownloadObserver {
 public:
  void DrawCurrentFilePanel() override {}
  void DrawStatusPanel() override {}
  void DrawProgressPanel() override {}
  void DrawIndicatorPanel() override {}
  void OnItemAppended() override {}
  void OnHeadItemRemoved() override {}
  MessageAnswer ShowMessageBox(const std::string&, MessageButtons) override {
    return MessageAnswer::No;
  }
  void SetTrayTip(const std::string&) override {}
  void RequestClose() override {}
};

void CheckLines(const std::string& path) {
  std::optional<ListLineReader> reader = ListLineReader::Open(path);
  FuzzCheck(reader.has_value());
  std::string line;
  while (reader->Next(line)) {
    FuzzCheck(line.find('\0') == std::string::npos);
    const std::size_t text = line.ends_with('\n') ? line.size() - 1 : line.size();
    FuzzCheck(text <= kMaxListLineBytes && line.find('\n') >= text);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  ScratchProgramFolder& program = FuzzProgramFolder();
  static const std::string saveFolder = [&] {
    const std::string path = program / "save/";
    FuzzCheck(WriteSetting("CACHE", "SAVE_DIR", path) &&
              WriteSetting("SITE", "URL", "http://127.0.0.1:9/") &&
              WriteSetting("PLAY", "AUTO_CLEAR", "1") &&
              WriteSetting("PLAY", "WINAMP_PATH", program / "no-such-player"));
    return path;
  }();
  const std::string path = program / "fuzz.mpq";
  WriteFileText(path, FuzzText(data, size));
  CheckLines(path);

  std::filesystem::remove_all(saveFolder);
  std::filesystem::create_directories(saveFolder);
  {
    CDownloadCore app;
    app.SetObserver(std::make_shared<DecliningObserver>());
    FuzzCheck(app.LoadDownloadList(path));
    app.JoinWorker();
    for (; CDownloadItem* item = app.GetHeadItem(); app.RemoveHeadItem())
      FuzzCheck(item->m_strLocalPath.starts_with(saveFolder));
  }
  return 0;
}
