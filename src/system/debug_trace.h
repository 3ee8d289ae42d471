// Developer traces on the debugger output (OutputDebugStringW); never the install log.
#pragma once

// `format` is a wide printf format (wide arguments take "%ls").
void DebugTrace(const wchar_t* format, ...);
