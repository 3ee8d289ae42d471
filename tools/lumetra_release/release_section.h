// The [Release] section that make and sign write into update_win.ini: the Serial that only
// grows from one release to the next and the last day (Expires) the configuration may be
// used, both covered by the signature. How installers judge them is theirs
// (config/release_freshness.h); here is how the kit chooses and writes them.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

#include "config/ini_text.h"
#include "config/release_freshness.h"

inline constexpr int kDefaultValidDays = 90;
inline constexpr uint64_t kLargestSerial = 9'999'999'999'999'999'999ull;  // 19 digits

using ClockTime = std::chrono::sys_seconds;

// The UTC clock as the digits YYYYMMDDhhmmss, and its day.
uint64_t ClockSerial(ClockTime now);
CalendarDate UtcDate(ClockTime now);
// A day moved by whole days, and the whole days from `from` to `to` (negative: earlier).
CalendarDate AddDays(const CalendarDate& date, int days);
int DaysBetween(const CalendarDate& from, const CalendarDate& to);

struct ReleaseStamp {
  uint64_t serial = 0;
  CalendarDate expires;
};

struct StampRequest {
  std::optional<uint64_t> serial;  // none: the clock's
  int validDays = kDefaultValidDays;
};

// The Serial of the file's [Release] section as installers read it; none when it is
// missing or malformed.
std::optional<uint64_t> CurrentSerial(const IniText& ini);

// The stamp for a configuration whose Serial is `previous` (none for a new one): never a
// lower serial than that. The clock's serial, when behind it, becomes `previous` + 1; an
// explicit serial lower than it is refused (no value, `why` set).
std::optional<ReleaseStamp> ChooseStamp(const StampRequest& request, std::optional<uint64_t> previous,
                                        ClockTime now, std::string& why);

// The bytes with the stamp in them: the Serial and Expires values of the first [Release]
// section replaced (a key it lacks written first in it), or the section added at the end,
// in CRLF lines; every other byte as it was. No value, `why` set, for a UTF-16 file.
std::optional<std::string> StampRelease(const std::string& bytes, const ReleaseStamp& stamp,
                                        std::string& why);
