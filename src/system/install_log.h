// Install.log: the installer's one record of a run, read by users and support.
#pragma once

#include <string>

// Appends one line "<local time> - <message>" to
// <roaming application data>\Lumetra\Log\Install.log. `format` is a wide printf format;
// text that is not the caller's own (paths, the command line) goes in as the argument of
// "%ls", never as the format. Never fails towards the caller.
void WriteInstallLog(const wchar_t* format, ...);

// While one lives, the log stays open between lines (a download writes one per chunk:
// under Wine, opening and checking the file for each line costs more than the chunk).
// Other writers of the file (another installer process) wait for it meanwhile, as they
// do for any line; their lines are held back, not lost.
class InstallLogBurst {
 public:
  InstallLogBurst();
  ~InstallLogBurst();
  InstallLogBurst(const InstallLogBurst&) = delete;
  InstallLogBurst& operator=(const InstallLogBurst&) = delete;
};

// From now on every line also goes to `path` (appended; the unattended /log switch).
void CopyInstallLogTo(const std::wstring& path);

// The log folder of the process's own user, created if missing (never through a link).
std::wstring GetLogFolder();
