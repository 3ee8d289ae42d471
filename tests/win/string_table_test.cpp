// Reads the string table of every language from the resources that the binary carries,
// so that a missing id, a lost placeholder or a stray language shows up here.
#include <windows.h>

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "resource_ids.h"
#include "ui/placeholders.h"
#include "ui/text_markers.h"
#include "ui/texts.h"

namespace {

constexpr unsigned kFirstId = IDS_ABOUTBOX;
constexpr unsigned kLastId = IDS_UNATTENDED_HELP;
constexpr LANGID kEnglish = MAKELANGID(LANG_ENGLISH, SUBLANG_NEUTRAL);

// What each language must carry word for word: caption, font and the choice buttons.
struct FixedTexts {
  LANGID language;
  const wchar_t* caption;
  const wchar_t* font;
  const wchar_t* continueWord;
  const wchar_t* cancelWord;
  const wchar_t* resumeWord;
};

const FixedTexts kLanguages[] = {
    {0x0004, L"[ProductName] 安装程序", L"Microsoft YaHei", L"继续", L"取消", L"继续"},
    {0x0007, L"[ProductName] Installationsprogramm", L"Roboto", L"Weiter", L"Abbrechen", L"Fortsetzen"},
    {0x0009, L"[ProductName] Installer", L"Roboto", L"Continue", L"Cancel", L"Resume"},
    {0x000A, L"Instalador de [ProductName]", L"Roboto", L"Continuar", L"Cancelar", L"Reanudar"},
    {0x000C, L"Programme d\u2019installation du [ProductName]", L"Roboto", L"Continuer", L"Annuler",
     L"Reprendre"},
    {0x0010, L"Installer [ProductName]", L"Roboto", L"Continua", L"Annulla", L"Riprendi"},
    {0x0011, L"[ProductName] インストーラ", L"Meiryo", L"続行", L"キャンセル", L"再開"},
    {0x0012, L"[ProductName] 설치 프로그램", L"Malgun Gothic", L"계속", L"취소", L"다시 시작"},
    {0x0013, L"[ProductName] Installatieprogramma", L"Roboto", L"Doorgaan", L"Annuleren", L"Hervatten"},
    {0x0016, L"Instalador do [ProductName]", L"Roboto", L"Continuar", L"Cancelar", L"Continuar"},
    {0x0019, L"Программа установки [ProductName]", L"Roboto", L"Продолжить", L"Отменить",
     L"Продолжить"},
    {0x0404, L"[ProductName] 安裝程式", L"Microsoft JhengHei", L"繼續", L"取消", L"繼續"},
};

std::map<unsigned, std::wstring> ReadTable(LANGID language) {
  std::map<unsigned, std::wstring> table;
  for (unsigned id = kFirstId; id <= kLastId; ++id) {
    const std::wstring text = LoadTextInLanguage(id, language);
    if (!text.empty()) table[id] = text;
  }
  return table;
}

BOOL CALLBACK CollectLanguage(HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR found) {
  reinterpret_cast<std::set<LANGID>*>(found)->insert(language);
  return TRUE;
}

// The licence sentence cut the way the licence line cuts it: a placeholder "{n}" is a run
// of its own, the text between placeholders is a run.
std::vector<std::wstring> LicenceRuns(const std::wstring& sentence) {
  std::vector<std::wstring> runs;
  for (size_t pos = 0; pos < sentence.size();) {
    const size_t next = sentence[pos] == L'{' ? pos + 3 : sentence.find(L'{', pos);
    const size_t end = next == std::wstring::npos ? sentence.size() : next;
    runs.push_back(sentence.substr(pos, end - pos));
    pos = end;
  }
  return runs;
}

// Words as the licence line cuts them: each word runs up to and including a blank.
size_t WordCount(const std::wstring& text) {
  size_t words = 0;
  for (size_t pos = 0; pos < text.size(); ++words) {
    const size_t blank = text.find(L' ', pos);
    pos = blank == std::wstring::npos ? text.size() : blank + 1;
  }
  return words;
}

}  // namespace

TEST(StringTable, EveryBlockCarriesExactlyTheTwelveLanguages) {
  std::set<LANGID> expected;
  for (const FixedTexts& language : kLanguages) expected.insert(language.language);
  for (unsigned block = kFirstId / 16 + 1; block <= kLastId / 16 + 1; ++block) {
    std::set<LANGID> found;
    EnumResourceLanguagesW(GetModuleHandleW(nullptr), RT_STRING, MAKEINTRESOURCEW(block),
                           CollectLanguage, reinterpret_cast<LONG_PTR>(&found));
    EXPECT_EQ(found, expected) << "block " << block;
  }
}

TEST(StringTable, EveryLanguageHasAllThirtyTwoTexts) {
  for (const FixedTexts& language : kLanguages) {
    const auto table = ReadTable(language.language);
    EXPECT_EQ(table.size(), kLastId - kFirstId + 1) << "language " << language.language;
  }
}

TEST(StringTable, CaptionFontAndChoiceWordsAreExactlyAsGiven) {
  for (const FixedTexts& language : kLanguages) {
    auto table = ReadTable(language.language);
    SCOPED_TRACE(testing::Message() << "language " << language.language);
    EXPECT_EQ(table[IDS_CAPTION], language.caption);
    EXPECT_EQ(table[IDS_UI_FONT], language.font);
    EXPECT_EQ(table[IDS_CONTINUE], language.continueWord);
    EXPECT_EQ(table[IDS_CANCEL], language.cancelWord);
    EXPECT_EQ(table[IDS_RESUME], language.resumeWord);
  }
}

TEST(StringTable, TranslationsKeepThePlaceholdersAndLineBreaksOfEnglish) {
  auto english = ReadTable(kEnglish);
  ASSERT_EQ(english[IDS_OS_UNSUPPORTED].find(L'\n') != std::wstring::npos, true);
  for (const FixedTexts& language : kLanguages) {
    auto table = ReadTable(language.language);
    for (unsigned id = kFirstId; id <= kLastId; ++id) {
      EXPECT_TRUE(KeepsMarkersOf(english[id], table[id]))
          << "language " << language.language << " id " << id;
    }
    // After replacement no placeholder of the product name or system is left anywhere.
    for (const unsigned id : {IDS_PREPARE_TO_INSTALL, IDS_CAPTION, IDS_DISK_SPACE_FAILED}) {
      const std::wstring shown = ExpandPlaceholders(table[id]);
      EXPECT_NE(shown.find(L"Lumetra"), std::wstring::npos) << language.language << " " << id;
      EXPECT_TRUE(ListPlaceholders(shown).empty()) << language.language << " " << id;
    }
    const std::wstring unsupported = ExpandPlaceholders(table[IDS_OS_UNSUPPORTED]);
    EXPECT_NE(unsupported.find(L"Windows"), std::wstring::npos) << language.language;
    EXPECT_EQ(LineBreakRuns(unsupported), std::vector<size_t>{1}) << language.language;
  }
}

TEST(StringTable, LicenceSentenceCutsIntoThreeLinksAndThreeShortPlainRuns) {
  for (const FixedTexts& language : kLanguages) {
    auto table = ReadTable(language.language);
    const std::wstring links[] = {table[IDS_LICENSE_TERMS], table[IDS_LICENSE_PRIVACY],
                                  table[IDS_LICENSE_EULA]};
    const std::vector<std::wstring> runs = LicenceRuns(table[IDS_LICENSE_SENTENCE]);
    SCOPED_TRACE(testing::Message() << "language " << language.language);
    ASSERT_EQ(runs.size(), 6u);
    int linkRuns = 0;
    for (const std::wstring& run : runs) {
      std::wstring shown = run;
      if (run.size() == 3 && run[0] == L'{' && run[2] == L'}' && run[1] >= L'0' && run[1] <= L'2') {
        shown = links[run[1] - L'0'];
        ++linkRuns;
      }
      EXPECT_LE(WordCount(shown), 10u) << "run of " << shown.size() << " characters";
    }
    EXPECT_EQ(linkRuns, 3);
  }
  // Japanese puts the links first.
  EXPECT_EQ(ReadTable(0x0011)[IDS_LICENSE_SENTENCE].rfind(L"{0}", 0), 0u);
}

TEST(StringTable, ReadsEachEntryOfEveryBlockAtItsPlace) {
  EXPECT_EQ(LoadTextInLanguage(IDS_ABOUTBOX, kEnglish), L"About Installer...");
  EXPECT_EQ(LoadTextInLanguage(IDS_RESUME, kEnglish), L"Resume");
  EXPECT_EQ(LoadTextInLanguage(IDS_INSTALLING_TO_PATH, kEnglish), L"Installing to {0}");
  EXPECT_EQ(LoadTextInLanguage(IDS_SUPPORT_CAPTION, kEnglish), L"Lumetra Support");
  EXPECT_EQ(LoadTextInLanguage(IDS_OS_UPDATE_REQUIRED, kEnglish),
            L"Your Windows operating system requires updates in order for Lumetra to complete the "
            L"installation. \n\nClick OK for more information.");
  EXPECT_EQ(LoadTextInLanguage(IDS_OK, 0x0012), L"확인");
  // A language the table does not hold answers nothing rather than another language.
  EXPECT_EQ(LoadTextInLanguage(IDS_CAPTION, 0x041D), L"");
  EXPECT_EQ(LoadTextInLanguage(IDS_CAPTION, 0x0804), L"");
  EXPECT_EQ(LoadTextInLanguage(kLastId + 1, kEnglish), L"");
}

TEST(StringTable, LoadTextAnswersEmptyForAnIdWithoutEntry) {
  EXPECT_EQ(LoadText(kLastId + 1), L"");
  EXPECT_EQ(LoadText(kFirstId - 1), L"");
  EXPECT_EQ(LoadText(0xFFFF), L"");
  EXPECT_FALSE(LoadText(IDS_CAPTION).empty());
}
