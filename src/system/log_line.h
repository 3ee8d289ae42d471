// Composition of one install-log line. Platform-free.
#pragma once

#include <ctime>
#include <string>
#include <string_view>

// "2024-05-01, 13:07:09"
std::wstring FormatLogTimestamp(const std::tm& localTime);

// "<timestamp> - <message>\n". Control characters in the message (a line break in a path
// or a server's text) are written as \u00XX, so that no text can start a line of its own.
std::wstring ComposeLogLine(std::wstring_view timestamp, std::wstring_view message);

// The bytes written to Install.log: 8-bit text as a text-mode stream writes it, every
// line feed preceded by a carriage return. A code unit up to U+00FF becomes the byte of
// the same value. One above U+00FF (a user name in Chinese, say) cannot be held by one
// byte; it is written as the escape \uXXXX (its UTF-16 code unit in upper-case hex) so
// that support can still read it back, rather than dropped or turned into '?'.
std::string EncodeLogBytes(std::wstring_view line);
