/* A program built with each import fault that import-check is there to find. It is never
   run: tests/expect-faults.sh reads it and expects every fault to be reported. */
#include <windows.h>
#include <wininet.h>

/* Late-loaded from MSIMG32.dll, which has no such function (faulty_imports.def). */
int __stdcall NoSuchExport(int value);

int main(void) {
  BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, 0};
  /* Declared dllimport: called through its late-loaded slot, linked without naming its
     thunk, so that the slot holds 0. */
  AlphaBlend(NULL, 0, 0, 1, 1, NULL, 0, 0, 1, 1, blend);
  /* Imported when the program is loaded: Windows also looks for WININET.dll beside it. */
  InternetCloseHandle(NULL);
  return NoSuchExport(0);
}
