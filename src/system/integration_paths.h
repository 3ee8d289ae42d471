// Names, paths and texts of the traces the installer leaves in the system (start-up
// entry, shortcuts, font, maker folder) and of folder removal. Platform-free.
#pragma once

#include <string>
#include <string_view>

// Data of the Run value: the quoted executable path, a blank, /WinStart.
std::wstring RunAtStartupCommand(std::wstring_view exePath);

// These three give an empty path for an empty folder (the platform did not answer), so
// that nothing is ever looked for at the root of the current drive.
// <folder>\Lumetra.lnk
std::wstring ProductLinkPath(std::wstring_view folder);
// The per-user Start Menu shortcut under the roaming application-data folder.
std::wstring PerUserStartMenuLinkPath(std::wstring_view roamingFolder);
// <roaming>\Corvane
std::wstring MakerAppDataFolder(std::wstring_view roamingFolder);

// Whether the path's last folder is named like the product's ("Lumetra", any letter case,
// trailing backslashes ignored): only such a folder is ever taken for an installation.
bool IsNamedLikeProductFolder(std::wstring_view path);

// Paths this short (a drive root such as C:\, or less) are never removed as a tree.
bool IsTooShortToDeleteAsTree(std::wstring_view path);
// The folder, one backslash unless it already ends in one, and "*.*".
std::wstring FolderSearchPattern(std::wstring_view folder);

// The text after the last backslash (the whole text when there is none).
std::wstring FileNameOfPath(std::wstring_view path);
// <windows>\Fonts\<file name>
std::wstring FontTargetPath(std::wstring_view windowsFolder, std::wstring_view fileName);
