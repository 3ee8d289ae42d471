// The install benchmark's hand-made side of the shortcuts: one shell link to TARGET saved
// at DESKTOP_LINK and copied to START_MENU_LINK, as the installer makes them.
//   make_shortcuts TARGET DESKTOP_LINK START_MENU_LINK
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

int wmain(int argc, wchar_t** argv) {
  if (argc != 4 || FAILED(CoInitialize(nullptr))) return 2;
  IShellLinkW* link = nullptr;
  IPersistFile* file = nullptr;
  bool saved = false;
  if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                 reinterpret_cast<void**>(&link)))) {
    link->SetPath(argv[1]);
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
      saved = SUCCEEDED(file->Save(argv[2], FALSE)) && CopyFileW(argv[2], argv[3], FALSE);
      file->Release();
    }
    link->Release();
  }
  CoUninitialize();
  return saved ? 0 : 1;
}
