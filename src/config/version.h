// Four-part version numbers a.b.c.d: parsing and comparison. Platform-free.
#pragma once

#include <optional>
#include <string_view>

struct VersionNumber {
  int major = 0;
  int minor = 0;
  int build = 0;
  int revision = 0;
};

// Reads "%d.%d.%d.%d" as the C formatted scan does: blanks before each number are
// skipped, a sign is allowed, each point must follow its number at once, and the scan
// stops at the first character that does not fit; the parts not reached stay 0
// ("1.2" -> 1.2.0.0, "v1.2" -> 0.0.0.0). A number too large for an int is clamped.
VersionNumber ParseVersion(std::wstring_view text);

// True when a is lower than b: major, then minor, build and revision decide.
bool IsVersionLower(const VersionNumber& a, const VersionNumber& b);

// The numbers of a text written wholly as one to four decimal numbers joined by single
// points ("2", "1.2", "1.25.0.30"), each at most 2147483647; no value for anything else
// ("", "v1.2", "1.2-beta", "1..2", " 1.2", "-1").
std::optional<VersionNumber> ReadVersionNumbers(std::wstring_view text);

// Whether the `offered` version is newer than the `current` one. Two texts that read as
// numbers compare as numbers (1.10.0.0 is newer than 1.9.0.0, 1.2 equals 1.2.0.0). When
// either does not, only equal texts count as the same version: any other offer is taken,
// and once it is installed its text matches, so a text like "v1.2" cannot make the
// product look out of date on every run. An empty offer offers nothing.
bool IsOfferedVersionNewer(std::wstring_view current, std::wstring_view offered);
