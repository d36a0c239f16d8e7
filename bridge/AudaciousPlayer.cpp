#include "bridge/AudaciousPlayer.h"

#include "bridge/BoundedWait.h"
#include "bridge/DetachedStart.h"

namespace {

constexpr const char* kName = "org.atheme.audacious";
constexpr const char* kPath = "/org/atheme/audacious";
constexpr const char* kInterface = "org.atheme.audacious";

// How long a starting Audacious may take to answer on the bus.
constexpr auto kStartLimit = std::chrono::seconds(10);
// How long Audacious may take to carry out a command. AddUrl returns before
// the file is in the playlist, so that one is watched through Length.
constexpr auto kCommandLimit = std::chrono::seconds(3);

}  // namespace

AudaciousPlayer::AudaciousPlayer(SessionBus& bus, std::string startCommand)
    : m_bus(bus), m_startCommand(std::move(startCommand)) {}

bool AudaciousPlayer::IsRunning() { return m_bus.HasOwner(kName); }

// A freshly started Audacious answers some methods while others still give
// UnknownMethod for a moment, so that error is retried within the limit.
Variant AudaciousPlayer::Request(const char* method, GVariant* parameters, const char* replyType,
                                 std::string& error) {
  if (parameters) g_variant_ref_sink(parameters);
  Variant reply;
  PollUntil(
      [&] {
        error.clear();
        reply = m_bus.Call(kName, kPath, kInterface, method, parameters, replyType, error);
        return reply || error.find("UnknownMethod") == std::string::npos;
      },
      kCommandLimit);
  if (parameters) g_variant_unref(parameters);
  return reply;
}

int AudaciousPlayer::Length() {
  std::string error;
  Variant reply = Request("Length", nullptr, "(i)", error);
  gint32 length = -1;
  if (reply) g_variant_get(reply.get(), "(i)", &length);
  return length;
}

PlayerOutcome AudaciousPlayer::AwaitDone(const std::function<bool()>& condition,
                                         const std::string& what) {
  if (PollUntil(condition, kCommandLimit)) return {};
  return PlayerOutcome::Failed("Audacious did not " + what + " within " +
                               std::to_string(kCommandLimit.count()) + " s");
}

PlayerOutcome AudaciousPlayer::EnsureRunning() {
  if (IsRunning()) return {};
  std::string error;
  if (!StartDetached(m_startCommand, error)) return PlayerOutcome::Failed(error);
  // The name comes before the interface is ready; a playlist length proves both.
  if (PollUntil([this] { return Length() >= 0; }, kStartLimit)) return {};
  return PlayerOutcome::Failed("\"" + m_startCommand +
                               "\" did not bring Audacious onto the session bus within " +
                               std::to_string(kStartLimit.count()) + " s");
}

PlayState AudaciousPlayer::State() {
  std::string error;
  Variant reply = Request("Status", nullptr, "(s)", error);
  if (!reply) return PlayState::Stopped;
  const gchar* status = nullptr;
  g_variant_get(reply.get(), "(&s)", &status);
  const std::string text = status;
  if (text == "playing") return PlayState::Playing;
  if (text == "paused") return PlayState::Paused;
  return PlayState::Stopped;
}

PlayerOutcome AudaciousPlayer::Play() {
  if (Length() <= 0)
    return PlayerOutcome::Failed("the Audacious playlist is empty: nothing to play");
  std::string error;
  if (!Call("Play", nullptr, error)) return PlayerOutcome::Failed(error);
  return AwaitDone([this] { return State() == PlayState::Playing; }, "start playing");
}

PlayerOutcome AudaciousPlayer::Stop() {
  std::string error;
  if (!Call("Stop", nullptr, error)) return PlayerOutcome::Failed(error);
  return AwaitDone([this] { return State() == PlayState::Stopped; }, "stop");
}

PlayerOutcome AudaciousPlayer::Clear() {
  std::string error;
  if (!Call("Clear", nullptr, error)) return PlayerOutcome::Failed(error);
  return AwaitDone([this] { return Length() == 0; }, "clear its playlist");
}

PlayerOutcome AudaciousPlayer::Append(const std::string& uri) {
  const int before = Length();
  if (before < 0) return PlayerOutcome::Failed("Audacious does not answer");
  std::string error;
  if (!Call("AddUrl", g_variant_new("(s)", uri.c_str()), error))
    return PlayerOutcome::Failed(error);
  return AwaitDone([this, before] { return Length() > before; }, "add " + uri);
}
