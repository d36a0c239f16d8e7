#pragma once
// An attempt whose request was sent before its turn: the next item's, sent
// the moment the body before it is in, so that the round trip of its request
// passes while that file is stored and handed on (SendEarly, FetchItem).

#include <memory>

class CFetchAttempt;
struct FetchAttemptEnd {
  void operator()(CFetchAttempt* attempt) const;
};
using EarlyRequest = std::unique_ptr<CFetchAttempt, FetchAttemptEnd>;
