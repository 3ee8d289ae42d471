#include "config/installed_product.h"

#include <windows.h>
#include <shlwapi.h>

#include "base/product.h"
#include "base/unique_handle.h"
#include "base/wide_string.h"

namespace {

bool ReadText(HKEY key, const wchar_t* name, std::wstring& text) {
  wchar_t buffer[MAX_PATH + 1] = {};  // one spare: a stored text need not be terminated
  DWORD size = MAX_PATH * sizeof(wchar_t);
  if (RegQueryValueExW(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size) !=
      ERROR_SUCCESS)
    return false;
  text = buffer;
  return true;
}

}  // namespace

InstalledProduct ReadInstalledProductEntry() {
  InstalledProduct product;
  const std::wstring keyPath =
      FormatWide(L"SOFTWARE\\Microsoft\\WINDOWS\\CURRENTVERSION\\UNINSTALL\\%ls", kProductName);
  ScopedRegKey key;
  // The entry lives in the 32-bit view, where the registration writes it (the view a 32-bit
  // installer sees anyway; a 64-bit build must ask for it).
  if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, nullptr, 0,
                      KEY_QUERY_VALUE | KEY_SET_VALUE | KEY_WOW64_32KEY, nullptr, key.receive(),
                      nullptr) != ERROR_SUCCESS) {
    key.reset();
    return product;
  }
  if (!ReadText(key.get(), L"InstallLocation", product.location)) return product;
  product.locationRead = true;
  const std::wstring productFile =
      FormatWide(L"%ls\\%ls", product.location.c_str(), kProductExeName);
  std::wstring version;
  if (PathFileExistsW(productFile.c_str()) && ReadText(key.get(), L"DisplayVersion", version))
    product.version = version;
  return product;
}
