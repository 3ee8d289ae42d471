// The parsed server configuration (update_win.ini): what to fetch and whether.
#pragma once

#include <string>
#include <vector>

#include "config/config_platform.h"
#include "config/package_info.h"

class CServerConfig {
 public:
  // Reads through the Windows profile functions and probes the real machine (defined in
  // the Windows build only).
  CServerConfig();
  explicit CServerConfig(ConfigPlatform& platform) : m_platform(&platform) {}

  // True when the list is "all" (any case) or holds the two-part OS version.
  bool IsOsSupported(const std::wstring& osSupportList);
  // Fills m_application from the entry for this OS (10.0's when it has none). False when
  // the file has no entry for it: the OS is not supported.
  bool ReadApplicationSection(const std::wstring& iniPath);
  // Fills m_installer, m_netFramework and m_vc2015x86 and clears m_application.needed
  // when the installed product is current. Call after ReadApplicationSection. Always true.
  bool ReadInstallerSection(const std::wstring& iniPath);
  // The registered product's version, or empty when it is not installed; sets
  // m_strInstallLocation whenever the registration names one.
  std::wstring GetInstalledVersion();

  std::wstring m_strIniPath;
  std::wstring m_strOsKey;  // "major.minor", probed when first needed
  std::wstring m_strInstallLocation;
  PackageInfo m_installer;
  PackageInfo m_application;
  PackageInfo m_netFramework;
  PackageInfo m_vc2015x86;
  // What the parses found wrong with the file, in order; each is also in the install log.
  std::vector<std::wstring> m_problems;

 private:
  std::wstring ReadString(const std::wstring& section, const std::wstring& key);
  int ReadInt(const std::wstring& section, const std::wstring& key);
  void ReadDownload(const std::wstring& section, PackageInfo& package);
  void ReadMissingPrerequisite(const std::wstring& section, PackageInfo& package);
  void Problem(const std::wstring& text);
  void CheckFetchable(const PackageInfo& package, const std::wstring& section);

  ConfigPlatform* m_platform;
};
