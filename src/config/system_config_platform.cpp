// The Windows answers to the configuration reader: profile functions, probes, registry.
#include <windows.h>
#include <shlwapi.h>

#include "config/installed_product.h"
#include "config/server_config.h"
#include "system/debug_trace.h"
#include "system/install_log.h"
#include "system/probes.h"

namespace {

class SystemConfigPlatform : public ConfigPlatform {
 public:
  std::wstring ReadIniString(const std::wstring& section, const std::wstring& key,
                             const std::wstring& file) override {
    wchar_t buffer[MAX_PATH] = {};
    GetPrivateProfileStringW(section.c_str(), key.c_str(), L"", buffer, MAX_PATH, file.c_str());
    return buffer;
  }
  int ReadIniInt(const std::wstring& section, const std::wstring& key,
                 const std::wstring& file) override {
    const int value =
        static_cast<int>(GetPrivateProfileIntW(section.c_str(), key.c_str(), 0, file.c_str()));
    return value < 0 ? 0 : value;
  }
  bool FileExists(const std::wstring& path) override {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
  }
  std::wstring OsVersion() override { return GetOsVersion(); }
  std::wstring OsVersionFull() override { return GetOsVersionFull(); }
  std::wstring OwnVersion() override { return GetOwnVersion(); }
  bool DotNetInstalled(const std::wstring& version) override {
    return IsDotNetInstalled(version);
  }
  bool VcRuntimeInstalled(const std::wstring& version, const std::wstring& platform) override {
    return IsVcRuntimeInstalled(version, platform);
  }
  InstalledProduct ReadInstalledProduct() override { return ReadInstalledProductEntry(); }
  void Trace(const std::wstring& text) override { DebugTrace(L"%ls", text.c_str()); }
  void LogProblem(const std::wstring& text) override { WriteInstallLog(L"%ls", text.c_str()); }
};

ConfigPlatform& TheSystemConfigPlatform() {
  static SystemConfigPlatform platform;  // stateless: shared by every thread
  return platform;
}

}  // namespace

CServerConfig::CServerConfig() : m_platform(&TheSystemConfigPlatform()) {}
