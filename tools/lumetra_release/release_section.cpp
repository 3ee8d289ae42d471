#include "release_section.h"

#include <algorithm>
#include <vector>

namespace {

using std::chrono::days;
using std::chrono::sys_days;
using std::chrono::year_month_day;

sys_days DayOf(const CalendarDate& date) {
  return sys_days{std::chrono::year{date.year} / static_cast<unsigned>(date.month) /
                  static_cast<unsigned>(date.day)};
}

CalendarDate DateOf(sys_days day) {
  const year_month_day ymd{day};
  return {static_cast<int>(ymd.year()), static_cast<int>(static_cast<unsigned>(ymd.month())),
          static_cast<int>(static_cast<unsigned>(ymd.day()))};
}

// One line of the file's bytes as the INI reader counts them (CR, LF or CRLF end a line):
// its text [begin, end), its line end [end, next).
struct Line {
  size_t begin, end, next;
};

std::vector<Line> SplitLines(const std::string& bytes) {
  std::vector<Line> lines;
  size_t pos = bytes.starts_with("\xEF\xBB\xBF") ? 3 : 0;
  while (pos < bytes.size()) {
    const size_t end = std::min(bytes.find_first_of("\r\n", pos), bytes.size());
    size_t next = end;
    if (next < bytes.size() && bytes[next] == '\r') ++next;
    if (next < bytes.size() && bytes[next] == '\n') ++next;
    lines.push_back({pos, end, next});
    pos = next;
  }
  return lines;
}

// The reader's blanks around a value.
bool IsBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r') || c == '\x1a'; }

struct Edit {
  size_t at, length;
  std::string text;
};

}  // namespace

uint64_t ClockSerial(ClockTime now) {
  const auto day = std::chrono::floor<days>(now);
  const CalendarDate date = DateOf(day);
  const std::chrono::hh_mm_ss time{now - day};
  const uint64_t ymd = static_cast<uint64_t>(date.year) * 10000 + date.month * 100 + date.day;
  return ymd * 1000000 + static_cast<uint64_t>(time.hours().count()) * 10000 +
         static_cast<uint64_t>(time.minutes().count()) * 100 +
         static_cast<uint64_t>(time.seconds().count());
}

CalendarDate UtcDate(ClockTime now) { return DateOf(std::chrono::floor<days>(now)); }

CalendarDate AddDays(const CalendarDate& date, int count) { return DateOf(DayOf(date) + days{count}); }

int DaysBetween(const CalendarDate& from, const CalendarDate& to) {
  return static_cast<int>((DayOf(to) - DayOf(from)).count());
}

std::optional<uint64_t> CurrentSerial(const IniText& ini) {
  return ParseSerial(ini.ReadString(kReleaseSection, kSerialKey));
}

std::optional<ReleaseStamp> ChooseStamp(const StampRequest& request, std::optional<uint64_t> previous,
                                        ClockTime now, std::string& why) {
  ReleaseStamp stamp;
  if (request.serial) {
    if (previous && *request.serial < *previous) {
      why = "--serial " + std::to_string(*request.serial) + " is lower than the file's Serial " +
            std::to_string(*previous) + "; installers that accepted that one refuse it";
      return std::nullopt;
    }
    stamp.serial = *request.serial;
  } else {
    stamp.serial = ClockSerial(now);
    if (previous && stamp.serial < *previous) {
      if (*previous == kLargestSerial) {
        why = "the file's Serial is the largest there is; no higher one can follow it";
        return std::nullopt;
      }
      stamp.serial = *previous + 1;
    }
  }
  stamp.expires = AddDays(UtcDate(now), request.validDays);
  if (stamp.expires.year > 9999) {
    why = "--valid-days " + std::to_string(request.validDays) + " ends after the year 9999";
    return std::nullopt;
  }
  return stamp;
}

std::optional<std::string> StampRelease(const std::string& bytes, const ReleaseStamp& stamp,
                                        std::string& why) {
  if (bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF")) {
    why = "the file is UTF-16; the kit writes [Release] only into UTF-8 text (or sign it as it "
          "is with --keep-release)";
    return std::nullopt;
  }
  const std::string serial = std::to_string(stamp.serial);
  const std::string expires = NarrowUtf8(FormatDate(stamp.expires));
  const std::string keySerial = NarrowUtf8(kSerialKey), keyExpires = NarrowUtf8(kExpiresKey);
  const IniText ini = IniText::Parse(bytes);
  const IniSection* section = ini.FindSection(kReleaseSection);
  if (!section) {
    std::string out = bytes;
    if (!out.empty() && out.back() != '\n' && out.back() != '\r') out += "\r\n";
    return out + "[" + NarrowUtf8(kReleaseSection) + "]\r\n" + keySerial + "=" + serial + "\r\n" +
           keyExpires + "=" + expires + "\r\n";
  }

  const std::vector<Line> lines = SplitLines(bytes);
  std::vector<Edit> edits;
  std::string missing;  // written right after the section's line, so it is the first read
  for (const auto& [key, value] : {std::pair{kSerialKey, serial}, std::pair{kExpiresKey, expires}}) {
    const IniEntry* entry = ini.FindEntry(kReleaseSection, key);
    if (!entry || !entry->value) {
      missing += NarrowUtf8(key) + "=" + value + "\r\n";
      continue;
    }
    // The value between the blanks after '=' and those at the end of the line.
    const Line& line = lines[entry->line - 1];
    size_t from = bytes.find('=', line.begin) + 1, to = line.end;
    while (from < to && IsBlank(bytes[from])) ++from;
    while (to > from && IsBlank(bytes[to - 1])) --to;
    edits.push_back({from, to - from, value});
  }
  if (!missing.empty()) {
    const Line& header = lines[section->line - 1];
    edits.push_back({header.next, 0, (header.next == header.end ? "\r\n" : "") + missing});
  }
  std::sort(edits.begin(), edits.end(), [](const Edit& a, const Edit& b) { return a.at > b.at; });
  std::string out = bytes;
  for (const Edit& e : edits) out.replace(e.at, e.length, e.text);
  return out;
}
