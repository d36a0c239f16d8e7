#include "app/ui/WxBusDispatcher.h"

#include <wx/app.h>
#include <wx/thread.h>

void WxBusDispatcher::Dispatch(std::function<void()> job) {
  // Once the application has gone the job is dropped, which closes its
  // connection and tells the sender there will be no reply.
  if (wxTheApp) wxTheApp->CallAfter(std::move(job));
}

bool WxBusDispatcher::IsDispatchThread() const { return wxThread::IsMain(); }
