#pragma once
// The command line of tunefetch-cli.

#include <optional>
#include <string>
#include <vector>

struct CliOptions {
  std::optional<std::string> saveFolder;  // --save-dir: CACHE/SAVE_DIR for this run only
  bool answerYes = false;                 // --yes: go on without a player when none can be started
  bool quiet = false;                     // --quiet: one line per item, no progress
  bool help = false;                      // --help
  bool version = false;                   // --version
  std::vector<std::string> lists;         // the download lists, in order
};

// The options of `arguments` (without argument zero), or nullopt with the
// reason in `error` when they make no sense. "--" ends the options.
std::optional<CliOptions> ParseCliOptions(const std::vector<std::string>& arguments,
                                          std::string& error);

// The --help text; the settings file in use follows it.
extern const char kCliUsage[];
