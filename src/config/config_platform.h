// What the server configuration reader asks of the machine: the profile reader for the
// INI file, the probes, the registered product, and its two diagnostic channels. The
// Windows build answers from the real system; tests answer from chosen facts.
#pragma once

#include <string>

struct InstalledProduct {
  bool locationRead = false;  // "InstallLocation" could be read
  std::wstring location;
  std::wstring version;       // "DisplayVersion", empty unless the product file exists
};

class ConfigPlatform {
 public:
  virtual ~ConfigPlatform() = default;

  // A value of `key` in `section`, at most 259 characters; empty when absent.
  virtual std::wstring ReadIniString(const std::wstring& section, const std::wstring& key,
                                     const std::wstring& file) = 0;
  // A non-negative number; 0 when absent, negative or not a number.
  virtual int ReadIniInt(const std::wstring& section, const std::wstring& key,
                         const std::wstring& file) = 0;
  virtual bool FileExists(const std::wstring& path) = 0;

  virtual std::wstring OsVersion() = 0;      // "major.minor"
  virtual std::wstring OsVersionFull() = 0;  // "a.b.c.d"
  virtual std::wstring OwnVersion() = 0;     // the installer's "a.b.c.d"
  virtual bool DotNetInstalled(const std::wstring& version) = 0;
  virtual bool VcRuntimeInstalled(const std::wstring& version, const std::wstring& platform) = 0;
  virtual InstalledProduct ReadInstalledProduct() = 0;

  virtual void Trace(const std::wstring& text) = 0;       // developer trace
  virtual void LogProblem(const std::wstring& text) = 0;  // install log
};
