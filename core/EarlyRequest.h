#pragma once
// An attempt begun before its turn: the next item's request, made ready
// while the reply before it is awaited (PrepareEarly) and sent the moment
// that body is in (SendEarly), so that its round trip passes while that file
// is stored and handed on; FetchItem takes it on in its turn.

#include <memory>

class CFetchAttempt;
struct FetchAttemptEnd {
  void operator()(CFetchAttempt* attempt) const;
};
using EarlyRequest = std::unique_ptr<CFetchAttempt, FetchAttemptEnd>;
