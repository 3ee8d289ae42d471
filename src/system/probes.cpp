#include "system/probes.h"

#include <windows.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <vector>

#include "base/unique_handle.h"
#include "system/install_log.h"
#include "system/module_path.h"
#include "system/probe_rules.h"

namespace {

// The registry view of a 32-bit process, as the installer and the prerequisites use.
ScopedRegKey OpenMachineKey(const std::wstring& path) {
  ScopedRegKey key;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, key.receive()) !=
      ERROR_SUCCESS)
    key.reset();
  return key;
}

// A 4-byte value read as it is; the registry type is not looked at.
bool ReadDword(HKEY key, const wchar_t* name, DWORD& value) {
  value = 0;
  DWORD size = sizeof value;
  return RegQueryValueExW(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&value),
                          &size) == ERROR_SUCCESS;
}

// A text value of at most MAX_PATH characters; empty when absent or too long.
std::wstring ReadText(HKEY key, const wchar_t* name) {
  wchar_t buffer[MAX_PATH + 1] = {};  // one spare: a stored text need not be terminated
  DWORD size = MAX_PATH * sizeof(wchar_t);
  if (RegQueryValueExW(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size) !=
      ERROR_SUCCESS)
    return std::wstring();
  return std::wstring(buffer);
}

std::wstring SystemFolderFile(const wchar_t* name) {
  wchar_t folder[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathW(nullptr, CSIDL_SYSTEM, nullptr, SHGFP_TYPE_CURRENT, folder)))
    return std::wstring();
  return std::wstring(folder) + L"\\" + name;
}

}  // namespace

bool IsDotNetInstalled(const std::wstring& version) {
  const DotNetProbeRule rule = ChooseDotNetRule(version);
  ScopedRegKey key = OpenMachineKey(rule.keyPath);
  if (!key.valid()) return false;
  DWORD value = 0;
  if (!ReadDword(key.get(), rule.valueName.c_str(), value)) return false;
  if (!rule.needsInstallPath) return value >= kMinimumDotNetRelease;
  if (value != 1) return false;
  const std::wstring installPath = ReadText(key.get(), L"InstallPath");
  return !installPath.empty() && PathFileExistsW(installPath.c_str());
}

bool IsWow64() {
  using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, PBOOL);
  HMODULE kernel = GetModuleHandleW(L"kernel32");
  if (!kernel) return false;
  // Through void*: FARPROC has no parameters, so a direct cast is flagged.
  auto isWow64Process = reinterpret_cast<IsWow64ProcessFn>(
      reinterpret_cast<void*>(GetProcAddress(kernel, "IsWow64Process")));
  BOOL wow64 = FALSE;
  return isWow64Process && isWow64Process(GetCurrentProcess(), &wow64) && wow64;
}

bool IsVcRuntimeInstalled(const std::wstring& version, const std::wstring& platform) {
  const bool wow64 = IsWow64();
  WriteInstallLog(wow64 ? L"x64 platform" : L"x86 platform");
  ScopedRegKey key = OpenMachineKey(VcRuntimeKeyPath(version, platform, wow64));
  if (!key.valid()) return false;
  DWORD installed = 0;
  return ReadDword(key.get(), L"Installed", installed) && installed == 1;
}

std::wstring GetFileProductVersion(const std::wstring& path, bool twoParts) {
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
  if (size == 0) return std::wstring();
  std::vector<BYTE> info(size);
  if (!GetFileVersionInfoW(path.c_str(), 0, size, info.data())) return std::wstring();
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT fixedSize = 0;
  if (!VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &fixedSize) ||
      !fixed || fixedSize < sizeof(VS_FIXEDFILEINFO))
    return std::wstring();
  return FormatProductVersion(fixed->dwProductVersionMS, fixed->dwProductVersionLS, twoParts);
}

std::wstring GetOwnVersion() { return GetFileProductVersion(GetModulePath(), false); }

std::wstring GetOsVersion() {
  const std::wstring kernel = SystemFolderFile(L"kernel32.dll");
  return kernel.empty() ? std::wstring() : GetFileProductVersion(kernel, true);
}

std::wstring GetOsVersionFull() {
  const std::wstring kernel = SystemFolderFile(L"kernel32.dll");
  return kernel.empty() ? std::wstring() : GetFileProductVersion(kernel, false);
}
