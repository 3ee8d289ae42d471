#include "system/shortcuts.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shlwapi.h>

#include "base/unique_handle.h"
#include "system/folder_set.h"
#include "system/integration_paths.h"
#include "system/user_folder_files.h"

namespace {

// COM for the calling thread, for as long as the guard lives; worker threads call in
// without having initialised it themselves.
class ScopedComInit {
 public:
  ScopedComInit() : ok_(SUCCEEDED(CoInitialize(nullptr))) {}
  ~ScopedComInit() {
    if (ok_) CoUninitialize();
  }
  ScopedComInit(const ScopedComInit&) = delete;
  ScopedComInit& operator=(const ScopedComInit&) = delete;
  bool ok() const { return ok_; }

 private:
  bool ok_;
};

std::wstring SpecialFolder(int csidl) {
  wchar_t path[MAX_PATH] = {};
  if (!SHGetSpecialFolderPathW(nullptr, path, csidl, FALSE)) return std::wstring();
  return path;
}

// Some of these lie in the user's own folders, where a link may stand in a link's place.
void DeleteIfPresent(const std::wstring& path) {
  if (!path.empty()) DeleteFileAsItself(path);
}

}  // namespace

bool CreateProductShortcut(const std::wstring& targetExe) {
  ScopedComInit com;
  if (!com.ok()) return true;
  ScopedComPtr<IShellLinkW> link;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                              reinterpret_cast<void**>(link.receive()))))
    return true;
  link.get()->SetPath(targetExe.c_str());
  ScopedComPtr<IPersistFile> file;
  if (SUCCEEDED(
          link.get()->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(file.receive())))) {
    const std::wstring desktopLink = GetPublicDesktopLinkPath();
    const std::wstring startMenuLink = GetStartMenuLinkPath();
    if (!desktopLink.empty()) {
      file.get()->Save(desktopLink.c_str(), FALSE);
      if (!startMenuLink.empty()) CopyFileW(desktopLink.c_str(), startMenuLink.c_str(), FALSE);
    }
  }
  return true;
}

std::wstring GetStartMenuLinkPath() {
  return ProductLinkPath(SpecialFolder(CSIDL_COMMON_PROGRAMS));
}

void DeleteStartMenuLinks() {
  DeleteIfPresent(GetStartMenuLinkPath());
  DeleteIfPresent(PerUserStartMenuLinkPath(SpecialFolder(CSIDL_APPDATA)));
}

void DeleteProductShortcuts() {
  DeleteIfPresent(GetPublicDesktopLinkPath());
  DeleteIfPresent(GetDesktopLinkPath());
  DeleteStartMenuLinks();
}
