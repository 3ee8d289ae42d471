#include "config/release_freshness.h"

#include <cwchar>

#include "base/wide_string.h"

namespace {

int DaysInMonth(int year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : kDays[month - 1];
}

}  // namespace

std::optional<uint64_t> ParseSerial(std::wstring_view text) { return ReadDigits(text, 19); }

std::optional<CalendarDate> ParseExpiry(std::wstring_view text) {
  if (text.size() != 10 || text[4] != L'-' || text[7] != L'-') return std::nullopt;
  const std::wstring_view year = text.substr(0, 4), month = text.substr(5, 2),
                          day = text.substr(8, 2);
  const std::optional<uint64_t> yearValue = ReadDigits(year, 4),
                                monthValue = ReadDigits(month, 2), dayValue = ReadDigits(day, 2);
  if (!yearValue || !monthValue || !dayValue) return std::nullopt;
  CalendarDate date{static_cast<int>(*yearValue), static_cast<int>(*monthValue),
                    static_cast<int>(*dayValue)};
  if (date.month < 1 || date.month > 12 || date.day < 1 ||
      date.day > DaysInMonth(date.year, date.month))
    return std::nullopt;
  return date;
}

std::wstring FormatDate(const CalendarDate& date) {
  wchar_t text[16] = {};
  std::swprintf(text, 16, L"%04d-%02d-%02d", date.year, date.month, date.day);
  return text;
}

FreshnessVerdict JudgeFreshness(std::wstring_view serialText, std::wstring_view expiresText,
                                std::optional<uint64_t> highestAccepted, CalendarDate today) {
  FreshnessVerdict verdict;
  if (serialText.empty() || expiresText.empty()) return verdict;
  const std::optional<uint64_t> serial = ParseSerial(serialText);
  const std::optional<CalendarDate> expires = ParseExpiry(expiresText);
  if (!serial || !expires) {
    verdict.freshness = Freshness::kMalformed;
    return verdict;
  }
  verdict.serial = *serial;
  verdict.expires = *expires;
  if (highestAccepted && *serial < *highestAccepted)
    verdict.freshness = Freshness::kReplayed;
  else if (*expires < today)
    verdict.freshness = Freshness::kExpired;
  else
    verdict.freshness = Freshness::kFresh;
  return verdict;
}
