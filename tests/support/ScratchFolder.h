#pragma once
// Test helpers for files: a scratch folder removed at the end of the test, and
// a program folder pointed at one, so settings and language files of a test
// never touch anything real.

#include <string>
#include <string_view>

// A fresh folder under $TMPDIR, removed with everything in it on destruction.
class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::string& Path() const { return m_path; }
  std::string operator/(std::string_view name) const { return m_path + "/" + std::string(name); }

 private:
  std::string m_path;
};

// A scratch folder that is the program folder while it lives: argument zero
// is "<folder>/tunefetch", so the settings file is "<folder>/tunefetch.ini".
class ScratchProgramFolder : public ScratchFolder {
 public:
  ScratchProgramFolder();
  ~ScratchProgramFolder();
  std::string SettingsFile() const { return *this / "tunefetch.ini"; }
};

std::string ReadFileText(const std::string& path);
void WriteFileText(const std::string& path, std::string_view text);
bool FileExists(const std::string& path);
