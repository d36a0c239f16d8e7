#pragma once
// What the main window needs of the program around it, beyond the download
// state: the thread its bus messages are handled on, the setup sheet, and the
// end of the program. The application object provides it; window tests
// provide a stand-in.

class BusDispatcher;

class MainWndHost {
 public:
  virtual ~MainWndHost() = default;
  virtual BusDispatcher& BusHandlerThread() = 0;
  // The setup sheet, modal; a second request only raises it.
  virtual void RunSetupSheetOnBus() = 0;
  // The closed window's last act: end the program once the worker has.
  virtual void QuitWhenWorkerEnds() = 0;
};
