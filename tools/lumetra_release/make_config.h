// Writes update_win.ini from a release manifest (see docs/publishing.md for its form).
#pragma once

#include <filesystem>
#include <string>

// The configuration text (CRLF lines), or empty with `error` set. Files named by the
// manifest are read relative to `folder` to compute MD5 and Bytes, and the installer's
// version is read from inside its file.
std::string MakeConfig(const std::string& manifestBytes, const std::filesystem::path& folder,
                       std::string& error);
