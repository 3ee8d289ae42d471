// Wide-string helpers shared by every subsystem. Platform-free.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// printf-style formatting into a std::wstring of exactly the needed length.
// Wide arguments take "%ls": mingw reads "%s" in a wide format as a narrow string.
std::wstring FormatWide(const wchar_t* format, ...);
std::wstring FormatWideV(const wchar_t* format, va_list args);

// Lower-cases ASCII letters only; every other character is kept as it is.
std::wstring ToLowerAscii(std::wstring_view text);
bool EqualsIgnoreAsciiCase(std::wstring_view a, std::wstring_view b);

// A plain decimal number: 1 to `maxDigits` ASCII digits and nothing else (no sign, no
// blanks). `maxDigits` is at most 19, so every such number fits 64 bits.
std::optional<uint64_t> ReadDigits(std::wstring_view text, size_t maxDigits);

// Replaces every occurrence of `from` (exact, case included) by `to`, left to right.
std::wstring ReplaceAll(std::wstring_view text, std::wstring_view from, std::wstring_view to);
