// The kit on a release: make, lint, explain, sign; every lint finding on a crafted file; the
// [Release] section the kit writes as installers judge it; the installer version read from
// inside a program file.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <unistd.h>

#include "download/md5_core.h"
#include "explain.h"
#include "lint.h"
#include "make_config.h"
#include "pe_version.h"
#include "release_files.h"
#include "config/release_freshness.h"
#include "signing.h"
#include "synthetic_pe.h"

namespace fs = std::filesystem;

namespace {

void WriteFile(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

class KitTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("lumetra_kit_" + std::to_string(::getpid()));
    fs::create_directories(dir_);
    WriteFile(dir_ / "Lumetra_2.0.0.5.7z", std::string(5000, 'p'));
    WriteFile(dir_ / "ndp48-web.exe", std::string(700, 'n'));
    WriteFile(dir_ / "vc_redist.x86.exe", std::string(800, 'v'));
    WriteFile(dir_ / "LumetraSetup.exe", SyntheticPe(0x00010019, 0x0000001F));  // 1.25.0.31
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string Make() {
    std::string error;
    const std::string ini = MakeConfig(
        "[release]\nbase_url = https://downloads.example/lumetra\n"
        "[package Application]\nfile = Lumetra_2.0.0.5.7z\nversion = 2.0.0.5\nwindows = all\n"
        "entry_for = 6.1 10.0\n[installer]\nfile = LumetraSetup.exe\n"
        "[NetFramework]\nfile = ndp48-web.exe\nversion = v4.6\n[VC2015x86]\nfile = vc_redist.x86.exe\n",
        dir_, error);
    EXPECT_EQ(error, "");
    return ini;
  }
  // The findings of a text, as "line:severity:first words" for readable expectations.
  std::vector<Finding> Lint(const std::string& text, bool withFiles = false) {
    FolderFiles files(dir_);
    return LintConfig(IniText::Parse(text), withFiles ? &files : nullptr);
  }
  static bool Has(const std::vector<Finding>& findings, int line, Severity severity,
                  const std::string& words) {
    return std::any_of(findings.begin(), findings.end(), [&](const Finding& f) {
      return f.line == line && f.severity == severity && f.text.find(words) != std::string::npos;
    });
  }
  static std::string Replace(std::string text, const std::string& from, const std::string& to) {
    const size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return at == std::string::npos ? text : text.replace(at, from.size(), to);
  }
  // The tool as a publisher runs it: its exit code.
  static int Run(const std::string& arguments) {
    const int status = std::system((std::string(LUMETRA_RELEASE_TOOL_PATH) + " " + arguments +
                                    " >/dev/null 2>&1").c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  // The UTC clock moved by whole days, formatted by strftime ("%Y-%m-%d", "%Y%m%d%H%M%S").
  static std::string Utc(const char* format, int days = 0) {
    const std::time_t t = std::time(nullptr) + days * 86400;
    std::tm parts{};
    gmtime_r(&t, &parts);
    char text[32];
    return std::string(text, std::strftime(text, sizeof text, format, &parts));
  }
  static CalendarDate Day(int days) { return *ParseExpiry(WidenUtf8(Utc("%Y-%m-%d", days))); }
  static Freshness JudgedOn(const std::string& ini, int days) {
    const IniText parsed = IniText::Parse(ini);
    return JudgeFreshness(parsed.ReadString(kReleaseSection, kSerialKey),
                          parsed.ReadString(kReleaseSection, kExpiresKey), std::nullopt, Day(days))
        .freshness;
  }
  fs::path dir_;
};

TEST_F(KitTest, MadeConfigLintsCleanAndExplainsAsTheInstallerDecides) {
  const std::string ini = Make();
  EXPECT_NE(ini.find("[Installer]\r\nURL=https://downloads.example/lumetra/LumetraSetup.exe\r\n"
                     "Version=1.25.0.31\r\n"), std::string::npos) << ini;
  EXPECT_NE(ini.find("MD5=" + Md5OfBytes(std::string(700, 'n')) + "\r\nSHA256=" +
                     Sha256Hex(std::string(700, 'n')) + "\r\nBytes=700\r\nNeeded=1"),
            std::string::npos);
  EXPECT_EQ(Sha256Hex("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  const auto findings = Lint(ini, true);
  for (const Finding& f : findings) ADD_FAILURE() << f.line << ": " << f.text;
  EXPECT_EQ(LintExitCode(findings), 0);

  const IniText parsed = IniText::Parse(ini);
  MachineFacts older;
  older.osVersion = L"6.3";
  older.ownVersion = L"1.25.0.30";
  EXPECT_NE(ExplainConfig(parsed, older).find("Decision: self-update to installer 1.25.0.31"),
            std::string::npos);
  // The current installer, .NET present, VC missing, an older product: 800 of 5800 bytes.
  MachineFacts current = older;
  current.ownVersion = L"1.25.0.31";
  current.dotNet = true;
  current.installedVersion = L"1.2.0.0";
  const std::string told = ExplainConfig(parsed, current);
  EXPECT_NE(told.find("Progress bar: .NET 0..0%, VC 0..13%, package 13..100%"), std::string::npos) << told;
  EXPECT_NE(told.find("as vc_redist.x86.exe"), std::string::npos);
  EXPECT_NE(told.find("  .net framework download not needed\n  vc2015 x86 download needed\n"
                      "  app download needed\n"), std::string::npos) << told;
  current.installedVersion = L"2.0.0.5";  // current product: nothing but the runtime
  EXPECT_NE(ExplainConfig(parsed, current).find("VC 0..100%, package 100..100%"), std::string::npos);
}

TEST_F(KitTest, MakeRefusesAManifestWithoutTheFallbackEntryOrWithAWrongInstallerVersion) {
  std::string error;
  EXPECT_EQ(MakeConfig("[release]\nbase_url=https://x.example/\n[package A]\nfile=Lumetra_2.0.0.5.7z\n"
                       "version=2.0.0.5\nentry_for=6.1\n", dir_, error), "");
  EXPECT_NE(error.find("10.0"), std::string::npos);
  EXPECT_EQ(MakeConfig("[release]\nbase_url=https://x.example/\n[package A]\nfile=Lumetra_2.0.0.5.7z\n"
                       "version=2.0.0.5\nentry_for=10.0\n[installer]\nfile=LumetraSetup.exe\n"
                       "version=1.25.0.30\n", dir_, error), "");
  EXPECT_NE(error.find("1.25.0.31"), std::string::npos) << error;
}

TEST_F(KitTest, EachProblemIsFoundOnItsLine) {
  const std::string good = Make();
  // Lines of the made file: 1 [Windows_Application], 6 [Windows_Installer], 8 [Application]
  // (URL 9, Version 10, MD5 11, SHA256 12, Bytes 13, OSSupport 14), 15 [Installer],
  // 22 [NetFramework], 29 [VC2015x86].
  auto f = Lint(Replace(good, "LatestVersion_10.0=Application", "LatestVersion_6.3=Application"));
  EXPECT_TRUE(Has(f, 1, Severity::kError, "no LatestVersion_10.0"));
  EXPECT_TRUE(Has(f, 1, Severity::kError, "Windows 10.0 finds no application entry"));
  EXPECT_FALSE(Has(f, 1, Severity::kError, "Windows 6.3 finds"));

  f = Lint(Replace(good, "MD5=" + Md5OfBytes(std::string(5000, 'p')), "MD5=abc"));
  EXPECT_TRUE(Has(f, 11, Severity::kError, "MD5 of [Application] is not 32"));
  f = Lint(Replace(good, "Bytes=5000", "Bytes=4999"), true);
  EXPECT_TRUE(Has(f, 13, Severity::kError, "Bytes of [Application] is 4999 but the file has 5000"));
  f = Lint(Replace(good, "Bytes=800", "Bytes=-800"));
  EXPECT_TRUE(Has(f, 33, Severity::kError, "Bytes of [VC2015x86] is not a plain positive number"));
  WriteFile(dir_ / "ndp48-web.exe", std::string(700, 'N'));
  f = Lint(good, true);
  EXPECT_TRUE(Has(f, 25, Severity::kError, "MD5 of [NetFramework] is "));
  EXPECT_EQ(LintExitCode(f), 2);

  const std::string packageSha = "SHA256=" + Sha256Hex(std::string(5000, 'p'));
  f = Lint(Replace(good, packageSha, "SHA256=" + std::string(64, '0')), true);
  EXPECT_TRUE(Has(f, 12, Severity::kError, "SHA256 of [Application] is 0000"));
  f = Lint(Replace(good, packageSha, "SHA256=" + std::string(63, '0')));
  EXPECT_TRUE(Has(f, 12, Severity::kError, "SHA256 of [Application] is not 64 hexadecimal digits"));
  f = Lint(Replace(good, "SHA256=" + Sha256Hex(std::string(800, 'v')) + "\r\n", ""));
  EXPECT_TRUE(Has(f, 29, Severity::kWarning, "[VC2015x86] has no SHA256"));
  EXPECT_EQ(LintExitCode(f), 1);

  f = Lint(Replace(good, "lumetra/Lumetra_2.0.0.5.7z", "lumetra/CON.7z"));
  EXPECT_TRUE(Has(f, 9, Severity::kError, "refuses the file name"));
  f = Lint(Replace(good, "lumetra/Lumetra_2.0.0.5.7z", "lumetra/package"));
  EXPECT_TRUE(Has(f, 9, Severity::kError, "\"package\" at the end of the URL of [Application] has no dot"));
  f = Lint(Replace(good, "https://downloads.example/lumetra/vc_", "http://downloads.example/lumetra/vc_"));
  EXPECT_TRUE(Has(f, 30, Severity::kWarning, "plain http"));
  EXPECT_EQ(LintExitCode(f), 1);

  // An installer that announces itself newer than it is.
  f = Lint(Replace(good, "Version=1.25.0.31", "Version=1.25.0.32"), true);
  EXPECT_TRUE(Has(f, 17, Severity::kError, "announces installer version 1.25.0.32 but the file is version 1.25.0.31"));
  f = Lint(Replace(good, "Version=2.0.0.5", "Version=v2.0"));
  EXPECT_TRUE(Has(f, 10, Severity::kError, "compares it only as a text, for equality"));
  f = Lint(Replace(good, "Version=2.0.0.5", "Version=2.0"));
  EXPECT_TRUE(Has(f, 10, Severity::kError, "would read it as 2.0.0.0"));
  f = Lint(Replace(good, "OSSupport=all\r\n[Installer]", "OSSupport=Windows 7\r\n[Installer]"));
  EXPECT_TRUE(Has(f, 14, Severity::kError, "OSSupport \"Windows 7\" of [Application] matches no"));
  f = Lint(Replace(good, "OSSupport=all\r\n[Installer]", "OSSupport=6.1\r\n[Installer]"));
  EXPECT_TRUE(Has(f, 14, Severity::kWarning, "Windows 10.0 uses [Application] but its OSSupport"));

  // Missing pieces and what an editor shows but the installer never reads.
  f = Lint(Replace(good, "[Windows_Installer]\r\nDebug=Installer\r\n", ""));
  EXPECT_TRUE(Has(f, 0, Severity::kError, "[Windows_Installer] is missing"));
  f = Lint(Replace(good, "Debug=Installer", "Debug=Setup"));
  EXPECT_TRUE(Has(f, 7, Severity::kError, "names section [Setup], which does not exist"));
  f = Lint(Replace(good, "Needed=1\r\n[VC2015x86]", "Needed=0\r\n[VC2015x86]"));
  EXPECT_TRUE(Has(f, 22, Severity::kWarning, "has no Needed=1"));
  f = Lint(good + "[Application]\r\nVersion=3.0.0.0\r\nURL=x " + std::string(260, 'x') + "\r\n");
  EXPECT_TRUE(Has(f, 35, Severity::kError, "section [Application] appears again"));
  f = Lint(Replace(good, "Bytes=5000\r\n", "Bytes=5000\r\nbytes=6000\r\nstray line\r\n"));
  EXPECT_TRUE(Has(f, 14, Severity::kError, "key bytes appears again in [Application]"));
  EXPECT_TRUE(Has(f, 15, Severity::kWarning, "neither [section] nor key=value"));
  f = Lint(Replace(good, "OSSupport=all\r\n[Installer]", "OSSupport=" + std::string(260, 'a') + "\r\n[Installer]"));
  EXPECT_TRUE(Has(f, 14, Severity::kError, "longer than 259 characters"));
}

// The publisher's round: a key pair, a made and signed release that lints clean with the
// public key and that OpenSSL itself verifies; one changed byte is then an error.
TEST_F(KitTest, KeygenMakeSignLintIsCleanAndAChangedByteIsAnError) {
  const char* tool = LUMETRA_RELEASE_TOOL_PATH;
  const auto run = [&](const std::string& arguments) {
    const int status = std::system((std::string(tool) + " " + arguments + " >/dev/null 2>&1").c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  };
  const fs::path keys = dir_ / "keys", ini = dir_ / "update_win.ini";
  ASSERT_EQ(run("keygen " + keys.string()), 0);
  EXPECT_EQ(fs::status(keys / "release-key.pem").permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_NE(run("keygen " + keys.string()), 0) << "an existing key was replaced";

  WriteFile(ini, Make());
  const std::string pubkey = " --pubkey " + (keys / "release-key.pub.pem").string();
  EXPECT_EQ(run("lint " + ini.string() + " --files " + dir_.string()), 1) << "unsigned: a warning";
  ASSERT_EQ(run("sign " + ini.string() + " --key " + (keys / "release-key.pem").string()), 0);
  EXPECT_EQ(run("lint " + ini.string() + " --files " + dir_.string() + pubkey), 0);
  EXPECT_EQ(std::system(("openssl dgst -sha256 -verify " + (keys / "release-key.pub.pem").string() +
                         " -signature " + ini.string() + ".sig " + ini.string() + " >/dev/null")
                            .c_str()),
            0) << "OpenSSL does not accept the signature";

  std::string changed = *ReadWholeFile(ini);
  changed[changed.find("Version=2") + 8] = '3';
  WriteFile(ini, changed);
  EXPECT_EQ(run("lint " + ini.string() + pubkey), 2);
  EXPECT_EQ(run("lint " + ini.string()), 0) << "without a key only the presence is checked";
}

// make stamps the end of the file with the clock and 90 days by default; installers judge it
// fresh until that last day and not the day after.
TEST_F(KitTest, MakeWritesAReleaseSectionInstallersJudgeFreshUntilItsLastDay) {
  WriteFile(dir_ / "release.manifest",
            "[release]\nbase_url = https://downloads.example/lumetra\n[package Application]\n"
            "file = Lumetra_2.0.0.5.7z\nversion = 2.0.0.5\nentry_for = 10.0\n");
  const fs::path manifest = dir_ / "release.manifest", ini = dir_ / "update_win.ini";
  const std::string before = Utc("%Y%m%d%H%M%S");
  ASSERT_EQ(Run("make " + manifest.string()), 0);
  const std::string after = Utc("%Y%m%d%H%M%S");
  std::string made = *ReadWholeFile(ini);
  const size_t at = made.find("[Release]\r\nSerial=");
  ASSERT_NE(at, std::string::npos) << made;
  const std::string serial = made.substr(at + 18, 14);
  EXPECT_TRUE(serial >= before && serial <= after) << serial << " is not the clock's";
  EXPECT_EQ(made.substr(at + 32), "\r\nExpires=" + Utc("%Y-%m-%d", 90) + "\r\n");
  EXPECT_EQ(JudgedOn(made, 0), Freshness::kFresh);
  EXPECT_EQ(JudgedOn(made, 90), Freshness::kFresh);
  EXPECT_EQ(JudgedOn(made, 91), Freshness::kExpired);

  // Options in any order after the manifest.
  ASSERT_EQ(Run("make " + manifest.string() + " --valid-days 1 -o " + ini.string() + " --serial 0042"), 0);
  made = *ReadWholeFile(ini);
  EXPECT_TRUE(made.ends_with("\r\n[Release]\r\nSerial=42\r\nExpires=" + Utc("%Y-%m-%d", 1) + "\r\n")) << made;
  EXPECT_EQ(JudgedOn(made, 2), Freshness::kExpired);
  EXPECT_EQ(Run("make " + manifest.string() + " --valid-days 0"), 64);
  EXPECT_EQ(Run("make " + manifest.string() + " --serial 12345678901234567890"), 64);
}

// sign rewrites only the values of the section the installer reads, never to a lower
// serial, and signs the bytes it wrote; --keep-release signs the file untouched.
TEST_F(KitTest, SignRefreshesTheReleaseValuesInPlaceNeverLowersTheSerialAndSignsTheNewBytes) {
  const fs::path keys = dir_ / "keys", ini = dir_ / "update_win.ini";
  const fs::path pub = keys / "release-key.pub.pem";
  const std::string key = " --key " + (keys / "release-key.pem").string();
  ASSERT_EQ(Run("keygen " + keys.string()), 0);
  // Written by hand: a serial ahead of the clock, quoted, an old last day, a comment.
  const std::string byHand = "; by hand\r\n[release]\r\nSerial = \"99991231235959\"  \r\n; kept\n"
                             "Expires=2020-01-01\r\n" + Make();
  WriteFile(ini, byHand);
  ASSERT_EQ(Run("sign " + ini.string() + key), 0);
  const std::string refreshed = *ReadWholeFile(ini);
  EXPECT_EQ(refreshed, Replace(Replace(byHand, "\"99991231235959\"", "99991231235960"), "2020-01-01",
                               Utc("%Y-%m-%d", 90)));
  EXPECT_EQ(VerifyBytes(refreshed, *ReadWholeFile(ini.string() + ".sig"), pub), SignatureStatus::kValid);
  EXPECT_EQ(Run("lint " + ini.string() + " --pubkey " + pub.string()), 0);

  EXPECT_EQ(Run("sign " + ini.string() + key + " --serial 99991231235959"), 2) << "a lower serial";
  EXPECT_EQ(*ReadWholeFile(ini), refreshed);
  ASSERT_EQ(Run("sign " + ini.string() + " --valid-days 3" + key + " --serial 99991231235961"), 0);
  EXPECT_EQ(*ReadWholeFile(ini), Replace(Replace(refreshed, "99991231235960", "99991231235961"),
                                         Utc("%Y-%m-%d", 90), Utc("%Y-%m-%d", 3)));

  const std::string expired = Replace(refreshed, "Expires=" + Utc("%Y-%m-%d", 90), "Expires=2020-01-01");
  WriteFile(ini, expired);
  ASSERT_EQ(Run("sign " + ini.string() + key + " --keep-release"), 0);
  EXPECT_EQ(*ReadWholeFile(ini), expired);
  EXPECT_EQ(VerifyBytes(expired, *ReadWholeFile(ini.string() + ".sig"), pub), SignatureStatus::kValid);
  EXPECT_EQ(Run("lint " + ini.string() + " --pubkey " + pub.string()), 2) << "signed but past";
  EXPECT_EQ(Run("sign " + ini.string() + key + " --keep-release --serial 1"), 64);
}

TEST_F(KitTest, ReleaseFindingsAndExplanationFollowTheInstallersJudgement) {
  const CalendarDate today{2026, 6, 1};
  const std::string good = Make();  // 34 lines: [Release] is line 35 when appended
  auto f = LintRelease(IniText::Parse(good), true, today);
  EXPECT_TRUE(Has(f, 0, Severity::kError, "section [Release] (Serial, Expires) is missing"));
  f = LintRelease(IniText::Parse(good), false, today);
  EXPECT_TRUE(Has(f, 0, Severity::kWarning, "section [Release] (Serial, Expires) is missing"));
  const auto lint = [&](const std::string& serial, const std::string& expires, bool keyed = false) {
    return LintRelease(IniText::Parse(good + "[Release]\r\n" + serial + expires), keyed, today);
  };
  f = lint("Serial=1\r\n", "", true);
  EXPECT_TRUE(Has(f, 35, Severity::kError, "[Release] has no Expires"));
  EXPECT_EQ(f.size(), 1u);
  f = lint("Serial=12a\r\n", "Expires=2026-02-29\r\n", false);
  EXPECT_TRUE(Has(f, 36, Severity::kError, "Serial \"12a\" of [Release] is not 1 to 19 decimal digits"));
  EXPECT_TRUE(Has(f, 37, Severity::kError, "Expires \"2026-02-29\" of [Release] is not a day"));
  f = lint("Serial=1\r\n", "Expires=2026-05-31\r\n");
  EXPECT_TRUE(Has(f, 37, Severity::kError, "Expires 2026-05-31, is past: from 2026-06-01"));
  EXPECT_TRUE(Has(lint("Serial=1\r\n", "Expires=2026-06-01\r\n"), 37, Severity::kWarning, "within 14 days"));
  EXPECT_TRUE(Has(lint("Serial=1\r\n", "Expires=2026-06-15\r\n"), 37, Severity::kWarning,
                  "within 14 days: from 2026-06-16"));
  EXPECT_TRUE(lint("Serial=1\r\n", "Expires=2026-06-16\r\n").empty());

  MachineFacts facts;
  facts.today = today;
  const auto explained = [&](const std::string& expires) {
    return ExplainConfig(IniText::Parse(good + "[Release]\r\nSerial=20260101000000\r\n" + expires), facts);
  };
  EXPECT_NE(explained("Expires=2026-06-01\r\n").find("Release: serial 20260101000000, last day 2026-06-01 ("),
            std::string::npos);
  EXPECT_NE(explained("Expires=2026-05-31\r\n").find("last day 2026-05-31, expired"), std::string::npos);
  EXPECT_NE(explained("").find("Release: no Serial or no Expires"), std::string::npos);
}

TEST(PeVersionTest, ReadsTheProductVersionAndRefusesWhatIsNoVersionedProgram) {
  EXPECT_EQ(ReadPeProductVersion(SyntheticPe(0x00020003, 0x00040005)), L"2.3.4.5");
  std::string broken = SyntheticPe(0x00020003, 0x00040005);
  PutU32(broken, 0x200 + 0x58 + 40, 0);  // no fixed-information signature
  EXPECT_EQ(ReadPeProductVersion(broken), std::nullopt);
  EXPECT_EQ(ReadPeProductVersion(SyntheticPe(1, 1).substr(0, 0x260)), std::nullopt);  // cut short
  EXPECT_EQ(ReadPeProductVersion("MZ not a program"), std::nullopt);

  // The 32-bit build, or the 64-bit one where only that is built; a test run without
  // either fails here rather than passing unseen.
  const char* source = std::getenv("LUMETRA_SOURCE_DIR");
  fs::path real;
  for (const char* build : {"build/win/LumetraSetup.exe", "build/win64/LumetraSetup.exe"})
    if (real.empty() && fs::exists(fs::path(source ? source : ".") / build))
      real = fs::path(source ? source : ".") / build;
  ASSERT_FALSE(real.empty()) << "no Windows build of LumetraSetup.exe (build/win or build/win64)";
  const auto bytes = ReadWholeFile(real);
  ASSERT_TRUE(bytes);
  EXPECT_EQ(ReadPeProductVersion(*bytes), L"1.25.0.30");
}

}  // namespace
