// Time to load the built-in skin and then the example skin folder (every
// picture decoded, masks built, buttons composited), as the program does at
// start-up. Goal: under 20 ms for both together.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <vector>

#include "skin/SkinLoader.h"
#include "tests/support/ScratchFolder.h"

int main() {
  ScratchProgramFolder program;
  std::filesystem::copy(std::string(TF_SOURCE_DIR) + "/res/Skins", program / "Skins",
                        std::filesystem::copy_options::recursive);
  using Clock = std::chrono::steady_clock;
  auto milliseconds = [](Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
  };

  constexpr int kRounds = 50;
  std::vector<double> builtin, both;
  for (int round = 0; round < kRounds; ++round) {
    Skin skin;
    const auto start = Clock::now();
    SetDefaultSkin(skin, 96);
    const auto middle = Clock::now();
    LoadSkin(skin, "Aurora", 96);
    const auto end = Clock::now();
    builtin.push_back(milliseconds(middle - start));
    both.push_back(milliseconds(end - start));
  }
  std::sort(builtin.begin(), builtin.end());
  std::sort(both.begin(), both.end());
  std::printf("skin load, %d rounds (median / worst):\n", kRounds);
  std::printf("  built-in skin            %7.2f ms / %7.2f ms\n", builtin[kRounds / 2],
              builtin.back());
  std::printf("  built-in + Aurora folder %7.2f ms / %7.2f ms  (goal < 20 ms)\n", both[kRounds / 2],
              both.back());
  return 0;
}
