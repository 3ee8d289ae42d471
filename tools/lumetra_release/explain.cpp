#include "explain.h"

#include <cstdint>
#include <vector>

#include "base/wide_string.h"
#include "config/release_freshness.h"
#include "config/server_config.h"
#include "workflow/download_stage_rules.h"
#include "workflow/fetch_rules.h"

namespace {

std::wstring Describe(const wchar_t* what, const PackageInfo& p) {
  std::wstring line = FormatWide(L"  %-22ls", what);
  if (!IsToBeFetched(p)) {
    line += p.needed ? L"not fetched: its entry lacks a URL, MD5 or Bytes" : L"not fetched";
    return line + L"\n";
  }
  const auto name = SafeDownloadFileName(p.url);
  line += FormatWide(L"fetched: %ls (%d bytes) as %ls", p.url.c_str(), p.size,
                     name ? name->c_str() : L"<refused name: the download fails>");
  return line + L"\n";
}

// The [Release] section as an installer built with a release key judges it on that day.
std::wstring DescribeRelease(const IniText& ini, const CalendarDate& today) {
  const std::wstring serial = ini.ReadString(kReleaseSection, kSerialKey);
  const std::wstring expires = ini.ReadString(kReleaseSection, kExpiresKey);
  const FreshnessVerdict verdict = JudgeFreshness(serial, expires, std::nullopt, today);
  const std::wstring refused = L"; an installer built with a release key refuses this configuration.\n";
  switch (verdict.freshness) {
    case Freshness::kMissing:
      return L"Release: no Serial or no Expires in [Release]" + refused;
    case Freshness::kMalformed:
      return FormatWide(L"Release: Serial \"%ls\", Expires \"%ls\": not a serial and a day YYYY-MM-DD",
                        serial.c_str(), expires.c_str()) + refused;
    case Freshness::kExpired:
      return FormatWide(L"Release: serial %llu, last day %ls, expired (today is %ls)",
                        static_cast<unsigned long long>(verdict.serial),
                        FormatDate(verdict.expires).c_str(), FormatDate(today).c_str()) + refused;
    case Freshness::kReplayed:  // not here: no serial was accepted before
    case Freshness::kFresh:
      break;
  }
  return FormatWide(L"Release: serial %llu, last day %ls (refused where a higher serial was "
                    L"accepted before).\n", static_cast<unsigned long long>(verdict.serial),
                    FormatDate(verdict.expires).c_str());
}

}  // namespace

std::string ExplainConfig(const IniText& ini, const MachineFacts& facts) {
  KitConfigPlatform platform(ini, facts);
  CServerConfig config(platform);
  std::wstring out = FormatWide(
      L"Machine: Windows %ls, installer %ls, .NET %ls, VC runtime %ls, product %ls\n",
      facts.osVersion.c_str(), facts.ownVersion.c_str(), facts.dotNet ? L"present" : L"missing",
      facts.vcRuntime ? L"present" : L"missing",
      facts.installedVersion.empty() ? L"not installed" : facts.installedVersion.c_str());
  out += DescribeRelease(ini, facts.today);

  std::vector<std::wstring> log;
  if (!config.ReadApplicationSection(L"server.ini")) {
    out += L"Decision: this Windows is not supported (no application entry); the installer stops.\n";
    log = platform.logged;
  } else {
    config.ReadInstallerSection(L"server.ini");
    log = platform.logged;  // the reader's own complaints come first
    if (IsToBeFetched(config.m_installer)) {
      out += FormatWide(L"Decision: self-update to installer %ls from %ls; the new installer "
                        L"starts and decides again.\n",
                        config.m_installer.version.c_str(), config.m_installer.url.c_str());
    } else {
      log.push_back(L"Download check .net framework");
      out += L"Decision: no self-update";
      out += config.m_installer.version.empty()
                 ? std::wstring(L".\n")
                 : L" (offered " + config.m_installer.version + L").\n";
      out += FormatWide(L"Product package %ls for OSSupport \"%ls\".\n",
                        config.m_application.version.c_str(), config.m_application.osSupport.c_str());
      out += Describe(L".NET Framework", config.m_netFramework);
      out += Describe(L"VC 2015 x86 runtime", config.m_vc2015x86);
      out += Describe(L"product package", config.m_application);
      uint64_t total = 0;
      for (const PackageInfo* p : {&config.m_netFramework, &config.m_vc2015x86, &config.m_application})
        if (IsToBeFetched(*p)) total += static_cast<uint64_t>(p->size);
      // Sizes as the download stage passes them: a size given to a file not fetched is cut.
      const DownloadShares s =
          ComputeDownloadShares(total, config.m_netFramework.size, config.m_vc2015x86.size);
      out += FormatWide(L"Progress bar: .NET %d..%d%%, VC %d..%d%%, package %d..%d%%\n", s.nfStart,
                        s.nfStart + s.nfPart, s.vcStart, s.vcStart + s.vcPart, s.pkStart,
                        s.pkStart + s.pkPart);
      if (total == 0) out += L"Nothing to fetch: the installer goes on to start the installed product.\n";
      log.push_back(IsToBeFetched(config.m_netFramework) ? L".net framework download needed"
                                                         : L".net framework download not needed");
      log.push_back(IsToBeFetched(config.m_vc2015x86) ? L"vc2015 x86 download needed"
                                                      : L"vc2015 x86 download not needed");
      log.push_back(IsToBeFetched(config.m_application) ? L"app download needed"
                                                        : L"app download not needed");
      log.push_back(FormatWide(L"nf_start: %d, nf_part: %d.", s.nfStart, s.nfPart));
      log.push_back(FormatWide(L"vc2015x86_start: %d, vc2015x86_part: %d.", s.vcStart, s.vcPart));
      log.push_back(FormatWide(L"pk_start: %d, pk_part: %d.", s.pkStart, s.pkPart));
    }
  }
  out += L"Debug trace:\n";
  for (const std::wstring& t : platform.traces) {
    std::wstring line = t;
    while (!line.empty() && (line.back() == L'\n' || line.back() == L'\r')) line.pop_back();
    out += L"  " + line + L"\n";
  }
  out += L"Install log lines:\n";
  for (const std::wstring& l : log) out += L"  " + l + L"\n";
  return NarrowUtf8(out);
}
