#include "app/ui/RunEndNotifier.h"

#include <wx/utils.h>

#include "config/Settings.h"

CRunEndNotifier::CRunEndNotifier(GDBusConnection* session) {
  if (!session) return;
  m_pNotifier = std::make_unique<DesktopNotifier>(
      session, [](const std::string& folder) { wxLaunchDefaultApplication(wxString::FromUTF8(folder)); });
}

CRunEndNotifier::~CRunEndNotifier() = default;

void CRunEndNotifier::Tick(bool workerRunning, bool windowMinimized) {
  const std::optional<int> fetched = m_watch.Tick(workerRunning);
  if (!fetched || !windowMinimized || !m_pNotifier || !IsSettingOn("DISP", "NOTIFY")) return;
  m_pNotifier->Notify(RunEndNotice(*fetched, ReadSetting("CACHE", "SAVE_DIR", -1)));
}
