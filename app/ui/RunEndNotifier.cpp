#include "app/ui/RunEndNotifier.h"

#include <wx/utils.h>

#include "config/Settings.h"

CRunEndNotifier::CRunEndNotifier(GDBusConnection* session) {
  if (!session) return;
  m_pNotifier = std::make_unique<DesktopNotifier>(session, [](const std::string& folder) {
    wxLaunchDefaultApplication(wxString::FromUTF8(folder));
  });
}

CRunEndNotifier::~CRunEndNotifier() = default;

bool CRunEndNotifier::Wanted(bool windowMinimized) const {
  return windowMinimized && m_pNotifier && IsSettingOn("DISP", "NOTIFY");
}

void CRunEndNotifier::Tick(bool workerRunning, bool windowMinimized) {
  const std::optional<int> fetched = m_watch.Tick(workerRunning);
  if (!fetched || !Wanted(windowMinimized)) return;
  m_pNotifier->Notify(
      RunEndNotice(*fetched, ReadSetting("CACHE", "SAVE_DIR", -1), NoticeClick::OpensFolder));
}

void CRunEndNotifier::OnRunClosesWindow(bool windowMinimized) {
  const int fetched = m_watch.TakeFetched();
  if (!Wanted(windowMinimized)) return;
  m_pNotifier->Notify(
      RunEndNotice(fetched, ReadSetting("CACHE", "SAVE_DIR", -1), NoticeClick::None));
  m_pNotifier->Flush();
}
