// The uninstall entry that makes the product known to Windows.
#include <windows.h>

#include "base/product.h"
#include "base/unique_handle.h"
#include "build_config.h"
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
  return SetText(key.get(), L"DisplayName", kProductName) &&
         SetText(key.get(), L"InstallLocation", installPath) &&
         SetText(key.get(), L"Publisher", kMakerName) &&
         SetText(key.get(), L"From", kMakerName) &&
         SetText(key.get(), L"HelpLink", L"http://" LUMETRA_WEB_HOST) &&
         SetText(key.get(), L"DisplayVersion", displayVersion) &&
         SetText(key.get(), L"UninstallString", uninstaller) &&
         SetText(key.get(), L"DisplayIcon", uninstaller) &&
         SetDword(key.get(), L"NoModify", 1) && SetDword(key.get(), L"NoRepair", 1);
}
