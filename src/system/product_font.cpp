#include "system/product_font.h"

#include <windows.h>

#include "base/unique_handle.h"
#include "system/carried_files.h"
#include "system/folder_set.h"
#include "system/install_log.h"
#include "system/integration_paths.h"

namespace {
constexpr wchar_t kFontFileName[] = L"Roboto-Regular.ttf";
constexpr wchar_t kFontValueName[] = L"Roboto-Regular (TrueType)";
constexpr wchar_t kFontsKey[] = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";

void RegisterFontFile(const std::wstring& fileName) {
  ScopedRegKey key;
  if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, kFontsKey, 0, nullptr, 0, KEY_WRITE, nullptr,
                      key.receive(), nullptr) != ERROR_SUCCESS)
    return;
  RegSetValueExW(key.get(), kFontValueName, 0, REG_SZ,
                 reinterpret_cast<const BYTE*>(fileName.c_str()),
                 static_cast<DWORD>((fileName.size() + 1) * sizeof(wchar_t)));
}

}  // namespace

void InstallProductFont() {
  const std::wstring temp = GetTempFolder();
  const std::wstring source = temp + L"\\" + kFontFileName;
  if (temp.empty() || !ExtractFileResource(IDR_FILE_PRODUCT_FONT, source)) {
    WriteInstallLog(L"Release font file failed");
    return;
  }
  const std::wstring fileName = FileNameOfPath(source);

  wchar_t windowsFolder[MAX_PATH + 1] = {};
  const UINT length = GetWindowsDirectoryW(windowsFolder, MAX_PATH);
  if (length == 0 || length > MAX_PATH) return;  // no Windows folder: nowhere to install
  const std::wstring target = FontTargetPath(windowsFolder, fileName);

  if (!CopyFileW(source.c_str(), target.c_str(), TRUE)) {
    // Normally the font is there from an earlier start.
    WriteInstallLog(L"Font installed");
    DeleteFileW(source.c_str());
    return;
  }
  if (AddFontResourceW(target.c_str()) > 0) RegisterFontFile(fileName);
}
