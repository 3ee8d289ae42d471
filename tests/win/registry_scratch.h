// A registry key under HKEY_LOCAL_MACHINE that a test creates and removes again: on
// destruction the outermost key it had to create is deleted with everything below, so
// the shared prefix is left as it was. `view` picks a registry view (KEY_WOW64_32KEY for
// what the installer keeps in the 32-bit view); 0 is the program's own.
#pragma once

#include <windows.h>

#include <string>

class RegistryScratchKey {
 public:
  explicit RegistryScratchKey(std::wstring path, REGSAM view = 0)
      : path_(std::move(path)), view_(view) {
    HKEY key = nullptr;
    preexisting_ = RegOpenKeyExW(HKEY_LOCAL_MACHINE, path_.c_str(), 0, KEY_READ | view_, &key) ==
                   ERROR_SUCCESS;
    if (key) RegCloseKey(key);
    if (preexisting_) return;
    // The outermost ancestor that is missing is the one to remove afterwards.
    for (size_t slash = path_.find(L'\\'); ; slash = path_.find(L'\\', slash + 1)) {
      const std::wstring prefix = path_.substr(0, slash);
      HKEY probe = nullptr;
      if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, prefix.c_str(), 0, KEY_READ | view_, &probe) != ERROR_SUCCESS) {
        created_ = prefix;
        break;
      }
      RegCloseKey(probe);
      if (slash == std::wstring::npos) break;
    }
  }
  ~RegistryScratchKey() { Remove(); }
  RegistryScratchKey(const RegistryScratchKey&) = delete;
  RegistryScratchKey& operator=(const RegistryScratchKey&) = delete;

  // A key that was there before the test cannot be restored: such tests skip.
  bool preexisting() const { return preexisting_; }

  bool SetDword(const wchar_t* name, DWORD value) {
    return Set(name, REG_DWORD, &value, sizeof value);
  }
  bool SetText(const wchar_t* name, const std::wstring& text) {
    return Set(name, REG_SZ, text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
  }
  // Creates the key with no values.
  bool Create() { return Set(nullptr, 0, nullptr, 0); }
  void Remove() {
    if (created_.empty()) return;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, created_.c_str(), 0, KEY_ALL_ACCESS | view_, &key) ==
        ERROR_SUCCESS) {
      RegDeleteTreeW(key, nullptr);
      RegCloseKey(key);
    }
    RegDeleteKeyExW(HKEY_LOCAL_MACHINE, created_.c_str(), view_, 0);
  }
  bool Exists() const {
    HKEY key = nullptr;
    const bool exists =
        RegOpenKeyExW(HKEY_LOCAL_MACHINE, path_.c_str(), 0, KEY_READ | view_, &key) == ERROR_SUCCESS;
    if (key) RegCloseKey(key);
    return exists;
  }

 private:
  bool Set(const wchar_t* name, DWORD type, const void* data, DWORD size) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, path_.c_str(), 0, nullptr, 0, KEY_SET_VALUE | view_,
                        nullptr, &key, nullptr) != ERROR_SUCCESS)
      return false;
    const bool ok = !name || RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data),
                                            size) == ERROR_SUCCESS;
    RegCloseKey(key);
    return ok;
  }

  std::wstring path_;
  REGSAM view_;
  std::wstring created_;
  bool preexisting_ = false;
};
