// The resource embedder that compiles the built-in pictures into the program:
// it must fail the build rather than embed a damaged or ambiguous file list.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "tests/support/ScratchFolder.h"

namespace {

class EmbedResourcesTest : public ::testing::Test {
 protected:
  // The tool's exit status for the given input paths (already quoted).
  int Embed(const std::string& inputs) {
    const std::string command = std::string(TF_TOOLS_DIR) + "/embed_resources '" + Output() + "' " +
                                inputs + " 2>/dev/null";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  std::string Output() const { return m_folder / "out.cpp"; }
  std::string Input(const std::string& relative, const std::string& text) {
    const std::string path = m_folder / relative;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    WriteFileText(path, text);
    return "'" + path + "'";
  }

  ScratchFolder m_folder;
};

TEST_F(EmbedResourcesTest, EmbedsPlainlyNamedFiles) {
  ASSERT_EQ(Embed(Input("a/icon_1.png", "AB") + " " + Input("b/Skin-2.bmp", "")), 0);
  const std::string out = ReadFileText(Output());
  EXPECT_NE(out.find("{\"icon_1.png\", {kResource2, 2}}"), std::string::npos);
  EXPECT_NE(out.find("\n 65,66,\n"), std::string::npos);
  EXPECT_NE(out.find("{\"Skin-2.bmp\", {kResource3, 0}}"), std::string::npos);
}

TEST_F(EmbedResourcesTest, RefusesUnreadableDuplicateAndUnsafeInputs) {
  // Regression: a read error embedded what had been read so far, and names
  // went into a string literal unchecked.
  std::filesystem::create_directories(m_folder / "folder.bmp");
  EXPECT_EQ(Embed("'" + (m_folder / "folder.bmp") + "'"), 1) << "a read error";
  EXPECT_EQ(Embed("'" + (m_folder / "missing.bmp") + "'"), 1);
  EXPECT_EQ(Embed(Input("a/same.bmp", "1") + " " + Input("b/same.bmp", "2")), 1)
      << "two files of one name";
  for (const char* name : {"quo\"te.bmp", "back\\slash.bmp", "sp ace.bmp", "new\nline.bmp"})
    EXPECT_EQ(Embed(Input(name, "x")), 1) << name;
  EXPECT_FALSE(FileExists(Output())) << "nothing is written on failure";
}

}  // namespace
