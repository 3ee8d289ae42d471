// The installer's configuration reader fed from a file read here and from stated facts
// about a machine, so that the kit decides with the installer's own code.
#pragma once

#include <string>
#include <vector>

#include "config/config_platform.h"
#include "config/ini_text.h"
#include "config/release_freshness.h"

struct MachineFacts {
  std::wstring osVersion = L"10.0";       // "major.minor"
  std::wstring ownVersion = L"1.0.0.0";   // the running installer's version
  bool dotNet = false;                    // the .NET probe's answer
  bool vcRuntime = false;                 // the VC runtime probe's answer
  std::wstring installedVersion;          // empty: the product is not installed
  CalendarDate today;                     // the machine's day (UTC), for the [Release] section
};

class KitConfigPlatform : public ConfigPlatform {
 public:
  KitConfigPlatform(const IniText& ini, MachineFacts facts) : ini_(ini), facts_(std::move(facts)) {}

  std::wstring ReadIniString(const std::wstring& section, const std::wstring& key,
                             const std::wstring&) override {
    return ini_.ReadString(section, key);
  }
  int ReadIniInt(const std::wstring& section, const std::wstring& key,
                 const std::wstring&) override {
    return ini_.ReadInt(section, key);
  }
  bool FileExists(const std::wstring&) override { return true; }
  std::wstring OsVersion() override { return facts_.osVersion; }
  std::wstring OsVersionFull() override { return facts_.osVersion + L".0.0"; }
  std::wstring OwnVersion() override { return facts_.ownVersion; }
  bool DotNetInstalled(const std::wstring&) override { return facts_.dotNet; }
  bool VcRuntimeInstalled(const std::wstring&, const std::wstring&) override {
    return facts_.vcRuntime;
  }
  InstalledProduct ReadInstalledProduct() override {
    InstalledProduct product;
    product.version = facts_.installedVersion;
    product.locationRead = !facts_.installedVersion.empty();
    return product;
  }
  void Trace(const std::wstring& text) override { traces.push_back(text); }
  void LogProblem(const std::wstring& text) override { logged.push_back(text); }

  std::vector<std::wstring> traces, logged;

 private:
  const IniText& ini_;
  MachineFacts facts_;
};
