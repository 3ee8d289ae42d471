// How a program given by its path is started directly. Platform-free.
#pragma once

#include <string>

// Whether `file` names an .exe by a full path ("C:\..." or "\\server\..."): such a
// program is started exactly as named, never looked up in a search path.
bool IsFullProgramPath(const std::wstring& file);

// The command line for starting `file` with `parameters`: the path in quotes, so that
// blanks in it cannot split it, then the parameters as given.
std::wstring ProgramCommandLine(const std::wstring& file, const std::wstring& parameters);
