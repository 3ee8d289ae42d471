#include "config/server_config.h"

#include <algorithm>

#include "base/wide_string.h"
#include "config/version.h"

namespace {

constexpr wchar_t kDefaultMinimumOs[] = L"6.1.7601.0";
constexpr wchar_t kFallbackOsKey[] = L"10.0";

bool IsHexText(const std::wstring& text, size_t digits) {
  return text.size() == digits && std::all_of(text.begin(), text.end(), [](wchar_t c) {
           return (c >= L'0' && c <= L'9') || (c >= L'a' && c <= L'f') || (c >= L'A' && c <= L'F');
         });
}

}  // namespace

std::wstring CServerConfig::ReadString(const std::wstring& section, const std::wstring& key) {
  // An empty name names nothing (and would make the profile reader list names instead).
  if (section.empty() || key.empty()) return std::wstring();
  return m_platform->ReadIniString(section, key, m_strIniPath);
}

int CServerConfig::ReadInt(const std::wstring& section, const std::wstring& key) {
  if (section.empty() || key.empty()) return 0;
  return m_platform->ReadIniInt(section, key, m_strIniPath);
}

void CServerConfig::ReadDownload(const std::wstring& section, PackageInfo& package) {
  package.url = ReadString(section, L"URL");
  package.md5 = ReadString(section, L"MD5");
  package.sha256 = ReadString(section, L"SHA256");
  package.size = ReadInt(section, L"Bytes");
}

// A prerequisite the machine lacks: fetched when its section says "Needed".
void CServerConfig::ReadMissingPrerequisite(const std::wstring& section, PackageInfo& package) {
  ReadDownload(section, package);
  package.needed = ReadInt(section, L"Needed") != 0;
  CheckFetchable(package, section);
}

void CServerConfig::Problem(const std::wstring& text) {
  if (std::find(m_problems.begin(), m_problems.end(), text) != m_problems.end()) return;
  m_problems.push_back(text);
  m_platform->LogProblem(text);
}

// A file the configuration asks for but describes so that it can never be fetched or
// verified: said once in the log, so that support sees why nothing happens.
void CServerConfig::CheckFetchable(const PackageInfo& package, const std::wstring& section) {
  if (!package.needed) return;
  if (package.url.empty())
    Problem(FormatWide(L"Server configuration: [%ls] has no URL", section.c_str()));
  if (!IsHexText(package.md5, 32))
    Problem(FormatWide(L"Server configuration: [%ls] MD5 \"%ls\" is not 32 hexadecimal digits",
                       section.c_str(), package.md5.c_str()));
  // Optional; when given, a download must match it too, so a malformed one fails every check.
  if (!package.sha256.empty() && !IsHexText(package.sha256, 64))
    Problem(FormatWide(L"Server configuration: [%ls] SHA256 \"%ls\" is not 64 hexadecimal digits",
                       section.c_str(), package.sha256.c_str()));
  if (package.size <= 0)
    Problem(FormatWide(L"Server configuration: [%ls] Bytes is missing or not a positive number",
                       section.c_str()));
}

bool CServerConfig::IsOsSupported(const std::wstring& osSupportList) {
  const std::wstring list = ToLowerAscii(osSupportList);
  if (list == L"all") return true;
  if (m_strOsKey.empty()) m_strOsKey = m_platform->OsVersion();
  return list.find(m_strOsKey) != std::wstring::npos;
}

bool CServerConfig::ReadApplicationSection(const std::wstring& iniPath) {
  m_strIniPath = iniPath;
  if (!m_platform->FileExists(iniPath))
    Problem(FormatWide(L"Server configuration %ls is missing", iniPath.c_str()));

  const std::wstring osVersion = m_platform->OsVersionFull();
  std::wstring minimumOs = ReadString(L"MiniOSVersion", L"Version");
  if (minimumOs.empty()) minimumOs = kDefaultMinimumOs;
  m_platform->Trace(L"requireMinOSVersionStr:" + minimumOs + L"\r\n");
  m_platform->Trace(L"osVersionStr:" + osVersion + L"\r\n");

  if (m_strOsKey.empty()) m_strOsKey = m_platform->OsVersion();
  std::wstring section = ReadString(L"Windows_Application", L"LatestVersion_" + m_strOsKey);
  if (section.empty())
    section = ReadString(L"Windows_Application", std::wstring(L"LatestVersion_") + kFallbackOsKey);
  if (section.empty()) {
    Problem(FormatWide(L"Server configuration has no application entry for Windows %ls",
                       m_strOsKey.c_str()));
    return false;
  }

  m_application.url = ReadString(section, L"URL");
  m_application.version = ReadString(section, L"Version");
  m_application.md5 = ReadString(section, L"MD5");
  m_application.sha256 = ReadString(section, L"SHA256");
  m_application.size = ReadInt(section, L"Bytes");
  m_application.osSupport = ReadString(section, L"OSSupport");
  m_application.needed = IsOsSupported(m_application.osSupport);
  CheckFetchable(m_application, section);
  return true;
}

bool CServerConfig::ReadInstallerSection(const std::wstring& iniPath) {
  m_strIniPath = iniPath;
  if (!m_platform->FileExists(iniPath))
    Problem(FormatWide(L"Server configuration %ls is missing", iniPath.c_str()));

  // An installer version with an entry of its own is never replaced; every other
  // version follows "Debug" when that offers a higher version.
  const std::wstring ownVersion = m_platform->OwnVersion();
  const std::wstring ownSection = ReadString(L"Windows_Installer", ownVersion);
  if (!ownSection.empty()) {
    ReadDownload(ownSection, m_installer);
    m_installer.version = ReadString(ownSection, L"Version");
    m_installer.osSupport = ReadString(ownSection, L"OSSupport");
  } else {
    const std::wstring section = ReadString(L"Windows_Installer", L"Debug");
    m_installer.version = ReadString(section, L"Version");
    if (!section.empty() && m_installer.version.empty())
      Problem(FormatWide(L"Server configuration: installer section [%ls] has no Version",
                         section.c_str()));
    // Read as numbers whatever the text: "v2" reads as 0.0.0.0 and offers nothing, where a
    // text comparison would fetch and discard that installer on every start.
    if (IsVersionLower(ParseVersion(ownVersion), ParseVersion(m_installer.version))) {
      ReadDownload(section, m_installer);
      m_installer.osSupport = ReadString(section, L"OSSupport");
      m_installer.needed = IsOsSupported(m_installer.osSupport);
      CheckFetchable(m_installer, section);
    } else {
      m_installer.needed = 0;
    }
  }

  // The package is not needed when the installed product is as new or newer. Compared
  // as numbers where both texts are numbers (as texts, 1.10.0.0 would sort below 1.9.0.0),
  // else as texts for equality.
  const std::wstring installed = GetInstalledVersion();
  if (!installed.empty() && !IsOfferedVersionNewer(installed, m_application.version))
    m_application.needed = 0;

  m_netFramework.version = ReadString(L"NetFramework", L"Version");
  if (m_platform->DotNetInstalled(m_netFramework.version)) {
    m_platform->Trace(L".net framework is installed.");
    m_netFramework.needed = 0;
  } else {
    m_platform->Trace(L".net framework is not installed.");
    ReadMissingPrerequisite(L"NetFramework", m_netFramework);
  }

  if (m_platform->VcRuntimeInstalled(L"14.0", L"x86")) {
    m_platform->Trace(L"vc 2015 redist x86 is installed.");
    m_vc2015x86.needed = 0;
  } else {
    m_platform->Trace(L"vc 2015 redist x86 is not installed");
    ReadMissingPrerequisite(L"VC2015x86", m_vc2015x86);
  }
  return true;
}

std::wstring CServerConfig::GetInstalledVersion() {
  const InstalledProduct product = m_platform->ReadInstalledProduct();
  if (product.locationRead) m_strInstallLocation = product.location;
  return product.version;
}
