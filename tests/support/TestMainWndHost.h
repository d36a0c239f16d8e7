#pragma once
// The main window's host for window tests in this process: bus handlers run
// on the GUI thread, the setup sheet is not opened, and a quit is recorded.
// Only tests under a ui/ folder include it (it needs wxWidgets).

#include "app/ui/MainWndHost.h"
#include "app/ui/WxBusDispatcher.h"

class TestMainWndHost : public MainWndHost {
 public:
  BusDispatcher& BusHandlerThread() override { return m_dispatcher; }
  void RunSetupSheetOnBus() override {}
  void QuitWhenWorkerEnds() override { quitAsked = true; }
  bool quitAsked = false;

 private:
  WxBusDispatcher m_dispatcher;
};
