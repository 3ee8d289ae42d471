// The unattended form's command line: switches, each beginning with "/", names without
// regard to letter case, a value after "=" (in double quotes when it holds blanks):
//   /quiet /acceptlicence [/wait=SECONDS] [/dir="FOLDER"] [/log="FILE"]
//   /? or /help
// "/noupdate" is the installer's own: a self-updated installer started by its predecessor
// in this form must not update itself again. Platform-free.
#pragma once

#include <optional>
#include <string>
#include <string_view>

inline constexpr unsigned kDefaultUnattendedWaitSeconds = 300;

struct UnattendedSwitches {
  bool help = false;
  bool quiet = false;
  bool acceptLicence = false;
  bool noSelfUpdate = false;
  unsigned waitSeconds = kDefaultUnattendedWaitSeconds;
  std::wstring dir;  // as given; empty: the installer's own choice
  std::wstring log;  // a file that gets this run's log lines as well
};

struct SwitchReading {
  std::optional<UnattendedSwitches> switches;  // none: the command line is refused
  std::wstring problem;                        // why, for the log
};

SwitchReading ReadSwitches(std::wstring_view commandLine);

// The command line for the new installer a self-update starts in this form: the same
// switches, and /noupdate.
std::wstring SwitchesForNewInstaller(const UnattendedSwitches& switches);
