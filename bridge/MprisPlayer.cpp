#include "bridge/MprisPlayer.h"

#include <optional>
#include <vector>

#include "bridge/BoundedWait.h"
#include "bridge/DetachedStart.h"

namespace {

constexpr std::string_view kNamePrefix = "org.mpris.MediaPlayer2.";
constexpr const char* kPath = "/org/mpris/MediaPlayer2";
constexpr const char* kRoot = "org.mpris.MediaPlayer2";
constexpr const char* kPlayer = "org.mpris.MediaPlayer2.Player";
constexpr const char* kTrackList = "org.mpris.MediaPlayer2.TrackList";
// AddTrack after this id puts the track first (an empty list has no last track).
constexpr const char* kNoTrack = "/org/mpris/MediaPlayer2/TrackList/NoTrack";

constexpr auto kStartLimit = std::chrono::seconds(10);
constexpr auto kCommandLimit = std::chrono::seconds(3);

bool BooleanOf(const Variant& value) {
  return value && g_variant_is_of_type(value.get(), G_VARIANT_TYPE_BOOLEAN) &&
         g_variant_get_boolean(value.get());
}

}  // namespace

MprisPlayer::MprisPlayer(SessionBus& bus, std::string player, std::string startCommand)
    : m_bus(bus), m_player(std::move(player)), m_startCommand(std::move(startCommand)) {}

std::string MprisPlayer::Name() const {
  return m_player.empty() ? "the MPRIS player" : "MPRIS player " + m_player;
}

std::string MprisPlayer::BusName() {
  if (!m_player.empty()) {
    const std::string name = std::string(kNamePrefix) + m_player;
    return m_bus.HasOwner(name) ? name : std::string();
  }
  for (const std::string& name : m_bus.ListNames())
    if (name.starts_with(kNamePrefix)) return name;
  return {};
}

bool MprisPlayer::IsRunning() { return !BusName().empty(); }

PlayerOutcome MprisPlayer::EnsureRunning() {
  if (IsRunning()) return {};
  if (m_startCommand.empty())
    return PlayerOutcome::Failed(Name() + " is not running and no command starts it");
  std::string error;
  if (!StartDetached(m_startCommand, error)) return PlayerOutcome::Failed(error);
  if (PollUntil([this] { return IsRunning(); }, kStartLimit)) return {};
  return PlayerOutcome::Failed("\"" + m_startCommand + "\" did not bring " + Name() +
                               " onto the session bus within " +
                               std::to_string(kStartLimit.count()) + " s");
}

PlayState MprisPlayer::State() {
  const std::string busName = BusName();
  if (busName.empty()) return PlayState::Stopped;
  std::string error;
  Variant status = m_bus.GetProperty(busName, kPath, kPlayer, "PlaybackStatus", error);
  if (!status || !g_variant_is_of_type(status.get(), G_VARIANT_TYPE_STRING))
    return PlayState::Stopped;
  const std::string text = g_variant_get_string(status.get(), nullptr);
  if (text == "Playing") return PlayState::Playing;
  if (text == "Paused") return PlayState::Paused;
  return PlayState::Stopped;
}

bool MprisPlayer::CallPlayer(const std::string& busName, const char* interface, const char* method,
                             GVariant* parameters, std::string& error) {
  return m_bus.Call(busName, kPath, interface, method, parameters, nullptr, error) != nullptr;
}

PlayerOutcome MprisPlayer::AwaitDone(const std::function<bool()>& condition,
                                     const std::string& what) {
  if (PollUntil(condition, kCommandLimit)) return {};
  return PlayerOutcome::Failed(Name() + " did not " + what + " within " +
                               std::to_string(kCommandLimit.count()) + " s");
}

PlayerOutcome MprisPlayer::Transport(const char* method, PlayState reached,
                                     const std::string& what) {
  const std::string busName = BusName();
  std::string error;
  if (busName.empty() || !CallPlayer(busName, kPlayer, method, nullptr, error))
    return PlayerOutcome::Failed(busName.empty() ? Name() + " is not running" : error);
  return AwaitDone([this, reached] { return State() == reached; }, what);
}

PlayerOutcome MprisPlayer::Play() { return Transport("Play", PlayState::Playing, "start playing"); }

PlayerOutcome MprisPlayer::Stop() { return Transport("Stop", PlayState::Stopped, "stop"); }

std::optional<std::vector<std::string>> MprisPlayer::EditableTracks(const std::string& busName,
                                                                    std::string& error) {
  if (busName.empty()) {
    error = Name() + " is not running";
    return std::nullopt;
  }
  if (!BooleanOf(m_bus.GetProperty(busName, kPath, kRoot, "HasTrackList", error)) ||
      !BooleanOf(m_bus.GetProperty(busName, kPath, kTrackList, "CanEditTracks", error))) {
    error = Name() + " offers no editable track list over MPRIS";
    return std::nullopt;
  }
  Variant tracks = m_bus.GetProperty(busName, kPath, kTrackList, "Tracks", error);
  if (!tracks || !g_variant_is_of_type(tracks.get(), G_VARIANT_TYPE_OBJECT_PATH_ARRAY)) {
    error = Name() + " does not tell its tracks";
    return std::nullopt;
  }
  std::vector<std::string> ids;
  GVariantIter iterator;
  g_variant_iter_init(&iterator, tracks.get());
  const gchar* id = nullptr;
  while (g_variant_iter_next(&iterator, "&o", &id)) ids.emplace_back(id);
  return ids;
}

PlayerOutcome MprisPlayer::Clear() {
  const std::string busName = BusName();
  std::string error;
  const auto tracks = EditableTracks(busName, error);
  if (!tracks) return PlayerOutcome::Failed(error);
  for (const std::string& id : *tracks)
    if (!CallPlayer(busName, kTrackList, "RemoveTrack", g_variant_new("(o)", id.c_str()), error))
      return PlayerOutcome::Failed(error);
  return AwaitDone(
      [&] {
        const auto left = EditableTracks(busName, error);
        return left && left->empty();
      },
      "clear its track list");
}

PlayerOutcome MprisPlayer::Append(const std::string& uri) {
  const std::string busName = BusName();
  std::string error;
  const auto tracks = EditableTracks(busName, error);
  if (!tracks) return PlayerOutcome::Failed(error);
  const std::string after = tracks->empty() ? kNoTrack : tracks->back();
  if (!CallPlayer(busName, kTrackList, "AddTrack",
                  g_variant_new("(sob)", uri.c_str(), after.c_str(), FALSE), error))
    return PlayerOutcome::Failed(error);
  const size_t before = tracks->size();
  return AwaitDone(
      [&] {
        const auto now = EditableTracks(busName, error);
        return now && now->size() > before;
      },
      "add " + uri);
}
