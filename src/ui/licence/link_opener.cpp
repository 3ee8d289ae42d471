#include "ui/licence/link_opener.h"

#include <windows.h>
#include <shellapi.h>
#include <shlwapi.h>

namespace {

bool StartsWithNoCase(const std::wstring& text, const wchar_t* prefix) {
  const size_t length = wcslen(prefix);
  return text.size() > length && StrCmpNIW(text.c_str(), prefix, static_cast<int>(length)) == 0;
}

// explorer.exe splits its arguments at commas and quotes, and opens whatever is not a
// folder with its own handler: only a plain web address may reach it.
bool IsPlainWebAddress(const std::wstring& url) {
  if (!StartsWithNoCase(url, L"https://") && !StartsWithNoCase(url, L"http://")) return false;
  for (const wchar_t c : url) {
    if (c <= L' ' || c == L'"' || c == L',' || c == 0x7F) return false;
  }
  return true;
}

}  // namespace

std::wstring SystemExplorerPath() {
  wchar_t folder[MAX_PATH] = {};
  const UINT length = GetWindowsDirectoryW(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return std::wstring();
  std::wstring path(folder, length);
  if (path.back() != L'\\') path += L'\\';
  return path + L"explorer.exe";
}

bool OpenLink(const std::wstring& url) {
  if (!IsPlainWebAddress(url)) return false;
  const std::wstring explorer = SystemExplorerPath();
  if (explorer.empty()) return false;
  const HINSTANCE started =
      ShellExecuteW(nullptr, L"open", explorer.c_str(), url.c_str(), nullptr, SW_SHOWNORMAL);
  return reinterpret_cast<INT_PTR>(started) > 32;
}
