// Wide-string helpers shared by every subsystem. Platform-free.
#pragma once

#include <cstdarg>
#include <string>
#include <string_view>

// printf-style formatting into a std::wstring of exactly the needed length.
// Wide arguments take "%ls": mingw reads "%s" in a wide format as a narrow string.
std::wstring FormatWide(const wchar_t* format, ...);
std::wstring FormatWideV(const wchar_t* format, va_list args);

// Lower-cases ASCII letters only; every other character is kept as it is.
std::wstring ToLowerAscii(std::wstring_view text);
bool EqualsIgnoreAsciiCase(std::wstring_view a, std::wstring_view b);

// Replaces every occurrence of `from` (exact, case included) by `to`, left to right.
std::wstring ReplaceAll(std::wstring_view text, std::wstring_view from, std::wstring_view to);
