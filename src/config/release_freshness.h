// Freshness of a signed update_win.ini: its [Release] section, covered by the signature,
// holds a Serial that only grows from one release to the next and the last day the
// configuration may be used, so that an old release cannot be replayed for ever.
// Platform-free: the installer and the release kit read it alike.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

inline constexpr wchar_t kReleaseSection[] = L"Release";
inline constexpr wchar_t kSerialKey[] = L"Serial";
inline constexpr wchar_t kExpiresKey[] = L"Expires";

struct CalendarDate {
  int year = 0, month = 0, day = 0;
  friend bool operator<(const CalendarDate& a, const CalendarDate& b) {
    if (a.year != b.year) return a.year < b.year;
    if (a.month != b.month) return a.month < b.month;
    return a.day < b.day;
  }
};

// 1 to 19 decimal digits, nothing else (the kit writes the clock as YYYYMMDDhhmmss).
std::optional<uint64_t> ParseSerial(std::wstring_view text);
// "YYYY-MM-DD", a day that exists.
std::optional<CalendarDate> ParseExpiry(std::wstring_view text);
std::wstring FormatDate(const CalendarDate& date);

enum class Freshness {
  kFresh,      // usable; `serial` is the one to remember
  kMissing,    // no Serial or no Expires
  kMalformed,  // present, but not a serial or not a date
  kReplayed,   // a lower serial than one accepted before with the same key
  kExpired,    // `today` is after the last day
};

struct FreshnessVerdict {
  Freshness freshness = Freshness::kMissing;
  uint64_t serial = 0;
  CalendarDate expires;
};

// An equal serial is accepted: the same release may be installed again until it expires.
FreshnessVerdict JudgeFreshness(std::wstring_view serialText, std::wstring_view expiresText,
                                std::optional<uint64_t> highestAccepted, CalendarDate today);
