#include "ui/text_markers.h"

#include <gtest/gtest.h>

using Placeholders = std::vector<std::wstring>;
using Runs = std::vector<size_t>;

TEST(TextMarkers, ListsPlaceholdersInOrderOfAppearance) {
  EXPECT_EQ(ListPlaceholders(L"I accept the {0}, {1} and {2}"), (Placeholders{L"{0}", L"{1}", L"{2}"}));
  EXPECT_EQ(ListPlaceholders(L"{2}と{0}、{1}"), (Placeholders{L"{2}", L"{0}", L"{1}"}));
  EXPECT_EQ(ListPlaceholders(L"[ProductName] on [OS], [ProductName]"),
            (Placeholders{L"[ProductName]", L"[OS]", L"[ProductName]"}));
  EXPECT_EQ(ListPlaceholders(L"[ProductName]{0}"), (Placeholders{L"[ProductName]", L"{0}"}));
  EXPECT_EQ(ListPlaceholders(L"{12}"), (Placeholders{L"{12}"}));
}

TEST(TextMarkers, BracketsThatHoldOtherTextAreNoPlaceholders) {
  for (const wchar_t* text : {L"", L"[]", L"{}", L"[Product Name]", L"[OS", L"{0", L"OS]", L"{a}",
                              L"[確定]", L"[OS1]", L"{0 }", L"[", L"{"}) {
    EXPECT_TRUE(ListPlaceholders(text).empty()) << text;
  }
  // A stray opening bracket does not hide the placeholder that follows it.
  EXPECT_EQ(ListPlaceholders(L"[[OS]]"), (Placeholders{L"[OS]"}));
  EXPECT_EQ(ListPlaceholders(L"{{1}"), (Placeholders{L"{1}"}));
}

TEST(TextMarkers, LineBreakRunsCountConsecutiveBreaks) {
  EXPECT_EQ(LineBreakRuns(L"no break"), Runs{});
  EXPECT_EQ(LineBreakRuns(L"one.\nTwo."), Runs{1});
  EXPECT_EQ(LineBreakRuns(L"installation. \n\nClick OK"), Runs{2});
  EXPECT_EQ(LineBreakRuns(L"\na\n\n\nb\n"), (Runs{1, 3, 1}));
  EXPECT_EQ(LineBreakRuns(L"\r\n"), Runs{1});
}

TEST(TextMarkers, TranslationKeepsPlaceholdersInAnyOrderAndBreaksInPlace) {
  EXPECT_TRUE(KeepsMarkersOf(L"I accept the {0}, {1} and {2}", L"{0}、{1}および{2}に同意します"));
  EXPECT_TRUE(KeepsMarkersOf(L"A {0} B {1} C {2}", L"{2} {1} {0}"));
  EXPECT_TRUE(KeepsMarkersOf(L"Plain", L"Schlicht"));
  EXPECT_TRUE(KeepsMarkersOf(L"a.\nUpgrade to [OS].", L"b.\nAuf [OS] aktualisieren."));
  EXPECT_TRUE(KeepsMarkersOf(L"x. \n\nClick OK", L"y.\n\n「OK」"));
}

TEST(TextMarkers, TranslationThatLosesOrChangesAMarkerIsCaught) {
  EXPECT_FALSE(KeepsMarkersOf(L"Install [ProductName]", L"Installieren"));
  EXPECT_FALSE(KeepsMarkersOf(L"Install [ProductName]", L"Installieren [Productname]"));
  EXPECT_FALSE(KeepsMarkersOf(L"{0}, {1} and {2}", L"{0}, {1} und {1}"));
  EXPECT_FALSE(KeepsMarkersOf(L"{0}", L"{0} {0}"));
  EXPECT_FALSE(KeepsMarkersOf(L"Plain", L"Mit [OS]"));
  EXPECT_FALSE(KeepsMarkersOf(L"a.\nb.", L"a. b."));
  EXPECT_FALSE(KeepsMarkersOf(L"a. \n\nb.", L"a.\nb."));
  EXPECT_FALSE(KeepsMarkersOf(L"a.\nb.\n\nc.", L"a.\n\nb.\nc."));
}
