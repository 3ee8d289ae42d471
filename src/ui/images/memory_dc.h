// Owner of a memory device context (CreateCompatibleDC), deleted with DeleteDC.
#pragma once

#include <windows.h>

#include "base/unique_handle.h"

struct MemoryDCTraits {
  using Handle = HDC;
  static Handle Null() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { ::DeleteDC(h); }
};
using ScopedMemoryDC = UniqueHandle<MemoryDCTraits>;
