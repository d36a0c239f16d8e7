#pragma once
// A player that speaks only MPRIS (org.mpris.MediaPlayer2.*, object
// /org/mpris/MediaPlayer2). Status, play and stop always work; append and
// clear need the optional TrackList interface with CanEditTracks, and fail
// with a clear reason on players without it.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "bridge/PlayerBackend.h"
#include "bridge/SessionBus.h"

class MprisPlayer : public PlayerBackend {
 public:
  // `player` is the part of the bus name after "org.mpris.MediaPlayer2."
  // ("vlc"); empty takes the first MPRIS player on the bus. `startCommand`
  // starts it when missing; empty means it cannot be started.
  MprisPlayer(SessionBus& bus, std::string player, std::string startCommand);

  std::string Name() const override;
  bool IsRunning() override;
  PlayerOutcome EnsureRunning() override;
  PlayState State() override;
  PlayerOutcome Play() override;
  PlayerOutcome Stop() override;
  PlayerOutcome Clear() override;
  PlayerOutcome Append(const std::string& uri) override;

 private:
  // The bus name to talk to now, or empty text when there is no such player.
  std::string BusName();
  bool CallPlayer(const std::string& busName, const char* interface, const char* method,
                  GVariant* parameters, std::string& error);
  // The track ids of the track list, or nullopt with `error` set when the
  // player offers no editable track list.
  std::optional<std::vector<std::string>> EditableTracks(const std::string& busName,
                                                         std::string& error);
  PlayerOutcome AwaitDone(const std::function<bool()>& condition, const std::string& what);
  // Play or Stop of the player interface, then the wait until it is `reached`.
  PlayerOutcome Transport(const char* method, PlayState reached, const std::string& what);

  SessionBus& m_bus;
  std::string m_player;
  std::string m_startCommand;
};
