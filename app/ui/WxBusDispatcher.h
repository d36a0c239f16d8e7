#pragma once
// Runs desktop-bus handlers on the GUI thread, so a message from another
// process may touch windows; the sender keeps waiting until it has run.

#include "platform/bus/BusDispatcher.h"

class WxBusDispatcher : public BusDispatcher {
 public:
  void Dispatch(std::function<void()> job) override;
  bool IsDispatchThread() const override;
};
