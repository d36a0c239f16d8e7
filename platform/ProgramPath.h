#pragma once
// The program's own path and the program folder beside it, which holds the
// settings file, the language files, Skins/ and the version page. However the
// program was started (by a relative path, through a link on PATH, by bare
// name), it is the running executable's own path with symbolic links
// resolved, so every user of the folder gets the same absolute folder.

#include <string>
#include <string_view>

// Records argument zero of the command line with the working folder and PATH
// of the start, the way to the program where the system cannot name the
// running executable (no /proc). Called once at start-up, before the working
// folder changes; safe from any thread.
void SetProgramArgument0(std::string_view argument0);

// Takes `path`, a full path, as the program's path in place of the running
// executable: its folder becomes the program folder and its name names the
// settings file. tunefetch-cli takes "<its folder>/tunefetch" to share the
// window's settings; tests point the program folder at a scratch folder.
// Empty text returns to the running executable. Safe from any thread.
void SetProgramPath(std::string_view path);

// The path set by SetProgramPath, else the running executable's path.
std::string GetProgramPath();

// The running executable's full path with symbolic links resolved: what
// /proc/self/exe names, read once; where that cannot be read, argument zero
// as recorded, resolved. Empty when neither tells.
std::string GetExecutablePath();

// The folder of GetProgramPath(), never with a trailing separator; empty only
// when no path is known at all.
std::string GetProgramFolder();

// The path of `name` (a file or folder name, or a relative path) in the
// program folder; `name` alone (so in the working folder) when no folder is
// known.
std::string ProgramFilePath(std::string_view name);

// The executable that argument zero names: a bare name is looked up in the
// folders of `searchPath` (a PATH value; an empty entry is the working
// folder) as a shell does, any other text is taken against `workingFolder`;
// then links and "." and ".." parts are resolved. Empty when that leads to no
// executable file.
std::string ResolveArgument0(std::string_view argument0, std::string_view workingFolder,
                             std::string_view searchPath);
