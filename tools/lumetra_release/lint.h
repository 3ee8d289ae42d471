// Checks an update_win.ini for everything that would leave an installer in the field stuck
// or wrong, each finding with its line and a plain sentence.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "config/ini_text.h"
#include "config/release_freshness.h"
#include "release_files.h"

enum class Severity { kWarning, kError };

struct Finding {
  int line = 0;  // 0: the file as a whole
  Severity severity = Severity::kError;
  std::string text;
};

// `files`, when given, supplies the bytes behind each URL to check MD5, Bytes and the
// version written inside the installer.
std::vector<Finding> LintConfig(const IniText& ini, ReleaseFiles* files);

// The release's signature (the bytes of "update_win.ini.sig", no value when there is none):
// a warning when unsigned, since installers built with a release key refuse it; an error
// when a public key is given (non-empty path) and the signature does not verify with it.
std::vector<Finding> LintSignature(const std::string& config, const std::optional<std::string>& signature,
                                   const std::filesystem::path& publicKey);

// The [Release] section on `today` (UTC): a missing section, Serial or Expires is an error
// when `keyed` (the release is checked against a public key, so it is meant for installers
// that refuse it) and a warning otherwise; a malformed value or a past last day is an
// error, a last day within two weeks a warning.
std::vector<Finding> LintRelease(const IniText& ini, bool keyed, CalendarDate today);

// 0 clean, 1 warnings only, 2 errors.
int LintExitCode(const std::vector<Finding>& findings);
