#pragma once
// The program's own path as it was invoked, and the program folder derived
// from it. The settings file, the language files and Skins/ live in that folder.

#include <string>
#include <string_view>

// Records argument zero of the command line. Called once at start-up (tests
// call it to point the program folder at a scratch folder); safe to call from
// any thread, later calls replace the value.
void SetProgramArgument0(std::string_view argument0);

// Argument zero as recorded; when none was recorded, the running executable's
// path.
std::string GetProgramArgument0();

// The running executable's full path with symbolic links resolved
// (/proc/self/exe), or empty text if the system cannot tell.
std::string GetExecutablePath();

// The folder of argument zero when it names one, else the folder of the running
// executable; never with a trailing separator.
std::string GetProgramFolder();

// The path of `name` (a file or folder name, or a relative path) in the
// program folder.
std::string ProgramFilePath(std::string_view name);
