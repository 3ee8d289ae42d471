#include "system/folder_set.h"

#include <windows.h>
#include <knownfolders.h>
#include <shlobj.h>
#include <sddl.h>
#include <shlwapi.h>
#include <wtsapi32.h>

#include "base/path_util.h"
#include "base/unique_handle.h"
#include "base/wide_string.h"
#include "system/admin_folder.h"
#include "system/folder_tree.h"
#include "system/install_log.h"
#include "system/user_folders.h"

namespace {

// Written by ResolveUserFolders on the interface thread at start-up, before any worker
// exists, and only read afterwards: no getter resolves anything.
UserFolderPaths g_folders;
std::wstring g_workingFolder;
std::wstring g_defaultInstallFolder;
std::wstring g_uiFontName;

std::wstring SpecialFolder(int csidl) {
  wchar_t path[MAX_PATH] = {};
  if (!SHGetSpecialFolderPathW(nullptr, path, csidl, FALSE)) return std::wstring();
  return path;
}

std::wstring DownloadsFolder() {
  ScopedCoTaskString path;
  if (FAILED(SHGetKnownFolderPath(FOLDERID_Downloads, 0, nullptr, path.receive())))
    return std::wstring();
  return path.get();
}

}  // namespace

std::wstring GetProcessUserName() {
  wchar_t name[256] = {};
  DWORD size = 256;
  if (!GetUserNameW(name, &size)) return std::wstring();
  return name;
}

std::wstring GetLogonUserName() {
  wchar_t* name = nullptr;
  DWORD bytes = 0;
  if (!WTSQuerySessionInformationW(WTS_CURRENT_SERVER_HANDLE, WTSGetActiveConsoleSessionId(),
                                   WTSUserName, &name, &bytes) ||
      name == nullptr)
    return std::wstring();
  std::wstring result = name;
  WTSFreeMemory(name);
  return result;
}

// The SID of a token's user as text; empty when it cannot be read.
std::wstring TokenUserSid(HANDLE token) {
  alignas(TOKEN_USER) BYTE buffer[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE] = {};
  DWORD size = 0;
  if (!GetTokenInformation(token, TokenUser, buffer, sizeof(buffer), &size)) return {};
  ScopedLocalString text;
  if (!ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid, text.receive()))
    return {};
  return text.get();
}

bool RunsAsLocalSystem() {
  ScopedHandle token;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.receive())) return false;
  return TokenUserSid(token.get()) == L"S-1-5-18";
}

namespace {

// The per-user Temp is only named: what the elevated installer downloads, unpacks and
// runs lives where the user cannot plant links or swap files.
void CreatePerUserFolders() {
  CreateFolderPath(g_folders.download);
  // Made as administrator in the user's own folder: never through a link placed there.
  const std::wstring roaming = g_folders.appData.substr(0, g_folders.appData.rfind(L'\\'));
  for (const std::wstring* folder : {&g_folders.appData, &g_folders.log, &g_folders.modules}) {
    if (HasLinkBelow(roaming, *folder))
      WriteInstallLog(L"Folder leads elsewhere, not made: %ls", folder->c_str());
    else
      CreateFolderPath(*folder);
  }
}

}  // namespace

void ResolveUserFolders() {
  const std::wstring processUser = GetProcessUserName();
  const std::wstring logonUser = GetLogonUserName();
  WriteInstallLog(L"ProcessUser: %ls, LogonUser: %ls", processUser.c_str(), logonUser.c_str());

  UserFolderPaths folders = BuildUserFolderPaths(
      DownloadsFolder(), SpecialFolder(CSIDL_APPDATA),
      SpecialFolder(CSIDL_COMMON_DESKTOPDIRECTORY), SpecialFolder(CSIDL_DESKTOPDIRECTORY));
  WriteInstallLog(L"Original download folder: %ls", folders.download.c_str());
  WriteInstallLog(L"Original appdata folder: %ls", folders.appData.c_str());
  WriteInstallLog(L"Original appdata tmp folder: %ls", folders.temp.c_str());
  WriteInstallLog(L"Original appdata log folder: %ls", folders.log.c_str());
  WriteInstallLog(L"Original appdata module folder: %ls", folders.modules.c_str());

  if (IsConsoleUserDifferent(processUser, logonUser)) {
    WriteInstallLog(L"logon user is different from process user, replace");
    MoveToConsoleUser(folders, processUser, logonUser);
    WriteInstallLog(L"After replace download folder: %ls", folders.download.c_str());
    WriteInstallLog(L"After replace appdata folder: %ls", folders.appData.c_str());
    WriteInstallLog(L"After replace appdata tmp folder: %ls", folders.temp.c_str());
    WriteInstallLog(L"After replace appdata log folder: %ls", folders.log.c_str());
    WriteInstallLog(L"After replace desktop link: %ls", folders.desktopLink.c_str());
    WriteInstallLog(L"public Desktop Path link: %ls", folders.publicDesktopLink.c_str());
    WriteInstallLog(L"After replace appdata modules folder: %ls", folders.modules.c_str());
  }
  g_folders = std::move(folders);
  g_defaultInstallFolder = AppendProductFolder(SpecialFolder(CSIDL_PROGRAM_FILES));

  // A management agent runs the installer as SYSTEM: with nobody at the console there is
  // no person whose folders these would be.
  if (logonUser.empty() && RunsAsLocalSystem()) {
    WriteInstallLog(L"No user at the console: the per-user folders are not made");
  } else {
    CreatePerUserFolders();
  }
  g_workingFolder = PrepareWorkingFolder(SpecialFolder(CSIDL_COMMON_APPDATA));
  WriteInstallLog(L"Working folder: %ls", g_workingFolder.c_str());
}

std::wstring GetDownloadFolder() { return g_folders.download; }
std::wstring GetAppDataFolder() { return g_folders.appData; }
std::wstring GetTempFolder() { return g_workingFolder; }
std::wstring GetPublicDesktopLinkPath() { return g_folders.publicDesktopLink; }
std::wstring GetDesktopLinkPath() { return g_folders.desktopLink; }
std::wstring GetDefaultInstallFolder() { return g_defaultInstallFolder; }

std::wstring GetUiFontName() { return g_uiFontName; }
void SetUiFontName(std::wstring_view faceName) { g_uiFontName = faceName; }

bool CreateFolderPath(std::wstring_view path) {
  for (const std::wstring& prefix : PrefixesBeforeBackslashes(path)) {
    if (prefix.size() == 2 && prefix[1] == L':') continue;  // a drive counts as existing
    if (!PathFileExistsW(prefix.c_str()) && !CreateDirectoryW(prefix.c_str(), nullptr))
      return false;
  }
  const std::wstring whole(path);
  return PathFileExistsW(whole.c_str()) || CreateDirectoryW(whole.c_str(), nullptr) ||
         GetLastError() == ERROR_ALREADY_EXISTS;
}
