#include "system/run_at_startup.h"

#include <windows.h>
#include <wtsapi32.h>

#include "base/product.h"
#include "base/unique_handle.h"
#include "system/folder_set.h"
#include "system/install_log.h"
#include "system/integration_paths.h"

namespace {

constexpr wchar_t kRunKey[] = L"SOFTWARE\\Microsoft\\WINDOWS\\CURRENTVERSION\\RUN";

// The Run key of the person the product is for. A management agent runs the installer as
// SYSTEM, whose own key no person logs on with: then the console user's key, or none
// (logged) when nobody is at the console.
ScopedRegKey OpenRunKeyOfTheUser() {
  ScopedRegKey key;
  if (!RunsAsLocalSystem()) {
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kRunKey, 0, KEY_WRITE, key.receive()) != ERROR_SUCCESS)
      key.reset();
    return key;
  }
  ScopedHandle userToken;
  const std::wstring sid =
      WTSQueryUserToken(WTSGetActiveConsoleSessionId(), userToken.receive())
          ? TokenUserSid(userToken.get())
          : std::wstring();
  if (sid.empty()) {
    WriteInstallLog(L"No user at the console: the start-up entry is not written");
    return key;
  }
  const std::wstring path = sid + L"\\" + kRunKey;
  if (RegOpenKeyExW(HKEY_USERS, path.c_str(), 0, KEY_WRITE, key.receive()) != ERROR_SUCCESS)
    key.reset();
  return key;
}

}  // namespace

bool SetRunAtStartup(const std::wstring& exePath) {
  const ScopedRegKey key = OpenRunKeyOfTheUser();
  if (!key.valid()) return false;
  const std::wstring data = RunAtStartupCommand(exePath);
  const DWORD bytes = static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t));
  return RegSetValueExW(key.get(), kProductName, 0, REG_SZ,
                        reinterpret_cast<const BYTE*>(data.c_str()), bytes) == ERROR_SUCCESS;
}
