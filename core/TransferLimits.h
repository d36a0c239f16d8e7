#pragma once
// Time limits of one transfer attempt. The program always uses the defaults;
// tests pass shorter ones so that they need not wait a minute.

#include <chrono>

struct TransferLimits {
  // Longest wait for name resolution and the TCP connection (to the server,
  // or to the proxy when one is used).
  std::chrono::milliseconds connectTimeout{30'000};
  // Longest time the server may send nothing once the request has gone out,
  // whether before the reply's head or in the middle of the body.
  std::chrono::milliseconds stallTimeout{60'000};
  // Longest wait inside libcurl before the run flag is looked at again, so
  // that Stop and Skip take effect this quickly even while nothing arrives.
  std::chrono::milliseconds runFlagPoll{100};
};
