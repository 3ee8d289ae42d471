// The configuration reader on real files through the Windows profile functions.
#include "config/server_config.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "build_config.h"
#include "win/registry_scratch.h"
#include "win/win_test_support.h"

namespace {

class ServerConfigFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    folder_ = std::wstring(temp) + L"lumetra_config_" + std::to_wstring(GetCurrentProcessId());
    std::filesystem::create_directories(std::filesystem::path(folder_));
  }
  void TearDown() override {
    std::error_code ignored;
    std::filesystem::remove_all(std::filesystem::path(folder_), ignored);
  }
  // Each case writes a file of its own name: the profile functions cache what they read.
  std::wstring Ini(const std::wstring& name, const std::string& text) {
    const std::wstring path = folder_ + L"\\" + name + L".ini";
    EXPECT_TRUE(test_support::WriteFileBytes(path, text));
    return path;
  }
  std::wstring folder_;
  // The installed product must not decide for these cases.
  RegistryScratchKey uninstall_{L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Lumetra",
                                KEY_WOW64_32KEY};
};

const char kFullFile[] =
    "[Windows_Application]\r\n"
    "LatestVersion_6.1=App61\r\n"
    "LatestVersion_10.0=App10\r\n"
    "[App61]\r\nURL=http://127.0.0.1/61.7z\r\nVersion=1.0.0.0\r\n"
    "MD5=0123456789abcdef0123456789abcdef\r\nBytes=100\r\nOSSupport=6.1\r\n"
    "[App10]\r\nURL=http://127.0.0.1/10.7z\r\nVersion=2.5.0.1\r\n"
    "MD5=FEDCBA9876543210FEDCBA9876543210\r\nBytes=2000000\r\nOSSupport=6.1,6.3,10.0\r\n"
    "[MiniOSVersion]\r\nVersion=6.1.7601.0\r\n"
    "[Windows_Installer]\r\n"
    "1.0.0.7=Old\r\n"
    "Debug=Current\r\n"
    "[Old]\r\nURL=http://127.0.0.1/old.exe\r\nVersion=1.0.0.8\r\nMD5=x\r\nBytes=5\r\nOSSupport=all\r\n"
    "[Current]\r\nURL=http://127.0.0.1/LumetraSetup.exe\r\nVersion=9.0.0.0\r\n"
    "MD5=00112233445566778899aabbccddeeff\r\nBytes=4096\r\nOSSupport=ALL\r\n"
    "[NetFramework]\r\nVersion=v4.5\r\nURL=http://127.0.0.1/ndp.exe\r\n"
    "MD5=0123456789abcdef0123456789abcdef\r\nBytes=700\r\nNeeded=1\r\n"
    "[VC2015x86]\r\nURL=http://127.0.0.1/vc.exe\r\nMD5=0123456789abcdef0123456789abcdef\r\n"
    "Bytes=800\r\nNeeded=1\r\n";

TEST_F(ServerConfigFileTest, ReadsEveryEntryOfAFullFile) {
  if (uninstall_.preexisting()) GTEST_SKIP() << "the prefix has a product entry";
  CServerConfig config;
  const std::wstring path = Ini(L"full", kFullFile);
  ASSERT_TRUE(config.ReadApplicationSection(path));
  ASSERT_TRUE(config.ReadInstallerSection(path));
  EXPECT_EQ(config.m_strIniPath, path);
  EXPECT_EQ(config.m_strOsKey, L"10.0");
  EXPECT_EQ(config.m_application.url, L"http://127.0.0.1/10.7z");
  EXPECT_EQ(config.m_application.md5, L"FEDCBA9876543210FEDCBA9876543210");
  EXPECT_EQ(config.m_application.version, L"2.5.0.1");
  EXPECT_EQ(config.m_application.size, 2000000);
  EXPECT_TRUE(config.m_application.needed);

  // The test program carries the installer's version block (not 1.0.0.7): "Debug".
  EXPECT_EQ(config.m_installer.version, L"9.0.0.0");
  EXPECT_EQ(config.m_installer.url, L"http://127.0.0.1/LumetraSetup.exe");
  EXPECT_EQ(config.m_installer.size, 4096);
  EXPECT_TRUE(config.m_installer.needed);

  // A fresh prefix has neither prerequisite.
  EXPECT_EQ(config.m_netFramework.version, L"v4.5");
  EXPECT_EQ(config.m_netFramework.url, L"http://127.0.0.1/ndp.exe");
  EXPECT_EQ(config.m_netFramework.size, 700);
  EXPECT_TRUE(config.m_netFramework.needed);
  EXPECT_EQ(config.m_vc2015x86.size, 800);
  EXPECT_TRUE(config.m_vc2015x86.needed);
  EXPECT_TRUE(config.m_problems.empty());
}

TEST_F(ServerConfigFileTest, OwnVersionEntryIsReadAndNeverReplaced) {
  CServerConfig config;
  const std::wstring path = Ini(L"own", std::string("[Windows_Installer]\r\n") +
                                            LUMETRA_VERSION_TEXT "=Pinned\r\nDebug=Current\r\n"
                                            "[Pinned]\r\nURL=http://127.0.0.1/p.exe\r\n"
                                            "Version=9.9.9.9\r\nBytes=12\r\nOSSupport=all\r\n"
                                            "[Current]\r\nVersion=10.0.0.0\r\n");
  ASSERT_TRUE(config.ReadInstallerSection(path));
  EXPECT_EQ(config.m_installer.url, L"http://127.0.0.1/p.exe");
  EXPECT_EQ(config.m_installer.version, L"9.9.9.9");
  EXPECT_EQ(config.m_installer.size, 12);
  EXPECT_FALSE(config.m_installer.needed);
}

TEST_F(ServerConfigFileTest, NamesIgnoreCaseAndBlanksAroundValuesAreStripped) {
  CServerConfig config;
  const std::wstring path = Ini(L"case", "[windows_application]\r\n"
                                         "  latestversion_10.0  =  App  \r\n"
                                         "[APP]\r\nurl =   http://127.0.0.1/a.7z   \r\n"
                                         "bytes= 42\r\nOSSUPPORT=All\r\n");
  ASSERT_TRUE(config.ReadApplicationSection(path));
  EXPECT_EQ(config.m_application.url, L"http://127.0.0.1/a.7z");
  EXPECT_EQ(config.m_application.size, 42);
  EXPECT_TRUE(config.m_application.needed);
}

TEST_F(ServerConfigFileTest, LongValuesAreCutAndOddNumbersReadAsProfileNumbers) {
  const std::string longUrl = "http://127.0.0.1/" + std::string(300, 'u');
  CServerConfig config;
  const std::wstring path = Ini(L"long", "[Windows_Application]\r\nLatestVersion_10.0=App\r\n"
                                         "[App]\r\nURL=" + longUrl + "\r\nBytes=-5\r\n"
                                         "[NetFramework]\r\nBytes=12abc\r\nNeeded=1\r\n"
                                         "[VC2015x86]\r\nBytes=x\r\nNeeded=yes\r\n");
  ASSERT_TRUE(config.ReadApplicationSection(path));
  ASSERT_TRUE(config.ReadInstallerSection(path));
  EXPECT_EQ(config.m_application.url.size(), 259u);
  EXPECT_EQ(config.m_application.url, std::wstring(longUrl.begin(), longUrl.begin() + 259));
  EXPECT_EQ(config.m_application.size, 0);
  EXPECT_EQ(config.m_netFramework.size, 12);
  EXPECT_EQ(config.m_vc2015x86.size, 0);
  EXPECT_FALSE(config.m_vc2015x86.needed);  // "yes" is no number
}

TEST_F(ServerConfigFileTest, OsWithoutEntryUsesTheTenEntryAndItsSupportList) {
  const std::wstring path = Ini(L"fallback", kFullFile);
  CServerConfig config;
  config.m_strOsKey = L"6.3";
  ASSERT_TRUE(config.ReadApplicationSection(path));
  EXPECT_EQ(config.m_application.version, L"2.5.0.1");
  EXPECT_TRUE(config.m_application.needed);  // "6.1,6.3,10.0" holds 6.3

  CServerConfig older;
  older.m_strOsKey = L"6.2";
  ASSERT_TRUE(older.ReadApplicationSection(path));
  EXPECT_FALSE(older.m_application.needed);
}

TEST_F(ServerConfigFileTest, MissingOrEntryLessFileIsAnUnsupportedOsWithAReason) {
  CServerConfig missing;
  EXPECT_FALSE(missing.ReadApplicationSection(folder_ + L"\\absent.ini"));
  EXPECT_TRUE(missing.ReadInstallerSection(folder_ + L"\\absent.ini"));
  EXPECT_FALSE(missing.m_installer.needed);
  EXPECT_FALSE(missing.m_netFramework.needed);
  EXPECT_FALSE(missing.m_vc2015x86.needed);
  ASSERT_EQ(missing.m_problems.size(), 2u);
  EXPECT_NE(missing.m_problems[0].find(L"is missing"), std::wstring::npos);

  CServerConfig garbage;
  EXPECT_FALSE(garbage.ReadApplicationSection(Ini(L"garbage", "\x01\x02 not an ini file\r\n=\r\n[")));
  ASSERT_EQ(garbage.m_problems.size(), 1u);
  EXPECT_EQ(garbage.m_problems[0], L"Server configuration has no application entry for Windows 10.0");
}

}  // namespace
