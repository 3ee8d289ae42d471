#include "make_config.h"

#include "base/wide_string.h"
#include "config/ini_text.h"
#include "download/md5_core.h"
#include "pe_version.h"
#include "release_files.h"
#include "signing.h"

namespace {

class ConfigWriter {
 public:
  ConfigWriter(const IniText& manifest, std::filesystem::path folder)
      : manifest_(manifest), folder_(std::move(folder)) {}

  bool Write(std::string& out, std::string& error) {
    baseUrl_ = Get(L"release", L"base_url");
    if (!baseUrl_.empty() && baseUrl_.back() != L'/') baseUrl_ += L'/';
    std::wstring table = L"[Windows_Application]\r\n", sections;
    bool fallback = false;
    for (const IniSection& s : manifest_.sections()) {
      if (!ToLowerAscii(s.name).starts_with(L"package ")) continue;
      const std::wstring name = s.name.substr(8);
      for (const std::wstring& os : Words(Get(s.name, L"entry_for"))) {
        table += L"LatestVersion_" + os + L"=" + name + L"\r\n";
        fallback = fallback || os == L"10.0";
      }
      if (!Download(s.name, name, true, sections)) return Fail(error);
    }
    if (!fallback) error_ = "no [package ...] has 10.0 in entry_for: every Windows without an entry falls back to it";
    if (!error_.empty()) return Fail(error);

    std::wstring minimum = Get(L"release", L"minimum_windows");
    table += L"[MiniOSVersion]\r\nVersion=" + (minimum.empty() ? L"6.1.7601.0" : minimum) + L"\r\n";
    table += L"[Windows_Installer]\r\n";
    if (manifest_.FindSection(L"installer")) {
      table += L"Debug=Installer\r\n";
      if (!Download(L"installer", L"Installer", true, sections)) return Fail(error);
    }
    for (const wchar_t* prerequisite : {L"NetFramework", L"VC2015x86"}) {
      if (!manifest_.FindSection(prerequisite)) continue;
      if (!Download(prerequisite, prerequisite, false, sections)) return Fail(error);
    }
    out = NarrowUtf8(table + sections);
    return true;
  }

 private:
  bool Fail(std::string& error) {
    error = error_;
    return false;
  }
  std::wstring Get(const std::wstring& section, const std::wstring& key) const {
    const IniEntry* e = manifest_.FindEntry(section, key);
    return e && e->value ? *e->value : std::wstring();
  }
  static std::vector<std::wstring> Words(const std::wstring& text) {
    std::vector<std::wstring> words;
    std::wstring word;
    for (const wchar_t c : text + L" ") {
      if (c == L' ' || c == L',') {
        if (!word.empty()) words.push_back(word);
        word.clear();
      } else {
        word += c;
      }
    }
    return words;
  }

  // One section of the configuration from one of the manifest.
  bool Download(const std::wstring& from, const std::wstring& name, bool versioned, std::wstring& out) {
    const std::wstring file = Get(from, L"file");
    std::wstring url = Get(from, L"url");
    if (file.empty()) return Error(L"[" + from + L"] names no file");
    if (url.empty()) url = baseUrl_.empty() ? L"" : baseUrl_ + file.substr(file.find_last_of(L"/") + 1);
    if (url.empty()) return Error(L"[" + from + L"] has no url and [release] no base_url");
    const auto bytes = ReadWholeFile(folder_ / NarrowUtf8(file));
    if (!bytes) return Error(L"cannot read " + file);
    std::wstring version = Get(from, L"version");
    const bool isInstaller = EqualsIgnoreAsciiCase(from, L"installer");
    if (isInstaller) {
      const auto inside = ReadPeProductVersion(*bytes);
      if (!inside) return Error(file + L" carries no version resource");
      if (!version.empty() && version != *inside)
        return Error(L"[installer] says version " + version + L" but " + file + L" is " + *inside);
      version = *inside;
    }
    if (versioned && version.empty()) return Error(L"[" + from + L"] has no version");
    out += L"[" + name + L"]\r\nURL=" + url + L"\r\n";
    if (versioned || !version.empty()) out += L"Version=" + version + L"\r\n";
    out += L"MD5=" + WidenUtf8(Md5OfBytes(*bytes)) + L"\r\nSHA256=" + WidenUtf8(Sha256Hex(*bytes)) +
           L"\r\nBytes=" + std::to_wstring(bytes->size()) + L"\r\n";
    if (versioned) {
      const std::wstring windows = Get(from, L"windows");
      out += L"OSSupport=" + (windows.empty() ? std::wstring(L"all") : windows) + L"\r\n";
    } else {
      out += L"Needed=" + std::wstring(Get(from, L"needed") == L"no" ? L"0" : L"1") + L"\r\n";
    }
    return true;
  }
  bool Error(const std::wstring& text) {
    error_ = NarrowUtf8(text);
    return false;
  }

  const IniText& manifest_;
  std::filesystem::path folder_;
  std::wstring baseUrl_;
  std::string error_;
};

}  // namespace

std::string MakeConfig(const std::string& manifestBytes, const std::filesystem::path& folder,
                       std::string& error) {
  const IniText manifest = IniText::Parse(manifestBytes);
  std::string out;
  if (!ConfigWriter(manifest, folder).Write(out, error)) return std::string();
  return out;
}
