// The process-wide set of per-user folders, resolved for the user at the console, the
// per-machine working folder, and the folder creator the whole program uses.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

// Resolves (again) every per-user path, moves them to the console user when the
// process runs under another account, creates the folders, prepares the admin-only
// working folder, and logs each step. Called on the interface thread before any worker
// starts; the getters below only read the result.
void ResolveUserFolders();

std::wstring GetProcessUserName();
// Whether the process runs as SYSTEM (a management agent's installation).
bool RunsAsLocalSystem();
// The text of a token's user SID; empty when it cannot be read.
std::wstring TokenUserSid(HANDLE token);
// The user of the session attached to the physical console; empty when nobody is.
std::wstring GetLogonUserName();

// Each getter returns a copy; empty until the set is resolved.
std::wstring GetDownloadFolder();
std::wstring GetAppDataFolder();
// The working folder: <common application data>\Lumetra\Temp, which only SYSTEM and
// Administrators can change (see PrepareWorkingFolder); empty when it could not be made.
std::wstring GetTempFolder();
std::wstring GetPublicDesktopLinkPath();
std::wstring GetDesktopLinkPath();

// <program files>\Lumetra, resolved with the set.
std::wstring GetDefaultInstallFolder();

// The interface font face name, set once at start-up from the string table.
std::wstring GetUiFontName();
void SetUiFontName(std::wstring_view faceName);

// Creates every missing folder along `path`; true when the folder exists afterwards.
bool CreateFolderPath(std::wstring_view path);
