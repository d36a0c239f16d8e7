#include "tests/support/AudaciousSession.h"

#include <signal.h>

#include <fstream>

#include "bridge/BoundedWait.h"
#include "bridge/DetachedStart.h"

namespace {

constexpr const char* kName = "org.atheme.audacious";
constexpr const char* kPath = "/org/atheme/audacious";

// True while process `pid` exists and is not a zombie waiting for a parent
// that never reaps (Audacious is started detached, so it is not ours).
bool ProcessAlive(pid_t pid) {
  if (kill(pid, 0) != 0) return false;
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string text;
  std::getline(stat, text);
  const size_t end = text.rfind(')');
  return end == std::string::npos || end + 2 >= text.size() || text[end + 2] != 'Z';
}

}  // namespace

AudaciousSession::AudaciousSession() {
  std::string error;
  if (!m_daemon.Address().empty()) m_bus = SessionBus::Connect(error);
}

AudaciousSession::~AudaciousSession() {
  if (m_bus) Quit();
}

bool AudaciousSession::IsRunning() { return m_bus->HasOwner(kName); }

bool AudaciousSession::Start() {
  std::string error;
  return StartDetached(kStartCommand, error) &&
         PollUntil(
             [this] { return Length() >= 0; },
             std::chrono::seconds(30));  // a first start in a fresh home is slow on a busy machine
}

std::string AudaciousSession::CallForString(const char* method, GVariant* parameters,
                                            const char* type) {
  std::string error;
  Variant reply = m_bus->Call(kName, kPath, kName, method, parameters, type, error);
  if (!reply) return {};
  const gchar* text = nullptr;
  g_variant_get(reply.get(), "(&s)", &text);
  return text;
}

bool AudaciousSession::UseSilentOutput() {
  // Right after its start Audacious may not take plugin calls yet.
  return PollUntil(
      [this] {
        std::string error;
        m_bus->Call(kName, kPath, kName, "PluginEnable", g_variant_new("(sb)", "sdlout", TRUE),
                    nullptr, error);
        Variant enabled = m_bus->Call(kName, kPath, kName, "PluginIsEnabled",
                                      g_variant_new("(s)", "sdlout"), "(b)", error);
        gboolean on = FALSE;
        if (enabled) g_variant_get(enabled.get(), "(b)", &on);
        return on == TRUE;
      },
      std::chrono::seconds(5));
}

bool AudaciousSession::PlaysOn() {
  std::string error;
  const auto played = [&] {
    Variant time = m_bus->Call(kName, kPath, kName, "Time", nullptr, "(u)", error);
    guint32 milliseconds = 0;
    if (time) g_variant_get(time.get(), "(u)", &milliseconds);
    return milliseconds;
  };
  const guint32 start = played();
  return PollUntil([&] { return played() > start; }, std::chrono::seconds(5));
}

int AudaciousSession::Length() {
  std::string error;
  Variant reply = m_bus->Call(kName, kPath, kName, "Length", nullptr, "(i)", error);
  gint32 length = -1;
  if (reply) g_variant_get(reply.get(), "(i)", &length);
  return length;
}

std::string AudaciousSession::SongUri(int position) {
  return CallForString("SongFilename", g_variant_new("(u)", static_cast<guint32>(position)), "(s)");
}

std::string AudaciousSession::Status() { return CallForString("Status", nullptr, "(s)"); }

int AudaciousSession::Position() {
  std::string error;
  Variant reply = m_bus->Call(kName, kPath, kName, "Position", nullptr, "(u)", error);
  guint32 position = 0;
  if (!reply) return -1;
  g_variant_get(reply.get(), "(u)", &position);
  return static_cast<int>(position);
}

bool AudaciousSession::AddUri(const std::string& uri) {
  std::string error;
  const int before = Length();
  return m_bus->Call(kName, kPath, kName, "AddUrl", g_variant_new("(s)", uri.c_str()), nullptr,
                     error) &&
         PollUntil([&] { return Length() > before; }, std::chrono::seconds(5));
}

bool AudaciousSession::Quit() {
  std::string error;
  Variant pid =
      m_bus->Call("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                  "GetConnectionUnixProcessID", g_variant_new("(s)", kName), "(u)", error);
  if (!pid) return true;  // not running
  guint32 process = 0;
  g_variant_get(pid.get(), "(u)", &process);
  m_bus->Call(kName, kPath, kName, "Quit", nullptr, nullptr, error);
  if (PollUntil([&] { return !ProcessAlive(static_cast<pid_t>(process)); },
                std::chrono::seconds(5)))
    return true;
  kill(static_cast<pid_t>(process), SIGKILL);
  return false;
}

std::string SilentWav(int seconds) {
  const std::uint32_t rate = 8000;
  const std::uint32_t dataBytes = rate * static_cast<std::uint32_t>(seconds);
  auto little = [](std::string& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
  };
  std::string wav = "RIFF";
  little(wav, 36 + dataBytes, 4);
  wav += "WAVEfmt ";
  little(wav, 16, 4);
  little(wav, 1, 2);  // PCM
  little(wav, 1, 2);  // mono
  little(wav, rate, 4);
  little(wav, rate, 4);  // bytes per second
  little(wav, 1, 2);     // block align
  little(wav, 8, 2);     // bits per sample
  wav += "data";
  little(wav, dataBytes, 4);
  wav.append(dataBytes, static_cast<char>(0x80));  // 8-bit silence is the middle value
  return wav;
}
