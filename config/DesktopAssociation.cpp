#include "config/DesktopAssociation.h"

#include <dirent.h>
#include <unistd.h>

#include <cctype>
#include <chrono>
#include <vector>

#include "config/MimeAppsList.h"
#include "platform/FolderTree.h"
#include "platform/ProcessLauncher.h"
#include "platform/SmallFile.h"
#include "platform/XdgFolders.h"
#include "platform/XmlText.h"

namespace {

constexpr std::string_view kPackagePrefix = "tunefetch-";
// Each database tool gets this long; a hung one is killed, and the desktop
// catches up at its next update.
constexpr auto kToolLimit = std::chrono::seconds(20);

std::string PackagesFolder() { return XdgDataHome() + "/mime/packages"; }
std::string ApplicationsFolder() { return XdgDataHome() + "/applications"; }

// The package file of `extension`: bytes other than ASCII letters and digits
// are written as "_XX", so any extension gives one plain file name.
std::string PackagePath(std::string_view extension) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string name(kPackagePrefix);
  for (const char c : extension.starts_with('.') ? extension.substr(1) : extension) {
    const auto byte = static_cast<unsigned char>(c);
    if (std::isalnum(byte) && byte < 0x80) {
      name += c;
    } else {
      name += '_';
      name += kHex[byte >> 4];
      name += kHex[byte & 0xF];
    }
  }
  return PackagesFolder() + "/" + name + ".xml";
}

std::string PackageText(std::string_view extension) {
  const std::string glob =
      "*" + std::string(extension.starts_with('.') ? "" : ".") + std::string(extension);
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
         "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
         "  <mime-type type=\"" +
         std::string(kListMimeType) +
         "\">\n"
         "    <comment>QEM Download List</comment>\n"
         "    <glob pattern=\"" +
         XmlEscaped(glob) +
         "\"/>\n"
         "  </mime-type>\n"
         "</mime-info>\n";
}

std::string DesktopFileText(const std::string& execArgument) {
  return "[Desktop Entry]\n"
         "Type=Application\n"
         "Name=Tunefetch\n"
         "Comment=Download the music files of a download list\n"
         "Exec=" +
         execArgument +
         " %f\n"
         "Icon=tunefetch\n"
         "Terminal=false\n"
         "NoDisplay=true\n"
         "MimeType=" +
         std::string(kListMimeType) +
         ";\n"
         "Categories=AudioVideo;Audio;Network;\n";
}

bool AnyPackageOfOursLeft() {
  DIR* folder = opendir(PackagesFolder().c_str());
  if (!folder) return false;
  bool found = false;
  while (const dirent* entry = readdir(folder)) {
    const std::string_view name = entry->d_name;
    if (name.starts_with(kPackagePrefix) && name.ends_with(".xml")) found = true;
  }
  closedir(folder);
  return found;
}

void UpdateDatabases() {
  RunProgram({"update-mime-database", XdgDataHome() + "/mime"}, kToolLimit);
  RunProgram({"update-desktop-database", ApplicationsFolder()}, kToolLimit);
}

}  // namespace

std::string DesktopExecArgument(std::string_view program) {
  std::string argument = "\"";
  for (const char c : program) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return {};
    if (c == '"' || c == '`' || c == '$' || c == '\\') argument += '\\';
    argument += c == '%' ? std::string("%%") : std::string(1, c);
  }
  argument += '"';
  // The desktop file's own escapes come on top: each backslash is written twice.
  std::string written;
  for (const char c : argument) written += c == '\\' ? std::string("\\\\") : std::string(1, c);
  return written;
}

void RegisterDesktopAssociation(std::string_view extension, const std::string& program) {
  const std::string exec = DesktopExecArgument(program);
  if (extension.empty() || exec.empty()) return;
  MakeFolderTree(PackagesFolder());
  MakeFolderTree(ApplicationsFolder());
  ReplaceFile(PackagePath(extension), PackageText(extension));
  ReplaceFile(ApplicationsFolder() + "/" + std::string(kDesktopFileName), DesktopFileText(exec));
  SetDefaultApplication(XdgConfigHome() + "/mimeapps.list", kListMimeType, kDesktopFileName);
  UpdateDatabases();
}

void ReleaseDesktopAssociation(std::string_view extension) {
  if (extension.empty()) return;
  unlink(PackagePath(extension).c_str());
  if (!AnyPackageOfOursLeft()) {
    unlink((ApplicationsFolder() + "/" + std::string(kDesktopFileName)).c_str());
    for (const std::string& list :
         {XdgConfigHome() + "/mimeapps.list", ApplicationsFolder() + "/mimeapps.list",
          ApplicationsFolder() + "/defaults.list"})
      RemoveApplication(list, kListMimeType, kDesktopFileName);
  }
  UpdateDatabases();
}
