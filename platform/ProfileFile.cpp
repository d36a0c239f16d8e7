#include "platform/ProfileFile.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <ctime>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/CaseInsensitive.h"
#include "platform/FileDescriptor.h"
#include "platform/FileStamp.h"
#include "platform/SmallFile.h"

// One line of the file without its line end, with the line end kept apart so
// an untouched line is written back byte for byte.
struct ProfileLine {
  std::string_view text;
  std::string_view end;
};

namespace {

constexpr std::string_view kBlanks = " \t";
// Settings, language and skin files are a few kilobytes; a larger file is
// not one of ours.
constexpr size_t kMaxProfileFileSize = 4 << 20;

std::string_view Trim(std::string_view text, std::string_view what = kBlanks) {
  size_t first = text.find_first_not_of(what);
  if (first == std::string_view::npos) return {};
  size_t last = text.find_last_not_of(what);
  return text.substr(first, last - first + 1);
}

std::vector<ProfileLine> SplitLines(std::string_view content) {
  std::vector<ProfileLine> lines;
  while (!content.empty()) {
    size_t lf = content.find('\n');
    std::string_view whole = lf == std::string_view::npos ? content : content.substr(0, lf + 1);
    std::string_view text = whole;
    if (!text.empty() && text.back() == '\n') text.remove_suffix(1);
    if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
    lines.push_back({text, whole.substr(text.size())});
    content.remove_prefix(whole.size());
  }
  return lines;
}

// True for a "[name]" line, whose name it stores in `name`.
bool SectionName(std::string_view line, std::string_view& name) {
  std::string_view text = Trim(line);
  if (text.empty() || text.front() != '[') return false;
  size_t close = text.find(']');
  name = Trim(close == std::string_view::npos ? text.substr(1) : text.substr(1, close - 1));
  return true;
}

// The key and raw value of a "key=value" line; false for lines without "="
// and for comment lines.
bool KeyValue(std::string_view line, std::string_view& key, std::string_view& value) {
  std::string_view text = Trim(line);
  if (text.empty() || text.front() == ';') return false;
  size_t equals = text.find('=');
  if (equals == std::string_view::npos) return false;
  key = Trim(text.substr(0, equals));
  value = Trim(text.substr(equals + 1));
  return true;
}

std::string_view Unquote(std::string_view value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front())
    return value.substr(1, value.size() - 2);
  return value;
}

// Where the key's line is, or where a new key line goes, in `lines`.
struct Place {
  bool sectionFound = false;
  bool keyFound = false;
  size_t index = 0;  // the key's line, or the line to insert before
};

Place FindKey(const std::vector<ProfileLine>& lines, std::string_view section,
              std::string_view key) {
  Place place;
  bool inSection = false;
  for (size_t i = 0; i < lines.size(); ++i) {
    std::string_view name, lineKey, value;
    if (SectionName(lines[i].text, name)) {
      if (place.sectionFound) break;  // the first section of the name ended
      inSection = EqualsIgnoringCase(name, section);
      if (inSection) {
        place.sectionFound = true;
        place.index = i + 1;
      }
    } else if (inSection && KeyValue(lines[i].text, lineKey, value)) {
      if (EqualsIgnoringCase(lineKey, key)) {
        place.keyFound = true;
        place.index = i;
        return place;
      }
      place.index = i + 1;  // new keys go after the section's last key
    }
  }
  return place;
}

// The value of the key line found at `place`, as a read returns it.
std::string ValueAt(const std::vector<ProfileLine>& lines, const Place& place) {
  std::string_view lineKey, value;
  KeyValue(lines[place.index].text, lineKey, value);
  return std::string(Unquote(value).substr(0, kMaxProfileValueLength));
}

std::string_view FirstLine(std::string_view text) {
  return text.substr(0, text.find_first_of("\r\n"));
}

}  // namespace

// A file's text split into lines, as the last read found it. The lines point
// into the text, so the object never moves.
struct ParsedProfileFile {
  explicit ParsedProfileFile(std::string text)
      : content(std::move(text)), lines(SplitLines(content)) {}
  ParsedProfileFile(const ParsedProfileFile&) = delete;
  ParsedProfileFile& operator=(const ParsedProfileFile&) = delete;

  const std::string content;
  const std::vector<ProfileLine> lines;
};

namespace {

// True while the open file still has one name and the stamp `stamp`: then
// nothing was put in its place (that would leave it with no name), and it was
// neither moved nor changed (either changes its stamp).
bool IsUnchanged(const FileDescriptor& file, const FileStamp& stamp) {
  struct stat info {};
  return fstat(file.Get(), &info) == 0 && info.st_nlink == 1 && StampOfStatus(info) == stamp;
}

// The file at `path` opened for a look at its stamp without walking the path
// (IsUnchanged), when that look tells every change: it is no link, which could
// be pointed elsewhere without the file changing. Not open when the file found
// is not the one `stamp` describes, or has a second name.
FileDescriptor OpenToWatch(const std::string& path, const FileStamp& stamp) {
  FileDescriptor file(open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW));
  if (!file.IsOpen() || !IsUnchanged(file, stamp)) return {};
  return file;
}

// Files read recently, by path, with the stamp each had when it was read.
// Every read compares the file's stamp with the one kept: one look in place
// of reading and splitting the file again, at the open file itself where it
// can be watched so, else by its path. Any change of the file - a
// replacement by any process, or an edit in place - changes its stamp, and
// a file read within the settle time of its last change is not kept at all.
class ParsedFileCache {
 public:
  // The file at `path` split into lines; null when it cannot be read whole.
  std::shared_ptr<const ParsedProfileFile> Read(const std::string& path) {
    {
      std::lock_guard lock(m_mutex);
      auto kept = m_files.find(path);
      if (kept != m_files.end() && kept->second.watched.IsOpen()) {
        if (IsUnchanged(kept->second.watched, kept->second.stamp)) return kept->second.parsed;
        m_files.erase(kept);
      }
    }
    // A file another program is rewriting in place is not taken half
    // written: the stamp is taken once it has settled.
    timespec now{};
    const std::optional<FileStamp> stamp = StampOnceSettled(path, now);
    if (stamp) {
      std::lock_guard lock(m_mutex);
      auto kept = m_files.find(path);
      if (kept != m_files.end() && kept->second.stamp == *stamp) return kept->second.parsed;
    }
    std::string content;
    if (ReadSmallFile(path, kMaxProfileFileSize, content) != FileReadResult::Read) return nullptr;
    auto parsed = std::make_shared<const ParsedProfileFile>(std::move(content));
    // Read after the stamp was taken, the text is never older than the stamp
    // says; a change in between shows as another stamp at the next read.
    if (stamp && IsSettled(*stamp, now)) {
      FileDescriptor watched = OpenToWatch(path, *stamp);
      std::lock_guard lock(m_mutex);
      if (m_files.size() >= kMaxFiles) m_files.clear();
      m_files.insert_or_assign(path, Entry{*stamp, parsed, std::move(watched)});
    }
    return parsed;
  }

 private:
  // The settings file, a language file and the skin files of one skin.
  static constexpr std::size_t kMaxFiles = 8;
  struct Entry {
    FileStamp stamp;
    std::shared_ptr<const ParsedProfileFile> parsed;
    FileDescriptor watched;  // see OpenToWatch; not open when the path must be looked at
  };
  std::mutex m_mutex;
  std::map<std::string, Entry> m_files;  // guarded by m_mutex
};

ParsedFileCache& Cache() {
  static ParsedFileCache cache;
  return cache;
}

}  // namespace

ProfileSnapshot::ProfileSnapshot(const std::string& path) : m_file(Cache().Read(path)) {}

std::string ProfileSnapshot::Get(std::string_view section, std::string_view key,
                                 std::string_view defaultValue) const {
  auto capped = [](std::string_view text) {
    return std::string(text.substr(0, kMaxProfileValueLength));
  };
  if (!m_file) return capped(defaultValue);
  Place place = FindKey(m_file->lines, section, key);
  if (!place.keyFound) return capped(defaultValue);
  return ValueAt(m_file->lines, place);
}

std::string ReadProfileString(const std::string& path, std::string_view section,
                              std::string_view key, std::string_view defaultValue) {
  return ProfileSnapshot(path).Get(section, key, defaultValue);
}

namespace {

// The text of the file split into `lines` with `key` in `section` set to
// `value` at `place` (FindKey): the key line replaced, or added after the
// section's last key, or added with its section at the end of the file.
std::string WithKeyLine(const std::vector<ProfileLine>& lines, const Place& place,
                        std::string_view section, std::string_view key, std::string_view value) {
  // New lines follow the file's own line ends, so a file brought from
  // Windows keeps its CR LF throughout.
  std::string_view newline = !lines.empty() && lines.front().end == "\r\n" ? "\r\n" : "\n";
  std::string keyLine = std::string(FirstLine(key)) + "=" + std::string(FirstLine(value));

  std::string result;
  // Only the last line can lack its LF; it gets a whole line end, as a
  // lone CR left there would glue the next line onto it.
  auto appendLine = [&](std::string_view text, std::string_view end) {
    result += text;
    result += end.ends_with('\n') ? end : newline;
  };
  for (size_t i = 0; i < lines.size(); ++i) {
    if (place.sectionFound && !place.keyFound && i == place.index) appendLine(keyLine, newline);
    if (place.keyFound && i == place.index)
      appendLine(keyLine, lines[i].end);
    else
      appendLine(lines[i].text, lines[i].end);
  }
  if (place.sectionFound && !place.keyFound && place.index == lines.size())
    appendLine(keyLine, newline);
  if (!place.sectionFound) {
    appendLine("[" + std::string(FirstLine(section)) + "]", newline);
    appendLine(keyLine, newline);
  }
  return result;
}

}  // namespace

bool WriteProfileString(const std::string& path, std::string_view section, std::string_view key,
                        std::string_view value) {
  const auto change = [&](FileReadResult read, std::string& content) {
    // A file that cannot be read whole is left alone rather than replaced.
    if (read != FileReadResult::Read && read != FileReadResult::Missing) return FileChange::Keep;
    const std::vector<ProfileLine> lines = SplitLines(content);
    content = WithKeyLine(lines, FindKey(lines, section, key), section, key, value);
    return FileChange::Replace;
  };
  return UpdateSmallFile(path, kMaxProfileFileSize, change, ReadWhen::Settled) ==
         UpdateResult::Replaced;
}

std::string WriteProfileStringIfAbsent(const std::string& path, std::string_view section,
                                       std::string_view key, std::string_view value,
                                       std::string_view absentPrefix) {
  std::string held(value.substr(0, kMaxProfileValueLength));
  const auto change = [&](FileReadResult read, std::string& content) {
    if (read != FileReadResult::Read && read != FileReadResult::Missing) return FileChange::Keep;
    const std::vector<ProfileLine> lines = SplitLines(content);
    const Place place = FindKey(lines, section, key);
    if (place.keyFound) {
      std::string current = ValueAt(lines, place);
      if (!current.starts_with(absentPrefix)) {
        held = std::move(current);
        return FileChange::Keep;
      }
    }
    content = WithKeyLine(lines, place, section, key, value);
    return FileChange::Replace;
  };
  UpdateSmallFile(path, kMaxProfileFileSize, change, ReadWhen::Settled);
  return held;
}

bool DeleteProfileKey(const std::string& path, std::string_view section, std::string_view key) {
  const auto change = [&](FileReadResult read, std::string& content) {
    if (read != FileReadResult::Read) return FileChange::Keep;
    std::vector<ProfileLine> lines = SplitLines(content);
    const Place place = FindKey(lines, section, key);
    if (!place.keyFound) return FileChange::Keep;
    std::string result;
    for (size_t i = 0; i < lines.size(); ++i)
      if (i != place.index) result += std::string(lines[i].text) + std::string(lines[i].end);
    content = std::move(result);
    return FileChange::Replace;
  };
  return UpdateSmallFile(path, kMaxProfileFileSize, change, ReadWhen::Settled) !=
         UpdateResult::Failed;
}
