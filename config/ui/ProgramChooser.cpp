#include "config/ui/ProgramChooser.h"

#include <gtk/gtk.h>
#include <wx/filedlg.h>

#include "config/ui/SetupPage.h"
#include "platform/ExecutableFile.h"
#include "platform/PathParts.h"
#include "platform/ProgramPath.h"

namespace {

constexpr const char* kProgramFilter = "Executeable (*.exe)|*.exe";

gboolean IsProgram(const GtkFileFilterInfo* info, gpointer) {
  return info->filename && IsExecutableFile(info->filename);
}

// wxWidgets offers name patterns only; the GTK filter behind the pattern
// also takes a test of its own, which is added to the "*.exe" pattern.
void ShowExecutables(wxFileDialog& dialog) {
  GtkFileChooser* chooser = GTK_FILE_CHOOSER(dialog.GetHandle());
  GSList* filters = gtk_file_chooser_list_filters(chooser);
  for (GSList* item = filters; item; item = item->next)
    gtk_file_filter_add_custom(GTK_FILE_FILTER(item->data), GTK_FILE_FILTER_FILENAME, IsProgram,
                               nullptr, nullptr);
  g_slist_free(filters);
}

}  // namespace

std::string ChooseProgram(wxWindow* owner, const std::string& current) {
  std::string folder = GetDirectoryPart(current);
  if (folder.empty() && !current.empty()) folder = GetProgramFolder();
  wxFileDialog dialog(owner, wxEmptyString, FromUtf8(folder), FromUtf8(GetFileNamePart(current)),
                      kProgramFilter, wxFD_OPEN | wxFD_FILE_MUST_EXIST);
  ShowExecutables(dialog);
  return dialog.ShowModal() == wxID_OK ? ToUtf8(dialog.GetPath()) : std::string();
}
