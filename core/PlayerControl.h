#pragma once
// Driving the music player through its window messages: find it (and start it
// if asked), ask whether it plays, start playback, stop and clear its
// playlist, and append a file. Called by the download worker only; every
// message is sent synchronously, so a call returns after the player handled it.
// A missing player is never an error: the operations report that no player
// window was found, and the downloaded file simply stays on disk.

#include <string_view>

#include "platform/bus/BusTypes.h"

enum class PlayerStart { DoNotStart, StartWhenMissing };

// The player's window. With StartWhenMissing and no window, starts the program
// named by PLAY/WINAMP_PATH (the whole value is the program; a bare name is
// looked for in the program folder first, then on PATH; see
// docs/desktop-bus.md), waits 1000 ms and looks once more. A program that
// cannot be started gives a null handle at once, without the wait.
BusWindowHandle FindPlayer(PlayerStart start);

// True when a player window exists and answers the playing query non-zero.
bool IsPlayerPlaying();

// Starts playback unless the player already plays. True when a player window
// was found.
bool PlayerPlay(PlayerStart start);

// Sends the stop command, then clears the playlist. True when a player window
// was found.
bool PlayerStopAndClear();

// Appends `localPath` to the playlist. True when a player window was found.
bool PlayerAddFile(std::string_view localPath);
