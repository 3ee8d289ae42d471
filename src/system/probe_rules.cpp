#include "system/probe_rules.h"

#include "base/wide_string.h"

DotNetProbeRule ChooseDotNetRule(std::wstring_view versionText) {
  const std::wstring version = ToLowerAscii(versionText);
  if (version == L"v4") {
    return {FormatWide(L"SOFTWARE\\Microsoft\\NET Framework Setup\\NDP\\%ls\\Client",
                       version.c_str()),
            L"Install", true};
  }
  return {L"SOFTWARE\\Microsoft\\NET Framework Setup\\NDP\\v4\\Full", L"Release", false};
}

std::wstring VcRuntimeKeyPath(std::wstring_view version, std::wstring_view platform,
                              bool wow64) {
  const std::wstring v(version), p(platform);
  return FormatWide(wow64 ? L"SOFTWARE\\Wow6432Node\\Microsoft\\VisualStudio\\%ls\\VC\\Runtimes\\%ls"
                          : L"SOFTWARE\\Microsoft\\VisualStudio\\%ls\\VC\\Runtimes\\%ls",
                    v.c_str(), p.c_str());
}

std::wstring FormatProductVersion(uint32_t versionMs, uint32_t versionLs, bool twoParts) {
  const unsigned major = versionMs >> 16, minor = versionMs & 0xffffu;
  if (twoParts) return FormatWide(L"%u.%u", major, minor);
  return FormatWide(L"%u.%u.%u.%u", major, minor, versionLs >> 16, versionLs & 0xffffu);
}
