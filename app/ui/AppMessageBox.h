#pragma once
// The download core's message boxes: a text with the exclamation icon, and
// its answer in the core's terms.

#include <string>

#include "core/DownloadObserver.h"

class wxWindow;

// Shows `text` modally over `parent` (or alone) and returns the answer.
// GUI thread only.
MessageAnswer ShowAppMessageBox(const std::string& text, MessageButtons buttons,
                                wxWindow* parent = nullptr);
