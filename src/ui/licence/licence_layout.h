// The licence line: the sentence of text 108 with its placeholders {0}, {1} and {2} shown
// as links, cut into runs and words and laid out over a given width. Platform-free: the
// window measures the texts with its fonts, this file decides where every piece goes and
// which link a point hits.
#pragma once

#include <array>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace licence {

struct TextExtent {
  int width = 0;
  int height = 0;
};

// A rectangle in the control's client coordinates.
struct Box {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
};

// Measures `text` on one line, in the link font when `link` is true.
using Measurer = std::function<TextExtent(const std::wstring& text, bool link)>;

constexpr int kLinkCount = 3;
constexpr int kLineGap = 4;  // pixels between two lines

struct Link {
  std::wstring text;
  std::wstring url;
};
using Links = std::array<Link, kLinkCount>;

// One run of the sentence: a link ({0}, {1} or {2}) or the plain text between links.
struct Run {
  std::wstring text;  // as shown: a link's own text in place of its placeholder
  int link = -1;      // 0..2 for a link, -1 for plain text
  std::wstring url;   // empty for plain text
  int width = 0;
  std::vector<std::wstring> words;
  std::vector<int> wordWidths;
  // A run that fits on the current line stands whole in `box` (and has no word boxes);
  // otherwise each word has its box, wrapped where it no longer fits.
  bool whole = false;
  Box box;
  std::vector<Box> wordBoxes;
};

struct Layout {
  int lineHeight = 0;
  std::vector<Run> runs;
  std::array<int, kLinkCount> linkRun{-1, -1, -1};  // index into runs, -1 when absent
};

// The three link addresses on `host`: terms and conditions, privacy statement, licence
// agreement, in the order of {0}, {1}, {2}.
std::array<std::wstring, kLinkCount> LicenceUrls(std::wstring_view host);

// Cuts the sentence into runs: each "{" starts a three-character placeholder run, and the
// text up to the next "{" is one plain run.
std::vector<std::wstring> CutIntoRuns(std::wstring_view sentence);

// Cuts a run into words: each word ends with (and includes) its blank; a leading blank is a
// word of its own.
std::vector<std::wstring> CutIntoWords(std::wstring_view run);

// Lays the sentence out over `width` pixels starting at (0, 0).
Layout LayOutLicenceLine(std::wstring_view sentence, const Links& links, int width,
                         const Measurer& measure);

// The address of the first run whose box or word boxes hold (x, y), edges included; empty
// for plain text or no run at all.
std::wstring LinkUrlAt(const Layout& layout, int x, int y);

// The boxes that frame link `link` when it has the keyboard focus: its run box when it
// stands whole, else one box per line over its words. Empty when the link is absent.
std::vector<Box> LinkFocusBoxes(const Layout& layout, int link);

}  // namespace licence
