#include "system/run_at_startup.h"

#include <windows.h>

#include "base/product.h"
#include "base/unique_handle.h"
#include "system/integration_paths.h"

namespace {
constexpr wchar_t kRunKey[] = L"SOFTWARE\\Microsoft\\WINDOWS\\CURRENTVERSION\\RUN";
}

bool SetRunAtStartup(const std::wstring& exePath) {
  ScopedRegKey key;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kRunKey, 0, KEY_WRITE, key.receive()) != ERROR_SUCCESS)
    return false;
  const std::wstring data = RunAtStartupCommand(exePath);
  const DWORD bytes = static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t));
  return RegSetValueExW(key.get(), kProductName, 0, REG_SZ,
                        reinterpret_cast<const BYTE*>(data.c_str()), bytes) == ERROR_SUCCESS;
}
