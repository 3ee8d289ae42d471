#include "lint.h"

#include <algorithm>
#include <cstdint>
#include <cwctype>
#include <regex>
#include <set>

#include "base/wide_string.h"
#include "config/server_config.h"
#include "config/version.h"
#include "download/md5_core.h"
#include "kit_platform.h"
#include "pe_version.h"
#include "release_section.h"
#include "signing.h"
#include "workflow/download_stage_rules.h"

namespace {

// The two-part versions current Windows report: 7, 8, 8.1, and 10 and 11 (both 10.0).
const wchar_t* const kWindowsKeys[] = {L"6.1", L"6.2", L"6.3", L"10.0"};
constexpr size_t kLongestValue = 259;
// A last day this many days away or fewer is worth a warning: time to sign the next release.
constexpr int kExpiryWarningDays = 14;

class Linter {
 public:
  Linter(const IniText& ini, ReleaseFiles* files) : ini_(ini), files_(files) {}

  std::vector<Finding> Run() {
    CheckLayout();
    CheckFallback();
    CheckApplications();
    CheckInstaller();
    CheckPrerequisite(L"NetFramework");
    CheckPrerequisite(L"VC2015x86");
    std::stable_sort(findings_.begin(), findings_.end(),
                     [](const Finding& a, const Finding& b) { return a.line < b.line; });
    return findings_;
  }

 private:
  void Add(int line, Severity severity, const std::wstring& text) {
    findings_.push_back({line, severity, NarrowUtf8(text)});
  }
  int LineOf(const std::wstring& section, const std::wstring& key = L"") const {
    if (!key.empty())
      if (const IniEntry* e = ini_.FindEntry(section, key)) return e->line;
    const IniSection* s = ini_.FindSection(section);
    return s ? s->line : 0;
  }

  // What the reader would see differently from what an editor shows.
  void CheckLayout() {
    for (const IniEntry& loose : ini_.loose_lines())
      if (!loose.name.starts_with(L";") && !loose.name.starts_with(L"#"))
        Add(loose.line, Severity::kWarning, L"this line is neither [section] nor key=value; it is ignored");
    for (size_t i = 0; i < ini_.sections().size(); ++i) {
      const IniSection& s = ini_.sections()[i];
      if (ini_.FindSection(s.name) != &s && s.line > 0)
        Add(s.line, Severity::kError, L"section [" + s.name + L"] appears again; the installer reads only the first one");
      if (s.name != std::wstring(s.name.size(), L' ') && (s.name.front() == L' ' || s.name.back() == L' '))
        Add(s.line, Severity::kError, L"section name [" + s.name + L"] has blanks inside the brackets; the installer would not find it");
      for (const IniEntry& e : s.entries) {
        if (!e.value) continue;
        if (ini_.FindEntry(s.name, e.name) != &e && ini_.FindSection(s.name) == &s)
          Add(e.line, Severity::kError, L"key " + e.name + L" appears again in [" + s.name + L"]; the installer reads only the first one");
        if (e.value->size() > kLongestValue)
          Add(e.line, Severity::kError, L"the value of " + e.name + L" is longer than 259 characters; the installer cuts it");
      }
    }
  }

  void CheckFallback() {
    if (!ini_.FindSection(L"Windows_Application")) {
      Add(0, Severity::kError, L"section [Windows_Application] is missing; no installer would find the product");
      return;
    }
    if (ini_.ReadString(L"Windows_Application", L"LatestVersion_10.0").empty())
      Add(LineOf(L"Windows_Application"), Severity::kError,
          L"[Windows_Application] has no LatestVersion_10.0, the entry every Windows without its own entry falls back to");
    // Each current Windows decided by the installer's own reader.
    for (const wchar_t* os : kWindowsKeys) {
      MachineFacts facts;
      facts.osVersion = os;
      KitConfigPlatform platform(ini_, facts);
      CServerConfig config(platform);
      if (!config.ReadApplicationSection(L"update_win.ini")) {
        Add(LineOf(L"Windows_Application"), Severity::kError,
            std::wstring(L"an installer on Windows ") + os + L" finds no application entry and reports the system as unsupported");
      } else if (!config.m_application.needed) {
        const std::wstring section = ApplicationSectionFor(os);
        Add(LineOf(section, L"OSSupport"), Severity::kWarning,
            std::wstring(L"an installer on Windows ") + os + L" uses [" + section +
                L"] but its OSSupport does not include " + os + L", so it installs nothing");
      }
    }
  }

  std::wstring ApplicationSectionFor(const std::wstring& os) const {
    std::wstring s = ini_.ReadString(L"Windows_Application", L"LatestVersion_" + os);
    return s.empty() ? ini_.ReadString(L"Windows_Application", L"LatestVersion_10.0") : s;
  }

  void CheckApplications() {
    const IniSection* table = ini_.FindSection(L"Windows_Application");
    if (!table) return;
    for (const IniEntry& e : table->entries) {
      if (!e.value || !ToLowerAscii(e.name).starts_with(L"latestversion_")) continue;
      const std::wstring section = ini_.ReadString(L"Windows_Application", e.name);
      if (ini_.FindEntry(L"Windows_Application", e.name) != &e) continue;
      if (!checked_.insert(ToLowerAscii(section)).second) continue;  // one report a section
      if (CheckNamedSection(section, e)) CheckDownload(section, true, true, L"");
    }
  }

  void CheckInstaller() {
    const IniSection* table = ini_.FindSection(L"Windows_Installer");
    if (!table) {
      Add(0, Severity::kError, L"section [Windows_Installer] is missing; no installer could ever update itself");
      return;
    }
    for (const IniEntry& e : table->entries) {
      if (!e.value || ini_.FindEntry(L"Windows_Installer", e.name) != &e) continue;
      const std::wstring section = ini_.ReadString(L"Windows_Installer", e.name);
      if (!EqualsIgnoreAsciiCase(e.name, L"Debug")) {
        if (!IsFourPartVersion(e.name))
          Add(e.line, Severity::kError, L"key " + e.name + L" of [Windows_Installer] is neither Debug nor an installer version a.b.c.d");
        if (CheckNamedSection(section, e)) CheckVersion(section);
        continue;
      }
      if (CheckNamedSection(section, e)) CheckDownload(section, true, false, section);
    }
  }

  void CheckPrerequisite(const std::wstring& section) {
    if (!ini_.FindSection(section)) {
      Add(0, Severity::kWarning, L"section [" + section + L"] is missing; a machine without it is never given it");
      return;
    }
    if (ini_.ReadInt(section, L"Needed") == 0) {
      Add(LineOf(section), Severity::kWarning, L"[" + section + L"] has no Needed=1; a machine without it is never given it");
      return;
    }
    CheckDownload(section, false, false, L"");
  }

  bool CheckNamedSection(const std::wstring& section, const IniEntry& entry) {
    if (ini_.FindSection(section)) return true;
    Add(entry.line, Severity::kError, L"" + entry.name + L" names section [" + section + L"], which does not exist");
    return false;
  }

  static bool IsFourPartVersion(const std::wstring& text) {
    static const std::wregex kFour(L"(0|[1-9][0-9]{0,8})(\\.(0|[1-9][0-9]{0,8})){3}");
    return std::regex_match(text, kFour);
  }

  void CheckVersion(const std::wstring& section) {
    const std::wstring version = ini_.ReadString(section, L"Version");
    if (version.empty())
      Add(LineOf(section), Severity::kError, L"[" + section + L"] has no Version");
    else if (!IsFourPartVersion(version))
      Add(LineOf(section, L"Version"), Severity::kError,
          L"Version \"" + version + L"\" of [" + section + L"] is not four numbers a.b.c.d; " + HowRead(version));
  }

  static std::wstring HowRead(const std::wstring& text) {
    const std::optional<VersionNumber> v = ReadVersionNumbers(text);
    if (!v) return L"the installer compares it only as a text, for equality";
    return L"the installer would read it as " + std::to_wstring(v->major) + L"." + std::to_wstring(v->minor) + L"." +
           std::to_wstring(v->build) + L"." + std::to_wstring(v->revision);
  }

  void CheckOsSupport(const std::wstring& section) {
    const std::wstring list = ini_.ReadString(section, L"OSSupport");
    if (ToLowerAscii(list) == L"all") return;
    const bool any = std::any_of(std::begin(kWindowsKeys), std::end(kWindowsKeys),
                                 [&](const wchar_t* os) { return list.find(os) != std::wstring::npos; });
    if (!any)
      Add(list.empty() ? LineOf(section) : LineOf(section, L"OSSupport"), Severity::kError,
          L"OSSupport \"" + list + L"\" of [" + section + L"] matches no Windows version (6.1, 6.2, 6.3, 10.0) nor \"all\"");
  }

  void CheckDownload(const std::wstring& section, bool versioned, bool isPackage,
                     const std::wstring& installerSection) {
    if (versioned) {
      CheckVersion(section);
      CheckOsSupport(section);
    }
    const std::wstring url = ini_.ReadString(section, L"URL");
    const std::wstring md5 = ini_.ReadString(section, L"MD5");
    const int bytes = ini_.ReadInt(section, L"Bytes");
    const std::wstring bytesText = ini_.ReadString(section, L"Bytes");
    if (url.empty()) Add(LineOf(section), Severity::kError, L"[" + section + L"] has no URL");
    CheckSha256(section);
    if (md5.size() != 32 || !std::all_of(md5.begin(), md5.end(), iswxdigit))
      Add(md5.empty() ? LineOf(section) : LineOf(section, L"MD5"), Severity::kError,
          L"MD5 of [" + section + L"] is not 32 hexadecimal digits");
    if (bytes <= 0 || std::to_wstring(bytes) != bytesText)
      Add(bytesText.empty() ? LineOf(section) : LineOf(section, L"Bytes"), Severity::kError,
          L"Bytes of [" + section + L"] is not a plain positive number the installer reads as such");
    if (url.empty()) return;
    CheckUrl(section, url, isPackage);
    if (files_) CheckFile(section, url, md5, bytesText, installerSection);
  }

  void CheckSha256(const std::wstring& section) {
    const std::wstring sha256 = ini_.ReadString(section, L"SHA256");
    if (sha256.empty())
      Add(LineOf(section), Severity::kWarning,
          L"[" + section + L"] has no SHA256; installers check its file by MD5 alone");
    else if (sha256.size() != 64 || !std::all_of(sha256.begin(), sha256.end(), iswxdigit))
      Add(LineOf(section, L"SHA256"), Severity::kError,
          L"SHA256 of [" + section + L"] is not 64 hexadecimal digits; no installer that reads it can accept the file");
  }

  void CheckUrl(const std::wstring& section, const std::wstring& url, bool isPackage) {
    const int line = LineOf(section, L"URL");
    const std::wstring lower = ToLowerAscii(url);
    if (lower.starts_with(L"http://"))
      Add(line, Severity::kWarning, L"URL of [" + section + L"] is plain http; the file is then checked only by its MD5");
    else if (!lower.starts_with(L"https://"))
      Add(line, Severity::kError, L"URL of [" + section + L"] is neither https:// nor http://");
    const auto name = SafeDownloadFileName(url);
    if (!name)
      Add(line, Severity::kError, L"the installer refuses the file name at the end of the URL of [" + section + L"]");
    else if (name->find(L'.') == std::wstring::npos)
      Add(line, isPackage ? Severity::kError : Severity::kWarning,
          L"the file name \"" + *name + L"\" at the end of the URL of [" + section + L"] has no dot" +
              (isPackage ? L"; the installer would unpack the package onto the package itself" : L""));
  }

  void CheckFile(const std::wstring& section, const std::wstring& url, const std::wstring& md5,
                 const std::wstring& bytesText, const std::wstring& installerSection) {
    std::string why;
    const auto bytes = files_->Get(url, why);
    const int line = LineOf(section, L"URL");
    if (!bytes) {
      Add(line, Severity::kError, L"the file of [" + section + L"] could not be read: " + WidenUtf8(why));
      return;
    }
    const std::wstring actualMd5 = WidenUtf8(Md5OfBytes(*bytes));
    if (ToLowerAscii(md5) != actualMd5)
      Add(LineOf(section, L"MD5"), Severity::kError,
          L"MD5 of [" + section + L"] is " + md5 + L" but the file's is " + actualMd5);
    const std::wstring sha256 = ini_.ReadString(section, L"SHA256");
    const std::wstring actualSha256 = WidenUtf8(Sha256Hex(*bytes));
    if (!sha256.empty() && ToLowerAscii(sha256) != actualSha256)
      Add(LineOf(section, L"SHA256"), Severity::kError,
          L"SHA256 of [" + section + L"] is " + sha256 + L" but the file's is " + actualSha256);
    if (bytesText != std::to_wstring(bytes->size()))
      Add(LineOf(section, L"Bytes"), Severity::kError,
          L"Bytes of [" + section + L"] is " + bytesText + L" but the file has " + std::to_wstring(bytes->size()));
    if (installerSection.empty()) return;
    const std::wstring announced = ini_.ReadString(section, L"Version");
    const auto inside = ReadPeProductVersion(*bytes);
    if (!inside)
      Add(line, Severity::kError, L"the installer file of [" + section + L"] carries no version resource");
    else if (*inside != announced)
      Add(LineOf(section, L"Version"), Severity::kError,
          L"[" + section + L"] announces installer version " + announced + L" but the file is version " + *inside +
              L"; installers would replace themselves again and again or never");
  }

  const IniText& ini_;
  ReleaseFiles* files_;
  std::vector<Finding> findings_;
  std::set<std::wstring> checked_;
};

}  // namespace

std::vector<Finding> LintConfig(const IniText& ini, ReleaseFiles* files) {
  return Linter(ini, files).Run();
}

std::vector<Finding> LintSignature(const std::string& config, const std::optional<std::string>& signature,
                                   const std::filesystem::path& publicKey) {
  if (!signature)
    return {{0, Severity::kWarning,
             "no signature beside it (.sig); installers built with a release key refuse this "
             "release: lumetra-release sign it"}};
  if (publicKey.empty()) return {};
  switch (VerifyBytes(config, *signature, publicKey)) {
    case SignatureStatus::kValid: return {};
    case SignatureStatus::kBadKey:
      return {{0, Severity::kError, publicKey.string() + " holds no ECDSA P-256 public key (PEM)"}};
    case SignatureStatus::kMismatch: break;
  }
  return {{0, Severity::kError,
           "the signature (.sig) does not verify with " + publicKey.string() +
               "; installers built with that key refuse this release"}};
}

std::vector<Finding> LintRelease(const IniText& ini, bool keyed, CalendarDate today) {
  const Severity absent = keyed ? Severity::kError : Severity::kWarning;
  const std::string refused = "installers built with a release key refuse this configuration";
  const IniSection* section = ini.FindSection(kReleaseSection);
  if (!section)
    return {{0, absent, "section [Release] (Serial, Expires) is missing; " + refused +
                            ": lumetra-release sign writes it"}};
  std::vector<Finding> findings;
  const auto lineOf = [&](const wchar_t* key) {
    const IniEntry* e = ini.FindEntry(kReleaseSection, key);
    return e ? e->line : section->line;
  };
  const std::wstring serial = ini.ReadString(kReleaseSection, kSerialKey);
  if (serial.empty())
    findings.push_back({lineOf(kSerialKey), absent, "[Release] has no Serial; " + refused});
  else if (!ParseSerial(serial))
    findings.push_back({lineOf(kSerialKey), Severity::kError,
                        "Serial \"" + NarrowUtf8(serial) + "\" of [Release] is not 1 to 19 decimal digits; " + refused});
  const std::wstring expiresText = ini.ReadString(kReleaseSection, kExpiresKey);
  const std::optional<CalendarDate> expires = ParseExpiry(expiresText);
  const int line = lineOf(kExpiresKey);
  const std::string refusedFrom = "from " + NarrowUtf8(FormatDate(AddDays(expires.value_or(today), 1))) +
                                  " " + refused;
  if (expiresText.empty())
    findings.push_back({line, absent, "[Release] has no Expires; " + refused});
  else if (!expires)
    findings.push_back({line, Severity::kError,
                        "Expires \"" + NarrowUtf8(expiresText) + "\" of [Release] is not a day written YYYY-MM-DD; " + refused});
  else if (*expires < today)
    findings.push_back({line, Severity::kError,
                        "the last day of this configuration, Expires " + NarrowUtf8(expiresText) + ", is past: " + refusedFrom});
  else if (DaysBetween(today, *expires) <= kExpiryWarningDays)
    findings.push_back({line, Severity::kWarning,
                        "the last day of this configuration, Expires " + NarrowUtf8(expiresText) +
                            ", is within " + std::to_string(kExpiryWarningDays) + " days: " + refusedFrom});
  return findings;
}

int LintExitCode(const std::vector<Finding>& findings) {
  int code = 0;
  for (const Finding& f : findings) code = std::max(code, f.severity == Severity::kError ? 2 : 1);
  return code;
}
