#pragma once
// One real player as the bridge drives it. Every call returns only once the
// player has done the thing, or has visibly not done it within a bounded
// time; a call never waits without limit.

#include <string>

// What the player does now. The numbers are the answers of the playing query:
// the program takes any non-zero answer as playing, as it does a paused
// player's answer.
enum class PlayState { Stopped = 0, Playing = 1, Paused = 3 };

// Empty `failure` when the player did it, else why not, in words for the log.
struct PlayerOutcome {
  std::string failure;
  bool Done() const { return failure.empty(); }
  static PlayerOutcome Failed(std::string why) { return {std::move(why)}; }
};

class PlayerBackend {
 public:
  virtual ~PlayerBackend() = default;

  // The player's name for messages ("Audacious").
  virtual std::string Name() const = 0;

  // True when the player is on the session bus now.
  virtual bool IsRunning() = 0;

  // Starts the player, detached from the bridge, when it is not running, and
  // waits (bounded) until it answers.
  virtual PlayerOutcome EnsureRunning() = 0;

  // Stopped also when the player is missing or does not answer.
  virtual PlayState State() = 0;

  // Starts playback; a player with an empty playlist is left alone (and that
  // is a failure).
  virtual PlayerOutcome Play() = 0;
  virtual PlayerOutcome Stop() = 0;
  virtual PlayerOutcome Clear() = 0;

  // Appends the file named by the file:// URI `uri` to the end of the
  // playlist without disturbing what plays.
  virtual PlayerOutcome Append(const std::string& uri) = 0;
};
