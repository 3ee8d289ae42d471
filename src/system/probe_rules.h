// The decisions of the machine probes, apart from the registry and version resources
// they read. Platform-free.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Which registry value tells whether the .NET Framework is present.
struct DotNetProbeRule {
  std::wstring keyPath;    // under HKEY_LOCAL_MACHINE
  std::wstring valueName;  // "Install" or "Release"
  bool needsInstallPath;   // "Install" must be 1 and "InstallPath" must name something
};

inline constexpr uint32_t kMinimumDotNetRelease = 379893;

// "v4" (any case) checks the Client key's "Install"; every other text, the empty one
// included, checks the "Release" number of the v4 Full key.
DotNetProbeRule ChooseDotNetRule(std::wstring_view versionText);

// The VC runtime key for a version and platform, under Wow6432Node on 64-bit Windows.
std::wstring VcRuntimeKeyPath(std::wstring_view version, std::wstring_view platform,
                              bool wow64);

// A product version from the two words of fixed version information: "a.b" or
// "a.b.c.d" (high and low 16 bits of the most, then the least significant word).
std::wstring FormatProductVersion(uint32_t versionMs, uint32_t versionLs, bool twoParts);
