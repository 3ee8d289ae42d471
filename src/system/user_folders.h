// The per-user paths of the installer, worked out from the platform's answers.
// Platform-free, so the console-user rules can be tested with chosen names.
#pragma once

#include <string>
#include <string_view>

struct UserFolderPaths {
  std::wstring download;
  std::wstring appData;  // <roaming>\Lumetra
  std::wstring temp;     // <roaming>\Lumetra\Temp
  std::wstring log;      // <roaming>\Lumetra\Log
  std::wstring modules;  // <roaming>\Lumetra\Modules
  std::wstring publicDesktopLink;
  std::wstring desktopLink;
};

UserFolderPaths BuildUserFolderPaths(std::wstring_view downloadFolder,
                                     std::wstring_view roamingFolder,
                                     std::wstring_view commonDesktopFolder,
                                     std::wstring_view desktopFolder);

// True when a user sits at the console and is not the account the process runs as
// (names compared without regard to ASCII letter case).
bool IsConsoleUserDifferent(std::wstring_view processUser, std::wstring_view logonUser);

// Moves every per-user path (all but the public desktop link) from the process user's
// profile to the console user's: each exact "\<process user>\" becomes "\<logon user>\".
void MoveToConsoleUser(UserFolderPaths& paths, std::wstring_view processUser,
                       std::wstring_view logonUser);
