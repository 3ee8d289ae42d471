#include "ui/licence/licence_layout.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using licence::Box;
using licence::Layout;

constexpr int kWidth = 301;
constexpr int kCharWidth = 7;
constexpr int kLineHeight = 14;

licence::TextExtent FixedWidth(const std::wstring& text, bool) {
  return licence::TextExtent{static_cast<int>(text.size()) * kCharWidth, kLineHeight};
}

const auto kUrls = licence::LicenceUrls(L"www.corvane.example");

licence::Links MakeLinks(const wchar_t* terms, const wchar_t* privacy, const wchar_t* eula) {
  return {licence::Link{terms, kUrls[0]}, licence::Link{privacy, kUrls[1]},
          licence::Link{eula, kUrls[2]}};
}

Layout LayOut(const std::wstring& sentence, const licence::Links& links, int width = kWidth) {
  return licence::LayOutLicenceLine(sentence, links, width, FixedWidth);
}

std::vector<Box> BoxesOf(const licence::Run& run) {
  return run.whole ? std::vector<Box>{run.box} : run.wordBoxes;
}

// Text 108 and the link texts 123, 124, 109 of every language the installer carries.
struct Translation {
  const wchar_t* language;
  const wchar_t* sentence;
  const wchar_t* terms;
  const wchar_t* privacy;
  const wchar_t* eula;
};

const Translation kTranslations[] = {
    {L"zh-CN", L"我接受{0}、{1}和{2}", L"条款和条件", L"隐私声明", L"最终用户许可协议"},
    {L"de", L"Ich akzeptiere die {0}, die {1} und den {2}", L"Nutzungsbedingungen",
     L"Datenschutzerklärung", L"Endbenutzer-Lizenzvertrag"},
    {L"en", L"I accept the {0}, {1} and {2}", L"Terms and Conditions", L"Privacy Statement",
     L"End User License Agreement"},
    {L"es", L"Acepto los {0}, la {1} y el {2}", L"Términos y condiciones",
     L"Declaración de privacidad", L"Contrato de licencia de usuario final"},
    {L"fr", L"J’accepte les {0}, la {1} et le {2}", L"Conditions générales",
     L"Déclaration de confidentialité", L"Contrat de licence utilisateur final"},
    {L"it", L"Accetto i {0}, l’{1} e il {2}", L"Termini e condizioni", L"Informativa sulla privacy",
     L"Contratto di licenza con l’utente finale"},
    {L"ja", L"{0}、{1}および{2}に同意します", L"利用規約", L"プライバシーに関する声明",
     L"エンドユーザー使用許諾契約"},
    {L"ko", L"{0}, {1} 및 {2}에 동의합니다", L"이용 약관", L"개인정보 처리방침",
     L"최종 사용자 사용권 계약"},
    {L"nl", L"Ik ga akkoord met de {0}, de {1} en de {2}", L"Algemene voorwaarden",
     L"Privacyverklaring", L"Licentieovereenkomst voor eindgebruikers"},
    {L"pt", L"Aceito os {0}, a {1} e o {2}", L"Termos e Condições", L"Declaração de Privacidade",
     L"Contrato de Licença do Usuário Final"},
    {L"ru", L"Я принимаю {0}, {1} и {2}", L"Условия использования",
     L"Заявление о конфиденциальности", L"Лицензионное соглашение с конечным пользователем"},
    {L"zh-TW", L"我接受{0}、{1}及{2}", L"條款及細則", L"隱私權聲明", L"終端使用者授權合約"},
};

}  // namespace

TEST(LicenceLine, EveryTranslationFitsTheControlAndEveryPieceOfALinkOpensIt) {
  for (const Translation& t : kTranslations) {
    SCOPED_TRACE(t.language);
    const licence::Links links = MakeLinks(t.terms, t.privacy, t.eula);
    const Layout layout = LayOut(t.sentence, links);
    std::wstring shown;
    for (const licence::Run& run : layout.runs) {
      shown += run.text;
      ASSERT_FALSE(BoxesOf(run).empty());
      for (const Box& box : BoxesOf(run)) {
        EXPECT_GE(box.left, 0);
        EXPECT_LE(box.right, kWidth);
        EXPECT_EQ(box.bottom - box.top, kLineHeight);
        // The middle of every piece of a link opens that link; plain text opens nothing.
        EXPECT_EQ(licence::LinkUrlAt(layout, (box.left + box.right) / 2, box.top + 7),
                  run.link >= 0 ? kUrls[run.link] : L"");
      }
    }
    // Nothing is lost or left as a placeholder.
    std::wstring expected = t.sentence;
    for (int link = 0; link < licence::kLinkCount; ++link) {
      ASSERT_GE(layout.linkRun[link], 0);
      const std::wstring placeholder = L"{" + std::to_wstring(link) + L"}";
      expected.replace(expected.find(placeholder), 3, links[link].text);
    }
    EXPECT_EQ(shown, expected);
  }
}

TEST(LicenceLine, JapaneseStartsWithTheTermsLink) {
  const Translation& ja = kTranslations[6];
  const Layout layout = LayOut(ja.sentence, MakeLinks(ja.terms, ja.privacy, ja.eula));
  EXPECT_EQ(layout.linkRun[0], 0);
  EXPECT_EQ(licence::LinkUrlAt(layout, 0, 0), kUrls[0]);
}

// English at 7 px a character: "I accept the " 0-91, terms 91-231, ", " 231-245; the
// privacy link (119 px) no longer fits, so "Privacy " takes 245-301 and "Statement" wraps
// to 0-63 on the second line (top 18); " and " 63-98, the licence agreement 98-280.
TEST(LicenceLine, ALinkThatDoesNotFitWrapsWordByWordAndStaysClickable) {
  const Translation& en = kTranslations[2];
  const Layout layout = LayOut(en.sentence, MakeLinks(en.terms, en.privacy, en.eula));
  const struct {
    int x, y;
    std::wstring url;
  } clicks[] = {
      {270, 7, kUrls[1]},  // "Privacy " at the end of the first line
      {30, 25, kUrls[1]},  // "Statement" at the start of the second
      {150, 25, kUrls[2]},
      {238, 7, L""},   // the comma between two links
      {30, 16, L""},   // the gap between the lines
      {290, 25, L""},  // beyond the end of the text
      // Edges belong to the piece; on a shared edge the earlier run wins.
      {150, 14, kUrls[0]},
      {150, 15, L""},
      {231, 0, kUrls[0]},
      {301, 14, kUrls[1]},
      {0, 32, kUrls[1]},
      {302, 7, L""},
  };
  for (const auto& click : clicks)
    EXPECT_EQ(licence::LinkUrlAt(layout, click.x, click.y), click.url) << click.x << "," << click.y;

  // The focus frame follows the wrapped link over both lines; a whole link has one frame.
  const std::vector<Box> frames = licence::LinkFocusBoxes(layout, 1);
  ASSERT_EQ(frames.size(), 2u);
  EXPECT_EQ((std::vector<int>{frames[0].left, frames[0].right, frames[0].bottom, frames[1].left,
                              frames[1].right, frames[1].bottom}),
            (std::vector<int>{245, 301, 14, 0, 63, 32}));
  const std::vector<Box> whole = licence::LinkFocusBoxes(layout, 2);
  ASSERT_EQ(whole.size(), 1u);
  EXPECT_EQ(whole[0].right - whole[0].left, 182);
}

TEST(LicenceLine, ALongSentenceIsLaidOutInFull) {
  // Far more runs, and words in a run, than any translation has today.
  std::wstring sentence;
  for (int i = 0; i < 40; ++i)
    sentence += L"one two three four five six seven eight nine ten eleven {" +
                std::to_wstring(i % 3) + L"}";
  const Layout layout = LayOut(sentence, MakeLinks(L"a b c d e f g h i j k l", L"x", L"y z"));
  ASSERT_EQ(layout.runs.size(), 80u);
  size_t words = 0;
  int lastBottom = 0;
  for (const licence::Run& run : layout.runs) {
    words += run.words.size();
    if (!run.whole) {
      EXPECT_EQ(run.wordBoxes.size(), run.words.size());
    }
    for (const Box& box : BoxesOf(run)) {
      EXPECT_LE(box.right, kWidth);
      EXPECT_GE(box.bottom, lastBottom);  // never back to an earlier line
      lastBottom = box.bottom;
    }
  }
  EXPECT_EQ(words, 40u * 11 + 14u * 12 + 13u * 1 + 13u * 2);
  // About 2,600 characters at 43 a line.
  EXPECT_GT(lastBottom, 60 * (kLineHeight + licence::kLineGap));
  const Box last = BoxesOf(layout.runs.back()).back();
  EXPECT_EQ(licence::LinkUrlAt(layout, last.left + 1, last.bottom - 1), kUrls[39 % 3]);
}

TEST(LicenceLine, CutsAtPlaceholdersAndBlanksAndKeepsOtherBracesAsText) {
  using Cut = std::vector<std::wstring>;
  EXPECT_EQ(licence::CutIntoRuns(L"a {7} b {"), (Cut{L"a ", L"{7}", L" b ", L"{"}));
  EXPECT_EQ(licence::CutIntoWords(L" and  so"), (Cut{L" ", L"and ", L" ", L"so"}));
  const Layout layout = LayOut(L"a {7} b", MakeLinks(L"t", L"p", L"e"));
  EXPECT_EQ(layout.runs[1].text, L"{7}");
  EXPECT_EQ(layout.linkRun[0], -1);
  EXPECT_TRUE(licence::LinkFocusBoxes(layout, 0).empty());

  // A word wider than the control starts its line rather than leaving an empty one.
  const Layout narrow = LayOut(L"{0}", MakeLinks(L"Allgemeingeschäftsbedingungen", L"p", L"e"), 70);
  EXPECT_EQ(narrow.runs[0].wordBoxes.at(0).top, 0);
}
