#include "system/probe_rules.h"

#include <gtest/gtest.h>

#include "base/path_util.h"

namespace {

TEST(ProbeRules, DotNetV4InAnyCaseChecksTheClientInstallValue) {
  for (const wchar_t* text : {L"v4", L"V4"}) {
    const DotNetProbeRule rule = ChooseDotNetRule(text);
    EXPECT_EQ(rule.keyPath, L"SOFTWARE\\Microsoft\\NET Framework Setup\\NDP\\v4\\Client");
    EXPECT_EQ(rule.valueName, L"Install");
    EXPECT_TRUE(rule.needsInstallPath);
  }
}

TEST(ProbeRules, EveryOtherDotNetTextChecksTheFullRelease) {
  for (const wchar_t* text : {L"", L"v4.5", L"4", L"v4 ", L"v3.5"}) {
    const DotNetProbeRule rule = ChooseDotNetRule(text);
    EXPECT_EQ(rule.keyPath, L"SOFTWARE\\Microsoft\\NET Framework Setup\\NDP\\v4\\Full") << text;
    EXPECT_EQ(rule.valueName, L"Release");
    EXPECT_FALSE(rule.needsInstallPath);
  }
}

TEST(ProbeRules, VcRuntimeKeyUsesWow6432NodeOnlyOn64BitWindows) {
  EXPECT_EQ(VcRuntimeKeyPath(L"14.0", L"x86", false),
            L"SOFTWARE\\Microsoft\\VisualStudio\\14.0\\VC\\Runtimes\\x86");
  EXPECT_EQ(VcRuntimeKeyPath(L"14.0", L"x86", true),
            L"SOFTWARE\\Wow6432Node\\Microsoft\\VisualStudio\\14.0\\VC\\Runtimes\\x86");
}

TEST(ProbeRules, ProductVersionTakesHighThenLowHalves) {
  EXPECT_EQ(FormatProductVersion(0x000A0000, 0x47BA0001, true), L"10.0");
  EXPECT_EQ(FormatProductVersion(0x00060001, 0x1DB15E86, false), L"6.1.7601.24198");
  EXPECT_EQ(FormatProductVersion(0xFFFFFFFF, 0, false), L"65535.65535.0.0");
}

TEST(UrlFileName, TextAfterTheLastSlash) {
  EXPECT_EQ(GetUrlFileName(L"http://127.0.0.1:8080/tools/7za.zip"), L"7za.zip");
  EXPECT_EQ(GetUrlFileName(L"http://host/dir/"), L"");
  EXPECT_EQ(GetUrlFileName(L"7za.zip"), L"");
  EXPECT_EQ(GetUrlFileName(L"/7za.zip"), L"");  // the only slash is the first character
  EXPECT_EQ(GetUrlFileName(L"a/b"), L"b");
  EXPECT_EQ(GetUrlFileName(L""), L"");
}

}  // namespace
