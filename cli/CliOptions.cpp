#include "cli/CliOptions.h"

const char kCliUsage[] =
    "Usage: tunefetch-cli [--save-dir DIR] [--yes] [--quiet] LIST...\n"
    "       tunefetch-cli --help | --version\n"
    "Downloads the files that each download list names, one after another,\n"
    "and hands every finished file to the music player, as the Tunefetch\n"
    "window does, with the same settings file (named below) and the same\n"
    "language files.\n"
    "\n"
    "  --save-dir DIR  save under DIR for this run instead of CACHE/SAVE_DIR\n"
    "                  (the settings file is not changed)\n"
    "  --yes           when no player can be started, go on without one\n"
    "                  (asked on the terminal; otherwise the answer is no)\n"
    "  --quiet         no progress line; one line per finished, present or\n"
    "                  dropped file\n"
    "  --help          show this text\n"
    "  --version       show the version\n"
    "\n"
    "Ctrl-C or SIGTERM stops the transfer at once; the unfinished file is\n"
    "removed and stays first in line for the next run.\n"
    "\n"
    "Exit status: 0 when every file was fetched or found present, 1 when the\n"
    "run ended on an error or with files left, 2 for bad usage or a list that\n"
    "cannot be opened, 130 after Ctrl-C, 143 after SIGTERM.\n";

std::optional<CliOptions> ParseCliOptions(const std::vector<std::string>& arguments,
                                          std::string& error) {
  CliOptions options;
  bool optionsEnded = false;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (optionsEnded || argument.empty() || argument[0] != '-' || argument == "-") {
      options.lists.push_back(argument);
    } else if (argument == "--") {
      optionsEnded = true;
    } else if (argument == "--yes") {
      options.answerYes = true;
    } else if (argument == "--quiet") {
      options.quiet = true;
    } else if (argument == "--help") {
      options.help = true;
    } else if (argument == "--version") {
      options.version = true;
    } else if (argument == "--save-dir") {
      if (i + 1 == arguments.size()) {
        error = "--save-dir needs a folder";
        return std::nullopt;
      }
      options.saveFolder = arguments[++i];
    } else if (argument.starts_with("--save-dir=")) {
      options.saveFolder = argument.substr(sizeof "--save-dir=" - 1);
    } else {
      error = "unknown option " + argument;
      return std::nullopt;
    }
  }
  if (options.saveFolder && options.saveFolder->empty()) {
    error = "--save-dir needs a folder";
    return std::nullopt;
  }
  if (options.lists.empty() && !options.help && !options.version) {
    error = "no download list named";
    return std::nullopt;
  }
  return options;
}
