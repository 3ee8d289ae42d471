// The test-server override file "TestServerForVexa.txt" in the Downloads folder: a small
// JSON-like text that points the installer at another configuration URL and time-out.
// Platform-free readers of its text.
#pragma once

#include <optional>
#include <string>
#include <string_view>

inline constexpr wchar_t kOverrideFileName[] = L"TestServerForVexa.txt";
inline constexpr int kDefaultWebConnectTimeoutMs = 60000;
inline constexpr int kMinWebConnectTimeoutMs = 1000;
inline constexpr int kMaxWebConnectTimeoutMs = 600000;

// The quoted value of "ApplicationUpdate", or nothing when the text does not carry one
// (the key must not be the very first text: a JSON object starts with its brace).
std::optional<std::wstring> ReadApplicationUpdateUrl(std::wstring_view text);

// The number after "WebConnectTimeout", or nothing without the key. The number must end
// its line with CR LF; when no line break follows it, it reads as 0.
std::optional<int> ReadWebConnectTimeout(std::wstring_view text);

// The time-out to use: the one read when it lies within 1 s and 10 min, else the default
// (0 or less would never end a stalled transfer; a few ms would end every transfer).
int UsableWebConnectTimeout(std::optional<int> read);
