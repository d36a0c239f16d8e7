// The committed artwork is what the generator draws, so a change to the
// drawing cannot be forgotten in res/.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "tests/support/ScratchFolder.h"

namespace {

TEST(SkinArtwork, CommittedFilesMatchTheGenerator) {
  ScratchFolder out;
  // The example skin's face follows its committed Skin.ini.
  std::filesystem::create_directories(out / "Skins/Aurora");
  WriteFileText(out / "Skins/Aurora/Skin.ini",
                ReadFileText(std::string(TF_SOURCE_DIR) + "/res/Skins/Aurora/Skin.ini"));
  const std::string command = std::string(TF_TOOLS_DIR) + "/skin_artwork " + out.Path();
  ASSERT_EQ(std::system(command.c_str()), 0);

  int compared = 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(out.Path())) {
    if (!entry.is_regular_file()) continue;
    const std::string relative = std::filesystem::relative(entry.path(), out.Path()).string();
    const std::string committed = std::string(TF_SOURCE_DIR) + "/res/" + relative;
    ASSERT_TRUE(FileExists(committed)) << relative << " is drawn but not committed";
    EXPECT_TRUE(ReadFileText(committed) == ReadFileText(entry.path().string()))
        << relative << " differs: run build/tools/skin_artwork res and commit";
    ++compared;
  }
  EXPECT_EQ(compared, 11 + 11 + 8 + 9 + 1)
      << "skin pictures, icons, desktop icons, example skin pictures and its Skin.ini";
}

}  // namespace
