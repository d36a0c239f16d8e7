// The bridge without a player: which player call each message becomes, what
// it answers, and how paths become file:// URIs.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "bridge/FileUri.h"
#include "bridge/PlayerMessages.h"
#include "platform/bus/PlayerProtocol.h"
#include "tests/support/ScratchFolder.h"

namespace {

// Records the calls; `running` and `state` say what the player is like.
class RecordingPlayer : public PlayerBackend {
 public:
  bool running = true;
  bool startable = true;
  bool failCommands = false;
  PlayState state = PlayState::Stopped;
  std::vector<std::string> calls;

  std::string Name() const override { return "Recorder"; }
  bool IsRunning() override { return running; }
  PlayerOutcome EnsureRunning() override {
    if (running) return {};
    calls.push_back("start");
    running = startable;
    return running ? PlayerOutcome{} : PlayerOutcome::Failed("cannot start");
  }
  PlayState State() override { return state; }
  PlayerOutcome Play() override { return Record("play"); }
  PlayerOutcome Stop() override { return Record("stop"); }
  PlayerOutcome Clear() override { return Record("clear"); }
  PlayerOutcome Append(const std::string& uri) override { return Record("append " + uri); }

 private:
  PlayerOutcome Record(std::string call) {
    calls.push_back(std::move(call));
    return failCommands ? PlayerOutcome::Failed("refused") : PlayerOutcome{};
  }
};

BusMessage User(std::int64_t lParam) { return {WM_USER, 0, lParam, 0, {}}; }
BusMessage AddFile(const std::string& path) {
  return {WM_COPYDATA, 0, 0, kPlayerAddFileKind, path + '\0'};
}

}  // namespace

TEST(BridgeMessages, EachMessageBecomesItsPlayerCall) {
  ScratchFolder folder;
  const std::string song = folder / "a b.mp3";
  WriteFileText(song, "ID3");
  const std::string songUri = *FileUriFromPath(song);
  struct Case {
    const char* what;
    BusMessage message;
    bool running;
    PlayState state;
    std::int64_t answer;
    std::vector<std::string> calls;
  };
  const Case cases[] = {
      {"query, stopped", User(kPlayerQueryPlaying), true, PlayState::Stopped, 0, {}},
      {"query, playing", User(kPlayerQueryPlaying), true, PlayState::Playing, 1, {}},
      {"query, paused counts as playing",
       User(kPlayerQueryPlaying),
       true,
       PlayState::Paused,
       3,
       {}},
      {"query never starts the player",
       User(kPlayerQueryPlaying),
       false,
       PlayState::Playing,
       0,
       {}},
      {"play", User(kPlayerStartPlayback), true, PlayState::Stopped, 1, {"play"}},
      {"play does not start the player",
       User(kPlayerStartPlayback),
       false,
       PlayState::Stopped,
       0,
       {}},
      {"stop", {WM_COMMAND, kPlayerStopCommand, 0, 0, {}}, true, PlayState::Playing, 1, {"stop"}},
      {"stop starts the player",
       {WM_COMMAND, kPlayerStopCommand, 0, 0, {}},
       false,
       PlayState::Stopped,
       1,
       {"start", "stop"}},
      {"clear starts the player",
       User(kPlayerClearPlaylist),
       false,
       PlayState::Stopped,
       1,
       {"start", "clear"}},
      {"add file", AddFile(song), true, PlayState::Playing, 1, {"append " + songUri}},
      {"add file, data read up to the NUL",
       {WM_COPYDATA, 0, 0, kPlayerAddFileKind, song + '\0' + "junk"},
       true,
       PlayState::Stopped,
       1,
       {"append " + songUri}},
      {"add file does not start the player", AddFile(song), false, PlayState::Stopped, 0, {}},
      {"other copy-data kind",
       {WM_COPYDATA, 0, 0, 7, song + '\0'},
       true,
       PlayState::Stopped,
       0,
       {}},
      {"other command", {WM_COMMAND, 40044, 0, 0, {}}, true, PlayState::Stopped, 0, {}},
      {"other user message", User(125), true, PlayState::Playing, 0, {}},
      {"user message with a wParam",
       {WM_USER, 1, kPlayerStartPlayback, 0, {}},
       true,
       PlayState::Stopped,
       0,
       {}},
  };
  for (const Case& c : cases) {
    RecordingPlayer player;
    player.running = c.running;
    player.state = c.state;
    const PlayerAnswer answer = AnswerPlayerMessage(player, c.message);
    EXPECT_EQ(answer.value, c.answer) << c.what;
    EXPECT_EQ(player.calls, c.calls) << c.what;
  }
}

TEST(BridgeMessages, FailuresAnswerZeroWithAReason) {
  ScratchFolder folder;
  struct Case {
    const char* what;
    BusMessage message;
    bool running;
    bool startable;
    bool failCommands;
    const char* reason;
  };
  const Case cases[] = {
      {"play while the player is gone", User(kPlayerStartPlayback), false, true, false,
       "is not running"},
      {"missing file", AddFile(folder / "gone.mp3"), true, true, false,
       "No such file or directory"},
      {"a folder", AddFile(folder.Path()), true, true, false, "not a regular file"},
      {"relative path", AddFile("music/a.mp3"), true, true, false, "not an absolute path"},
      {"empty path", AddFile(""), true, true, false, "not an absolute path"},
      {"player refuses", User(kPlayerClearPlaylist), true, true, true, "refused"},
      {"player cannot start", User(kPlayerClearPlaylist), false, false, false, "cannot start"},
  };
  for (const Case& c : cases) {
    RecordingPlayer player;
    player.running = c.running;
    player.startable = c.startable;
    player.failCommands = c.failCommands;
    const PlayerAnswer answer = AnswerPlayerMessage(player, c.message);
    EXPECT_EQ(answer.value, 0) << c.what;
    EXPECT_NE(answer.failure.find(c.reason), std::string::npos) << c.what << ": " << answer.failure;
  }
}

TEST(BridgeMessages, PathsBecomeEscapedFileUris) {
  struct Case {
    std::string path;
    std::optional<std::string> uri;
  };
  const Case cases[] = {
      {"/music/a.mp3", "file:///music/a.mp3"},
      {"/music/My Album/01 #1 100%.mp3", "file:///music/My%20Album/01%20%231%20100%25.mp3"},
      {"/music/\xE6\x9B\xB2 1.wav", "file:///music/%E6%9B%B2%201.wav"},  // a Japanese name
      {"/music/a?b&c=d'e.mp3", "file:///music/a%3Fb&c=d'e.mp3"},
      {"music/a.mp3", std::nullopt},
      {"", std::nullopt},
      {std::string("/music/a\0b", 10), std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(FileUriFromPath(c.path), c.uri) << c.path;
}
