// Facts about the machine the workflow decides on. Each probe answers false or an empty
// text on any failure and caches nothing.
#pragma once

#include <string>

// True when the .NET Framework counts as present. "v4" (any case) checks the v4 Client
// key ("Install" 1 and an existing "InstallPath"); any other text checks the v4 Full
// key's "Release" against 379893.
bool IsDotNetInstalled(const std::wstring& version);

// True when the VC runtime `version` for `platform` (callers pass "14.0", "x86") is
// registered as installed. Logs "x64 platform" or "x86 platform".
bool IsVcRuntimeInstalled(const std::wstring& version, const std::wstring& platform);

// True when this 32-bit process runs on 64-bit Windows.
bool IsWow64();

// The product version of a file's fixed version information, "a.b" or "a.b.c.d";
// empty when the file has none.
std::wstring GetFileProductVersion(const std::wstring& path, bool twoParts);

// The installer's own product version, "a.b.c.d".
std::wstring GetOwnVersion();

// The Windows version from kernel32.dll in the system folder: "major.minor" (6.1,
// 10.0) and its full four-part form.
std::wstring GetOsVersion();
std::wstring GetOsVersionFull();
