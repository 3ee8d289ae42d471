#include "system/probes.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "build_config.h"
#include "config/server_config.h"
#include "system/install_log.h"
#include "win/registry_scratch.h"
#include "win/system_test_support.h"
#include "win/win_test_support.h"

namespace {

constexpr wchar_t kFullKey[] = L"SOFTWARE\\Microsoft\\NET Framework Setup\\NDP\\v4\\Full";
constexpr wchar_t kClientKey[] = L"SOFTWARE\\Microsoft\\NET Framework Setup\\NDP\\v4\\Client";
constexpr wchar_t kVcKey[] = L"SOFTWARE\\Microsoft\\VisualStudio\\14.0\\VC\\Runtimes\\x86";
constexpr wchar_t kUninstallKey[] =
    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Lumetra";

using system_test::ScratchFolder;

#define SKIP_IF_PREEXISTING(key) \
  if ((key).preexisting()) GTEST_SKIP() << "the prefix already has this key"

TEST(DotNetProbe, ReleaseRuleThreshold) {
  RegistryScratchKey full(kFullKey);
  SKIP_IF_PREEXISTING(full);
  EXPECT_FALSE(IsDotNetInstalled(L""));  // no key at all
  ASSERT_TRUE(full.Create());
  EXPECT_FALSE(IsDotNetInstalled(L""));  // key without "Release"
  ASSERT_TRUE(full.SetDword(L"Release", 379892));
  EXPECT_FALSE(IsDotNetInstalled(L""));
  EXPECT_FALSE(IsDotNetInstalled(L"v4.5"));
  ASSERT_TRUE(full.SetDword(L"Release", 379893));
  EXPECT_TRUE(IsDotNetInstalled(L""));
  EXPECT_TRUE(IsDotNetInstalled(L"v4.5"));
  ASSERT_TRUE(full.SetDword(L"Release", 528040));
  EXPECT_TRUE(IsDotNetInstalled(L"anything"));
  EXPECT_FALSE(IsDotNetInstalled(L"v4"));  // "v4" asks the Client key, which is absent
}

TEST(DotNetProbe, V4RuleNeedsInstallOneAndAnExistingInstallPath) {
  RegistryScratchKey client(kClientKey);
  SKIP_IF_PREEXISTING(client);
  const std::wstring folder = ScratchFolder("lumetra_dotnet_probe");
  ASSERT_TRUE(client.SetDword(L"Install", 1));
  EXPECT_FALSE(IsDotNetInstalled(L"v4"));  // no InstallPath
  ASSERT_TRUE(client.SetText(L"InstallPath", folder));
  EXPECT_TRUE(IsDotNetInstalled(L"v4"));
  EXPECT_TRUE(IsDotNetInstalled(L"V4"));
  EXPECT_FALSE(IsDotNetInstalled(L"v4.5"));  // other texts use the Release rule
  ASSERT_TRUE(client.SetDword(L"Install", 0));
  EXPECT_FALSE(IsDotNetInstalled(L"v4"));
  ASSERT_TRUE(client.SetDword(L"Install", 1));
  std::filesystem::remove_all(std::filesystem::path(folder));
  EXPECT_FALSE(IsDotNetInstalled(L"v4"));  // the folder was deleted
  ASSERT_TRUE(client.SetText(L"InstallPath", L""));
  EXPECT_FALSE(IsDotNetInstalled(L"v4"));
}

TEST(VcRuntimeProbe, InstalledMustBeOneAndTheProbeLogsThePlatform) {
  RegistryScratchKey vc(kVcKey);
  SKIP_IF_PREEXISTING(vc);
  EXPECT_FALSE(IsWow64());  // the test prefix is 32-bit
  EXPECT_FALSE(IsVcRuntimeInstalled(L"14.0", L"x86"));
  ASSERT_TRUE(vc.SetDword(L"Installed", 0));
  EXPECT_FALSE(IsVcRuntimeInstalled(L"14.0", L"x86"));
  ASSERT_TRUE(vc.SetDword(L"Installed", 1));
  EXPECT_TRUE(IsVcRuntimeInstalled(L"14.0", L"x86"));
  EXPECT_FALSE(IsVcRuntimeInstalled(L"14.0", L"x64"));

  const std::string log = test_support::ReadFileBytes(GetLogFolder() + L"\\Install.log");
  const size_t last = log.rfind(" - ");
  ASSERT_NE(last, std::string::npos);
  EXPECT_EQ(log.substr(last), " - x86 platform\r\n");
}

TEST(VersionProbes, ProductVersionsFromVersionResources) {
  EXPECT_EQ(GetOwnVersion(), L"" LUMETRA_VERSION_TEXT);
  const std::wstring os = GetOsVersion();
  const std::wstring full = GetOsVersionFull();
  EXPECT_EQ(os, L"10.0");  // what Wine's kernel32 reports
  EXPECT_EQ(full.rfind(os + L".", 0), 0u) << full;
  EXPECT_EQ(std::count(full.begin(), full.end(), L'.'), 3);

  const std::wstring folder = ScratchFolder("lumetra_version_probe");
  const std::wstring plain = folder + L"\\plain.exe";
  ASSERT_TRUE(test_support::WriteFileBytes(plain, "MZ not really a program"));
  EXPECT_EQ(GetFileProductVersion(plain, false), L"");  // never "0.0.0.0"
  EXPECT_EQ(GetFileProductVersion(plain, true), L"");
  EXPECT_EQ(GetFileProductVersion(folder + L"\\absent.dll", false), L"");
  std::filesystem::remove_all(std::filesystem::path(folder));
}

class InstalledVersionTest : public ::testing::Test {
 protected:
  RegistryScratchKey entry_{kUninstallKey, KEY_WOW64_32KEY};
  CServerConfig config_;
};

TEST_F(InstalledVersionTest, VersionOnlyWhenTheProductFileExists) {
  SKIP_IF_PREEXISTING(entry_);
  const std::wstring folder = ScratchFolder("lumetra_installed_probe");
  ASSERT_TRUE(entry_.SetText(L"InstallLocation", folder));
  ASSERT_TRUE(entry_.SetText(L"DisplayVersion", L"1.2.0.0"));
  EXPECT_EQ(config_.GetInstalledVersion(), L"");  // no Lumetra.exe there
  EXPECT_EQ(config_.m_strInstallLocation, folder);

  ASSERT_TRUE(test_support::WriteFileBytes(folder + L"\\Lumetra.exe", "x"));
  EXPECT_EQ(config_.GetInstalledVersion(), L"1.2.0.0");
  std::filesystem::remove_all(std::filesystem::path(folder));
}

TEST_F(InstalledVersionTest, NoEntryGivesNothingAndLeavesAnEmptyKey) {
  SKIP_IF_PREEXISTING(entry_);
  config_.m_strInstallLocation = L"D:\\Earlier";
  EXPECT_EQ(config_.GetInstalledVersion(), L"");
  EXPECT_EQ(config_.m_strInstallLocation, L"D:\\Earlier");
  EXPECT_TRUE(entry_.Exists());
}

}  // namespace
