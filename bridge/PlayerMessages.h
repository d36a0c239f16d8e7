#pragma once
// The player messages of the desktop bus, each turned into calls on the real
// player. The answer goes back to the sender, which waits for it.

#include <cstdint>
#include <string>

#include "bridge/PlayerBackend.h"
#include "platform/bus/BusTypes.h"

// The answer to a message and, when the player did not do what was asked, why.
struct PlayerAnswer {
  std::int64_t value = 0;
  std::string failure;
};

// Answers one message:
//   playing query  the PlayState number (0 when the player is missing; the
//                  query never starts it)
//   stop, clear    1 once done; they start a missing player, since the
//                  program sends them at the start of a run
//   play, add file 1 once done; a missing player is not started for them
//                  (it was closed during a run), which is a failure
// Commands answer 0 when they failed; anything else is not a player message
// and answers 0 without a failure. An added path must name an existing
// regular file by its absolute path; the data is read up to its first NUL.
PlayerAnswer AnswerPlayerMessage(PlayerBackend& player, const BusMessage& message);
