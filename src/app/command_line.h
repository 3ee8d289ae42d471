// The installer's command-line forms. Platform-free.
//   ""             an ordinary start (also any single character)
//   "u TOP LEFT"   hand-over: a downloaded "tmp" copy replaces the installer and restarts it
//   "TOP LEFT"     position: a restarted installer opens where its predecessor stood
//   "/..."         switches: the unattended form (app/switches.h)
#pragma once

#include <optional>
#include <string>
#include <string_view>

enum class StartForm { kOrdinary, kHandOver, kPosition, kSwitches };

StartForm ClassifyCommandLine(std::wstring_view commandLine);

// The parameters a hand-over passes on to the restarted installer: the command line
// without its first two characters ("u ").
std::wstring HandOverParameters(std::wstring_view commandLine);

// The installer a "tmp" copy stands in for: its name without "tmp" (letter case
// matters), or nothing when the name is not such a copy.
std::optional<std::wstring> HandOverTargetName(std::wstring_view moduleName);

// The hand-over copy a previous self-update may have left beside the installer.
std::wstring LeftoverCopyPath(std::wstring_view moduleFolder, std::wstring_view moduleName);

struct WindowPosition {
  int top = 0;
  int left = 0;
};

// "TOP LEFT": each read as a leading decimal integer (0 when text does not start with
// one). No blank, or a blank first, gives 0 0; a value out of range makes both 0.
WindowPosition ParsePosition(std::wstring_view commandLine);
