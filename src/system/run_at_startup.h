// The product's start-up entry: the per-user Run value that starts it at logon.
#pragma once

#include <string>

// Writes HKCU\...\Run value "Lumetra" = "\"<exePath>\" /WinStart" (run as SYSTEM: the
// console user's, none when nobody is at the console). True when written.
bool SetRunAtStartup(const std::wstring& exePath);
