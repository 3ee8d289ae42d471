// Four-part version numbers a.b.c.d: parsing and comparison. Platform-free.
#pragma once

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
