#include "system/user_folders.h"

#include "base/product.h"
#include "base/wide_string.h"

UserFolderPaths BuildUserFolderPaths(std::wstring_view downloadFolder,
                                     std::wstring_view roamingFolder,
                                     std::wstring_view commonDesktopFolder,
                                     std::wstring_view desktopFolder) {
  const std::wstring product(kProductName);
  const std::wstring appData = std::wstring(roamingFolder) + L"\\" + product;
  const std::wstring linkName = L"\\" + product + L".lnk";
  return UserFolderPaths{
      .download = std::wstring(downloadFolder),
      .appData = appData,
      .temp = appData + L"\\Temp",
      .log = appData + L"\\Log",
      .modules = appData + L"\\Modules",
      .publicDesktopLink = std::wstring(commonDesktopFolder) + linkName,
      .desktopLink = std::wstring(desktopFolder) + linkName,
  };
}

bool IsConsoleUserDifferent(std::wstring_view processUser, std::wstring_view logonUser) {
  return !logonUser.empty() && !EqualsIgnoreAsciiCase(processUser, logonUser);
}

void MoveToConsoleUser(UserFolderPaths& paths, std::wstring_view processUser,
                       std::wstring_view logonUser) {
  const std::wstring from = L"\\" + std::wstring(processUser) + L"\\";
  const std::wstring to = L"\\" + std::wstring(logonUser) + L"\\";
  for (std::wstring* path : {&paths.download, &paths.appData, &paths.temp, &paths.log,
                             &paths.desktopLink, &paths.modules})
    *path = ReplaceAll(*path, from, to);
}
