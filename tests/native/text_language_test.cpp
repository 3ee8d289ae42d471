#include "ui/text_language.h"

#include <gtest/gtest.h>

using Languages = std::vector<unsigned short>;

TEST(TextLanguage, RegionalLanguageTriesItselfThenItsNeutralLanguageThenEnglish) {
  EXPECT_EQ(TextLanguageCandidates(0x0404), (Languages{0x0404, 0x0004, 0x0009}));  // zh-TW
  EXPECT_EQ(TextLanguageCandidates(0x0804), (Languages{0x0804, 0x0004, 0x0009}));  // zh-CN
  EXPECT_EQ(TextLanguageCandidates(0x0C04), (Languages{0x0C04, 0x0004, 0x0009}));  // zh-HK
  EXPECT_EQ(TextLanguageCandidates(0x0411), (Languages{0x0411, 0x0011, 0x0009}));  // ja-JP
  EXPECT_EQ(TextLanguageCandidates(0x041D), (Languages{0x041D, 0x001D, 0x0009}));  // sv-SE
}

TEST(TextLanguage, EnglishAndNeutralLanguagesAreNotTriedTwice) {
  EXPECT_EQ(TextLanguageCandidates(0x0409), (Languages{0x0409, 0x0009}));
  EXPECT_EQ(TextLanguageCandidates(0x0809), (Languages{0x0809, 0x0009}));
  EXPECT_EQ(TextLanguageCandidates(0x0009), (Languages{0x0009}));
  EXPECT_EQ(TextLanguageCandidates(0x0007), (Languages{0x0007, 0x0009}));
  EXPECT_EQ(TextLanguageCandidates(0x0000), (Languages{0x0000, 0x0009}));
}
