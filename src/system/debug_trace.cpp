#include "system/debug_trace.h"

#include <windows.h>

#include <cstdarg>

#include "base/wide_string.h"

void DebugTrace(const wchar_t* format, ...) {
  va_list args;
  va_start(args, format);
  const std::wstring text = FormatWideV(format, args);
  va_end(args);
  OutputDebugStringW(text.c_str());
}
