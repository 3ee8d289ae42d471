#include "config/server_config.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "base/wide_string.h"

namespace {

// Chosen machine facts and an INI held in memory, names matched without regard to case
// as the profile functions do.
class FakeConfigPlatform : public ConfigPlatform {
 public:
  void Set(const std::wstring& section, const std::wstring& key, const std::wstring& value) {
    ini[{ToLowerAscii(section), ToLowerAscii(key)}] = value;
  }
  std::wstring ReadIniString(const std::wstring& section, const std::wstring& key,
                             const std::wstring& file) override {
    EXPECT_EQ(file, kPath);
    reads.push_back(section + L"/" + key);
    auto it = ini.find({ToLowerAscii(section), ToLowerAscii(key)});
    return it == ini.end() ? L"" : it->second;
  }
  int ReadIniInt(const std::wstring& section, const std::wstring& key,
                 const std::wstring& file) override {
    const std::wstring text = ReadIniString(section, key, file);
    return text.empty() ? 0 : std::stoi(text);
  }
  bool FileExists(const std::wstring&) override { return fileExists; }
  std::wstring OsVersion() override { return osVersion; }
  std::wstring OsVersionFull() override { return osVersion + L".19045.1"; }
  std::wstring OwnVersion() override { return ownVersion; }
  bool DotNetInstalled(const std::wstring& version) override {
    dotNetAsked = version;
    return dotNet;
  }
  bool VcRuntimeInstalled(const std::wstring& version, const std::wstring& platform) override {
    vcAsked = version + L"/" + platform;
    return vc;
  }
  InstalledProduct ReadInstalledProduct() override { return installed; }
  void Trace(const std::wstring& text) override { traces.push_back(text); }
  void LogProblem(const std::wstring& text) override { logged.push_back(text); }

  bool WasRead(const std::wstring& sectionAndKey) const {
    for (const auto& r : reads)
      if (EqualsIgnoreAsciiCase(r, sectionAndKey)) return true;
    return false;
  }

  static constexpr wchar_t kPath[] = L"C:\\Temp\\server.ini";
  std::map<std::pair<std::wstring, std::wstring>, std::wstring> ini;
  std::vector<std::wstring> reads, traces, logged;
  bool fileExists = true;
  std::wstring osVersion = L"10.0";
  std::wstring ownVersion = L"1.25.0.30";
  bool dotNet = false, vc = false;
  std::wstring dotNetAsked, vcAsked;
  InstalledProduct installed;
};

constexpr char kMd5[] = "0123456789abcdef0123456789ABCDEF";

class ServerConfigTest : public ::testing::Test {
 protected:
  void AddPackage(const std::wstring& section, const std::wstring& version,
                  const std::wstring& osSupport) {
    fake.Set(section, L"URL", L"http://127.0.0.1/" + section + L".7z");
    fake.Set(section, L"Version", version);
    fake.Set(section, L"MD5", std::wstring(kMd5, kMd5 + 32));
    fake.Set(section, L"Bytes", L"1234");
    fake.Set(section, L"OSSupport", osSupport);
  }
  void AddApplication(const std::wstring& osKey, const std::wstring& section,
                      const std::wstring& version, const std::wstring& osSupport) {
    fake.Set(L"Windows_Application", L"LatestVersion_" + osKey, section);
    AddPackage(section, version, osSupport);
  }
  bool ReadBoth() {
    const bool application = config.ReadApplicationSection(FakeConfigPlatform::kPath);
    EXPECT_TRUE(config.ReadInstallerSection(FakeConfigPlatform::kPath));
    return application;
  }

  FakeConfigPlatform fake;
  CServerConfig config{fake};
};

TEST_F(ServerConfigTest, OsWithoutEntryFallsBackToTenAndChecksItsSupportList) {
  fake.osVersion = L"6.3";
  AddApplication(L"6.1", L"App61", L"1.0.0.0", L"6.1");
  AddApplication(L"10.0", L"App10", L"2.0.0.0", L"6.3,10.0");
  ASSERT_TRUE(config.ReadApplicationSection(FakeConfigPlatform::kPath));
  EXPECT_EQ(config.m_strOsKey, L"6.3");
  EXPECT_EQ(config.m_application.version, L"2.0.0.0");
  EXPECT_EQ(config.m_application.url, L"http://127.0.0.1/App10.7z");
  EXPECT_EQ(config.m_application.size, 1234);
  EXPECT_EQ(config.m_strIniPath, FakeConfigPlatform::kPath);
  EXPECT_TRUE(config.m_application.needed);

  CServerConfig other(fake);
  fake.Set(L"App10", L"OSSupport", L"6.1,10.0");
  ASSERT_TRUE(other.ReadApplicationSection(FakeConfigPlatform::kPath));
  EXPECT_FALSE(other.m_application.needed);
}

TEST_F(ServerConfigTest, OwnOsEntryWinsOverTheFallback) {
  fake.osVersion = L"6.1";
  AddApplication(L"6.1", L"App61", L"1.0.0.0", L"6.1,10.0");
  AddApplication(L"10.0", L"App10", L"2.0.0.0", L"all");
  ASSERT_TRUE(config.ReadApplicationSection(FakeConfigPlatform::kPath));
  EXPECT_EQ(config.m_application.version, L"1.0.0.0");
  EXPECT_TRUE(config.m_application.needed);
}

TEST_F(ServerConfigTest, SupportListIsLowerCasedAndSearchedAsText) {
  for (const wchar_t* all : {L"ALL", L"All", L"all"}) EXPECT_TRUE(config.IsOsSupported(all));
  EXPECT_EQ(config.m_strOsKey, L"");  // "all" needs no OS probe
  EXPECT_TRUE(config.IsOsSupported(L"6.1,10.0"));
  EXPECT_EQ(config.m_strOsKey, L"10.0");
  EXPECT_FALSE(config.IsOsSupported(L""));
  EXPECT_FALSE(config.IsOsSupported(L"all,6.1"));
  config.m_strOsKey = L"6.3";
  EXPECT_FALSE(config.IsOsSupported(L"6.1,10.0"));
  EXPECT_TRUE(config.IsOsSupported(L"6.1 6.3"));

  fake.osVersion = L"";  // a failed probe: an empty key is found in every list
  CServerConfig unknownOs(fake);
  EXPECT_TRUE(unknownOs.IsOsSupported(L"6.1"));
}

TEST_F(ServerConfigTest, NoApplicationEntryMeansUnsupportedOsAndSaysSo) {
  fake.Set(L"Windows_Application", L"LatestVersion_6.1", L"App61");
  AddPackage(L"App61", L"1.0.0.0", L"all");
  EXPECT_FALSE(config.ReadApplicationSection(FakeConfigPlatform::kPath));
  EXPECT_EQ(config.m_application.url, L"");
  EXPECT_FALSE(config.m_application.needed);
  ASSERT_EQ(fake.logged.size(), 1u);
  EXPECT_EQ(fake.logged[0], L"Server configuration has no application entry for Windows 10.0");
  EXPECT_EQ(config.m_problems, fake.logged);
}

TEST_F(ServerConfigTest, TracesMinimumAndFullOsVersion) {
  AddApplication(L"10.0", L"App10", L"2.0.0.0", L"all");
  ASSERT_TRUE(config.ReadApplicationSection(FakeConfigPlatform::kPath));
  ASSERT_GE(fake.traces.size(), 2u);
  EXPECT_EQ(fake.traces[0], L"requireMinOSVersionStr:6.1.7601.0\r\n");
  EXPECT_EQ(fake.traces[1], L"osVersionStr:10.0.19045.1\r\n");

  fake.traces.clear();
  fake.Set(L"MiniOSVersion", L"Version", L"6.2.9200.0");
  ASSERT_TRUE(config.ReadApplicationSection(FakeConfigPlatform::kPath));
  EXPECT_EQ(fake.traces[0], L"requireMinOSVersionStr:6.2.9200.0\r\n");
}

TEST_F(ServerConfigTest, InstallerWithAnEntryOfItsOwnIsNeverReplaced) {
  fake.Set(L"Windows_Installer", L"1.25.0.30", L"Pinned");
  AddPackage(L"Pinned", L"9.0.0.0", L"all");
  fake.Set(L"Windows_Installer", L"Debug", L"Newest");
  AddPackage(L"Newest", L"9.9.0.0", L"all");
  ReadBoth();
  EXPECT_EQ(config.m_installer.version, L"9.0.0.0");
  EXPECT_EQ(config.m_installer.url, L"http://127.0.0.1/Pinned.7z");
  EXPECT_EQ(config.m_installer.osSupport, L"all");
  EXPECT_EQ(config.m_installer.size, 1234);
  EXPECT_FALSE(config.m_installer.needed);
  EXPECT_FALSE(fake.WasRead(L"Windows_Installer/Debug"));
}

TEST_F(ServerConfigTest, DebugEntryOffersAnUpdateOnlyWhenNumericallyHigher) {
  fake.Set(L"Windows_Installer", L"Debug", L"Newest");
  AddPackage(L"Newest", L"1.25.0.31", L"all");
  ReadBoth();
  EXPECT_TRUE(config.m_installer.needed);
  EXPECT_EQ(config.m_installer.url, L"http://127.0.0.1/Newest.7z");

  FakeConfigPlatform shortForm;  // "1.26" is 1.26.0.0
  shortForm.Set(L"Windows_Installer", L"Debug", L"Newest");
  shortForm.Set(L"Newest", L"Version", L"1.26");
  shortForm.Set(L"Newest", L"OSSupport", L"all");
  CServerConfig withShortForm(shortForm);
  withShortForm.ReadInstallerSection(FakeConfigPlatform::kPath);
  EXPECT_TRUE(withShortForm.m_installer.needed);

  // Read as numbers whatever the text: "v2" is 0.0.0.0, nothing newer.
  for (const wchar_t* offered : {L"1.25.0.30", L"1.9.0.0", L"", L"v2", L"V9.9.9.9"}) {
    FakeConfigPlatform fresh;
    fresh.Set(L"Windows_Installer", L"Debug", L"Newest");
    fresh.Set(L"Newest", L"Version", offered);
    fresh.Set(L"Newest", L"URL", L"http://127.0.0.1/x");
    CServerConfig other(fresh);
    other.ReadInstallerSection(FakeConfigPlatform::kPath);
    EXPECT_FALSE(other.m_installer.needed) << offered;
    EXPECT_EQ(other.m_installer.url, L"") << offered;  // nothing more is read
    EXPECT_EQ(other.m_installer.version, offered);
  }
}

TEST_F(ServerConfigTest, NewerInstallerForAnotherOsIsNotNeeded) {
  fake.Set(L"Windows_Installer", L"Debug", L"Newest");
  AddPackage(L"Newest", L"2.0.0.0", L"6.1");
  ReadBoth();
  EXPECT_FALSE(config.m_installer.needed);
  EXPECT_EQ(config.m_installer.url, L"http://127.0.0.1/Newest.7z");
}

TEST_F(ServerConfigTest, InstalledProductAsNewOrNewerMakesThePackageUnneeded) {
  const struct {
    const wchar_t* installed;
    const wchar_t* offered;
    bool needed;
  } cases[] = {
      {L"1.2.0.0", L"1.2.0.0", false}, {L"1.2.0.0", L"1.2.0.1", true},
      {L"1.9.0.0", L"1.10.0.0", true},  // as numbers, not as texts
      {L"1.10.0.0", L"1.9.0.0", false}, {L"1.2.0.0", L"1.2", false},
      {L"", L"1.0.0.0", true},  // not installed
      // A text that is not numbers alone compares for equality only: installing the offer
      // makes them equal, so nothing is offered again and again.
      {L"v1.2", L"v1.2", false}, {L"1.2.0.0", L"v1.3", true}, {L"v1.3", L"1.2.0.0", true},
      {L"1.2.0.0", L"1.2.0.0.1", true}, {L"1.2.0.0", L"", false},
  };
  for (const auto& c : cases) {
    FakeConfigPlatform fresh;
    fresh.Set(L"Windows_Application", L"LatestVersion_10.0", L"App");
    fresh.Set(L"App", L"Version", c.offered);
    fresh.Set(L"App", L"OSSupport", L"all");
    fresh.installed = {true, L"C:\\Program Files\\Lumetra", c.installed};
    CServerConfig other(fresh);
    ASSERT_TRUE(other.ReadApplicationSection(FakeConfigPlatform::kPath));
    other.ReadInstallerSection(FakeConfigPlatform::kPath);
    EXPECT_EQ(bool(other.m_application.needed), c.needed) << c.installed << " vs " << c.offered;
    EXPECT_EQ(other.m_strInstallLocation, L"C:\\Program Files\\Lumetra");
  }
}

TEST_F(ServerConfigTest, InstallLocationIsKeptWhenTheRegistrationHasNone) {
  config.m_strInstallLocation = L"D:\\Earlier";
  fake.installed = {};
  EXPECT_EQ(config.GetInstalledVersion(), L"");
  EXPECT_EQ(config.m_strInstallLocation, L"D:\\Earlier");
  fake.installed = {true, L"E:\\Lumetra", L""};  // registered, product file gone
  EXPECT_EQ(config.GetInstalledVersion(), L"");
  EXPECT_EQ(config.m_strInstallLocation, L"E:\\Lumetra");
}

TEST_F(ServerConfigTest, PresentPrerequisitesAreNotReadMissingOnesFollowNeeded) {
  AddPackage(L"NetFramework", L"v4", L"");
  fake.Set(L"NetFramework", L"Needed", L"1");
  AddPackage(L"VC2015x86", L"", L"");
  fake.Set(L"VC2015x86", L"Needed", L"0");
  fake.dotNet = true;
  ReadBoth();
  EXPECT_EQ(fake.dotNetAsked, L"v4");
  EXPECT_EQ(fake.vcAsked, L"14.0/x86");
  EXPECT_EQ(config.m_netFramework.version, L"v4");
  EXPECT_FALSE(config.m_netFramework.needed);
  EXPECT_EQ(config.m_netFramework.size, 0);
  EXPECT_EQ(config.m_netFramework.url, L"");
  EXPECT_FALSE(fake.WasRead(L"NetFramework/Needed"));
  EXPECT_EQ(config.m_vc2015x86.url, L"http://127.0.0.1/VC2015x86.7z");
  EXPECT_EQ(config.m_vc2015x86.size, 1234);
  EXPECT_FALSE(config.m_vc2015x86.needed);  // missing, but "Needed" is 0
  EXPECT_EQ(config.m_vc2015x86.version, L"");

  const std::vector<std::wstring> expected = {L".net framework is installed.",
                                              L"vc 2015 redist x86 is not installed"};
  EXPECT_EQ(std::vector<std::wstring>(fake.traces.end() - 2, fake.traces.end()), expected);
}

TEST_F(ServerConfigTest, MissingPrerequisitesWithNeededAreFetched) {
  AddPackage(L"NetFramework", L"v4.5", L"");
  fake.Set(L"NetFramework", L"Needed", L"7");
  AddPackage(L"VC2015x86", L"", L"");
  fake.Set(L"VC2015x86", L"Needed", L"1");
  fake.vc = false;
  ReadBoth();
  EXPECT_EQ(config.m_netFramework.needed, 1);
  EXPECT_EQ(config.m_netFramework.md5, std::wstring(kMd5, kMd5 + 32));
  EXPECT_EQ(config.m_vc2015x86.needed, 1);
  EXPECT_EQ(fake.traces.back(), L"vc 2015 redist x86 is not installed");
  EXPECT_TRUE(fake.logged.size() == 1 &&
              fake.logged[0].find(L"no application entry") != std::wstring::npos);
}

TEST_F(ServerConfigTest, MissingFileReadsAsEmptyAndIsLoggedOnce) {
  fake.fileExists = false;
  EXPECT_FALSE(ReadBoth());
  EXPECT_FALSE(config.m_installer.needed);
  EXPECT_FALSE(config.m_netFramework.needed);
  EXPECT_FALSE(config.m_vc2015x86.needed);
  ASSERT_EQ(fake.logged.size(), 2u);
  EXPECT_EQ(fake.logged[0], L"Server configuration C:\\Temp\\server.ini is missing");
}

TEST_F(ServerConfigTest, NeededFilesThatCanNeverBeVerifiedAreLogged) {
  fake.Set(L"Windows_Application", L"LatestVersion_10.0", L"App");
  fake.Set(L"App", L"OSSupport", L"all");
  fake.Set(L"App", L"MD5", L" 0123456789abcdef0123456789abcdef");
  fake.Set(L"NetFramework", L"Needed", L"1");
  ReadBoth();
  EXPECT_TRUE(config.m_application.needed);  // the decision itself is unchanged
  const std::vector<std::wstring> expected = {
      L"Server configuration: [App] has no URL",
      L"Server configuration: [App] MD5 \" 0123456789abcdef0123456789abcdef\" is not 32 "
      L"hexadecimal digits",
      L"Server configuration: [App] Bytes is missing or not a positive number",
      L"Server configuration: [NetFramework] has no URL",
      L"Server configuration: [NetFramework] MD5 \"\" is not 32 hexadecimal digits",
      L"Server configuration: [NetFramework] Bytes is missing or not a positive number"};
  EXPECT_EQ(fake.logged, expected);
}

TEST_F(ServerConfigTest, Sha256IsReadForEveryDownloadAndAMalformedOneIsLogged) {
  const std::wstring sha(64, L'A');
  AddApplication(L"10.0", L"App10", L"2.0.0.0", L"all");
  fake.Set(L"App10", L"SHA256", sha);
  fake.Set(L"Windows_Installer", L"Debug", L"Inst");
  AddPackage(L"Inst", L"9.0.0.0", L"all");
  fake.Set(L"Inst", L"SHA256", sha.substr(1) + L"g");  // 64 characters, one not a digit
  AddPackage(L"NetFramework", L"v4.5", L"");
  fake.Set(L"NetFramework", L"Needed", L"1");
  fake.Set(L"NetFramework", L"SHA256", sha.substr(1));  // 63 digits
  AddPackage(L"VC2015x86", L"", L"");  // none: the file is checked by MD5 and Bytes alone
  fake.Set(L"VC2015x86", L"Needed", L"1");
  ASSERT_TRUE(ReadBoth());
  EXPECT_EQ(config.m_application.sha256, sha);
  EXPECT_EQ(config.m_installer.sha256, sha.substr(1) + L"g");
  EXPECT_EQ(config.m_netFramework.sha256, sha.substr(1));
  EXPECT_EQ(config.m_vc2015x86.sha256, L"");
  EXPECT_TRUE(config.m_installer.needed && config.m_netFramework.needed);  // still fetched
  const std::vector<std::wstring> expected = {
      L"Server configuration: [Inst] SHA256 \"" + sha.substr(1) + L"g\" is not 64 hexadecimal digits",
      L"Server configuration: [NetFramework] SHA256 \"" + sha.substr(1) +
          L"\" is not 64 hexadecimal digits"};
  EXPECT_EQ(fake.logged, expected);
}

}  // namespace
