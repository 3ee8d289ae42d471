// The uninstall entry that makes the product known to Windows.
#include <windows.h>

#include <cstdint>
#include <cwchar>

#include "base/product.h"
#include "base/unique_handle.h"
#include "build_config.h"
#include "system/install_log.h"
#include "workflow/install_phase.h"

namespace {

constexpr wchar_t kUninstallKey[] = L"SOFTWARE\\Microsoft\\WINDOWS\\CURRENTVERSION\\UNINSTALL\\";

bool SetText(HKEY key, const wchar_t* name, const std::wstring& text) {
  const DWORD bytes = static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));  // with NUL
  return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                        bytes) == ERROR_SUCCESS;
}

bool SetDword(HKEY key, const wchar_t* name, DWORD value) {
  return RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                        sizeof(value)) == ERROR_SUCCESS;
}

// Bytes of the files under `folder` (links not followed).
uint64_t FolderBytes(const std::wstring& folder) {
  uint64_t bytes = 0;
  WIN32_FIND_DATAW found{};
  ScopedFindHandle find(FindFirstFileW((folder + L"\\*").c_str(), &found));
  if (!find.valid()) return 0;
  do {
    const std::wstring name = found.cFileName;
    if (name == L"." || name == L".." || (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
      continue;
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
      bytes += FolderBytes(folder + L"\\" + name);
    else
      bytes += (static_cast<uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
  } while (FindNextFileW(find.get(), &found));
  return bytes;
}

std::wstring TodayYyyymmdd() {
  SYSTEMTIME today{};
  GetLocalTime(&today);
  wchar_t text[16] = {};
  swprintf(text, 16, L"%04u%02u%02u", today.wYear, today.wMonth, today.wDay);
  return text;
}

// What Windows shows beside the program in its list; the entry stands without them.
void WriteSizeAndDate(HKEY key, const std::wstring& installPath) {
  const uint64_t kib = (FolderBytes(installPath) + 1023) / 1024;
  const DWORD size = kib > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<DWORD>(kib);
  if (!SetDword(key, L"EstimatedSize", size))
    WriteInstallLog(L"RegisterToSystem: EstimatedSize cannot be written");
  if (!SetText(key, L"InstallDate", TodayYyyymmdd()))
    WriteInstallLog(L"RegisterToSystem: InstallDate cannot be written");
}

}  // namespace

bool RegisterToSystem(const std::wstring& installPath, const std::wstring& displayVersion) {
  ScopedRegKey key;
  const std::wstring path = std::wstring(kUninstallKey) + kProductName;
  if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0,
                      KEY_QUERY_VALUE | KEY_SET_VALUE | KEY_CREATE_SUB_KEY | KEY_WOW64_32KEY,
                      nullptr, key.receive(), nullptr) != ERROR_SUCCESS)
    return false;
  const std::wstring uninstaller = L"\"" + installPath + L"\\uninstaller.exe\"";
  // In this order; the first value that fails stops the writing.
  const bool written = SetText(key.get(), L"DisplayName", kProductName) &&
         SetText(key.get(), L"InstallLocation", installPath) &&
         SetText(key.get(), L"Publisher", kMakerName) &&
         SetText(key.get(), L"From", kMakerName) &&
         SetText(key.get(), L"HelpLink", L"http://" LUMETRA_WEB_HOST) &&
         SetText(key.get(), L"DisplayVersion", displayVersion) &&
         SetText(key.get(), L"UninstallString", uninstaller) &&
         SetText(key.get(), L"DisplayIcon", uninstaller) &&
         SetDword(key.get(), L"NoModify", 1) && SetDword(key.get(), L"NoRepair", 1);
  if (written) WriteSizeAndDate(key.get(), installPath);
  return written;
}
