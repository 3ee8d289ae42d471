#pragma once

#include <string>

// The installer's own file: its full path, and that path split at the last backslash
// into folder and file name. When the path cannot be split, folder and name keep what
// the caller put in them.
std::wstring GetModulePath(std::wstring* folder = nullptr, std::wstring* name = nullptr);
