// Small helpers shared by the tests that run under Wine.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace test_support {

inline std::string ReadFileBytes(const std::wstring& path) {
  std::ifstream in(std::filesystem::path(path), std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

inline bool WriteFileBytes(const std::wstring& path, const std::string& bytes) {
  std::ofstream out(std::filesystem::path(path), std::ios::binary | std::ios::trunc);
  out << bytes;
  return static_cast<bool>(out);
}

inline std::wstring RoamingFolder() {
  wchar_t path[MAX_PATH] = {};
  SHGetSpecialFolderPathW(nullptr, path, CSIDL_APPDATA, FALSE);
  return path;
}

inline bool PathExists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// A Linux path as Wine sees it (drive Z: is the root).
inline std::wstring FromLinuxPath(const std::string& linuxPath) {
  std::wstring path = L"Z:";
  for (char c : linuxPath)
    path += c == '/' ? L'\\' : static_cast<wchar_t>(static_cast<unsigned char>(c));
  return path;
}

// Waits up to `ms` for `predicate` to hold, checking every 20 ms.
template <typename Predicate>
bool WaitUntil(DWORD ms, Predicate predicate) {
  const ULONGLONG deadline = GetTickCount64() + ms;
  while (!predicate()) {
    if (GetTickCount64() >= deadline) return false;
    Sleep(20);
  }
  return true;
}

}  // namespace test_support
