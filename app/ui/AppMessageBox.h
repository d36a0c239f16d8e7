#pragma once
// The program's message boxes: a catalogue text with the exclamation icon.

#include <string>

#include "core/DownloadObserver.h"

class wxWindow;

// The title of every message box of the program.
inline constexpr const char* kMessageBoxTitle = "Tunefetch";

// Shows `text` modally over `parent` (or alone) and returns the answer.
// GUI thread only.
MessageAnswer ShowAppMessageBox(const std::string& text, MessageButtons buttons, wxWindow* parent = nullptr);
