#include "tests/support/ScratchFolder.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "platform/ProgramPath.h"

ScratchFolder::ScratchFolder() {
  const char* base = std::getenv("TMPDIR");
  std::string pattern = std::string(base && *base ? base : "/tmp") + "/tf-test-XXXXXX";
  if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot make a scratch folder");
  m_path = pattern;
}

ScratchFolder::~ScratchFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(m_path, ignored);
}

ScratchProgramFolder::ScratchProgramFolder() { SetProgramPath(*this / "tunefetch"); }

ScratchProgramFolder::~ScratchProgramFolder() { SetProgramPath(""); }

std::string ReadFileText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

void WriteFileText(const std::string& path, std::string_view text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(text.data(), static_cast<std::streamsize>(text.size()));
}

bool FileExists(const std::string& path) { return std::filesystem::exists(path); }
