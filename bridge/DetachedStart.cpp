#include "bridge/DetachedStart.h"

#include <glib.h>
#include <unistd.h>

namespace {

void BecomeSessionLeader(gpointer) { setsid(); }

}  // namespace

bool StartDetached(const std::string& commandLine, std::string& error) {
  gchar** argv = nullptr;
  GError* failure = nullptr;
  if (!g_shell_parse_argv(commandLine.c_str(), nullptr, &argv, &failure)) {
    error = "cannot start \"" + commandLine + "\": " + failure->message;
    g_error_free(failure);
    return false;
  }
  // Without G_SPAWN_DO_NOT_REAP_CHILD, GLib starts the program through an
  // intermediate child that exits at once, so the player is nobody's child
  // here; a failed exec still comes back as an error.
  const gboolean started = g_spawn_async(nullptr, argv, nullptr, G_SPAWN_SEARCH_PATH,
                                         BecomeSessionLeader, nullptr, nullptr, &failure);
  g_strfreev(argv);
  if (!started) {
    error = "cannot start \"" + commandLine + "\": " + failure->message;
    g_error_free(failure);
  }
  return started;
}
