#include "ui/licence/licence_layout.h"

#include <algorithm>

namespace licence {

namespace {

constexpr std::wstring_view kPlaceholders[kLinkCount] = {L"{0}", L"{1}", L"{2}"};
constexpr std::wstring_view kLinkPaths[kLinkCount] = {
    L"/legal-privacy/terms-and-conditions/",
    L"/legal-privacy/",
    L"/legal-privacy/end-user-license-agreement/",
};

int PlaceholderLink(std::wstring_view run) {
  for (int link = 0; link < kLinkCount; ++link)
    if (run == kPlaceholders[link]) return link;
  return -1;
}

bool Inside(const Box& box, int x, int y) {
  return box.left <= x && x <= box.right && box.top <= y && y <= box.bottom;
}

}  // namespace

std::array<std::wstring, kLinkCount> LicenceUrls(std::wstring_view host) {
  std::array<std::wstring, kLinkCount> urls;
  for (int link = 0; link < kLinkCount; ++link)
    urls[link] = L"https://" + std::wstring(host) + std::wstring(kLinkPaths[link]);
  return urls;
}

std::vector<std::wstring> CutIntoRuns(std::wstring_view sentence) {
  std::vector<std::wstring> runs;
  while (!sentence.empty()) {
    size_t length = 0;
    if (sentence.front() == L'{') {
      length = std::min<size_t>(3, sentence.size());
    } else {
      length = std::min(sentence.find(L'{'), sentence.size());
    }
    runs.emplace_back(sentence.substr(0, length));
    sentence.remove_prefix(length);
  }
  return runs;
}

std::vector<std::wstring> CutIntoWords(std::wstring_view run) {
  std::vector<std::wstring> words;
  while (!run.empty()) {
    const size_t blank = run.find(L' ');
    const size_t length = blank == std::wstring_view::npos ? run.size() : blank + 1;
    words.emplace_back(run.substr(0, length));
    run.remove_prefix(length);
  }
  return words;
}

Layout LayOutLicenceLine(std::wstring_view sentence, const Links& links, int width,
                         const Measurer& measure) {
  Layout layout;
  std::array<int, kLinkCount> linkWidths{};
  for (int link = 0; link < kLinkCount; ++link)
    linkWidths[link] = measure(links[link].text, true).width;
  layout.lineHeight = measure(links[0].text, true).height;

  // Runs and words are growable lists: a translation with more links, commas or words
  // than the English sentence is laid out in full, never cut off.
  for (const std::wstring& piece : CutIntoRuns(sentence)) {
    Run run;
    run.link = PlaceholderLink(piece);
    const bool isLink = run.link >= 0;
    if (isLink) {
      run.text = links[run.link].text;
      run.url = links[run.link].url;
      run.width = linkWidths[run.link];
      if (layout.linkRun[run.link] < 0)
        layout.linkRun[run.link] = static_cast<int>(layout.runs.size());
    } else {
      run.text = piece;
      run.width = measure(run.text, false).width;
    }
    run.words = CutIntoWords(run.text);
    for (const std::wstring& word : run.words)
      run.wordWidths.push_back(measure(word, isLink).width);
    layout.runs.push_back(std::move(run));
  }

  int x = 0;
  int y = 0;
  for (Run& run : layout.runs) {
    if (x + run.width <= width) {
      run.whole = true;
      run.box = Box{x, y, x + run.width, y + layout.lineHeight};
      x += run.width;
      continue;
    }
    for (const int wordWidth : run.wordWidths) {
      // A word wider than the whole line starts it rather than leaving an empty line.
      if (x > 0 && x + wordWidth > width) {
        y += layout.lineHeight + kLineGap;
        x = 0;
      }
      run.wordBoxes.push_back(Box{x, y, x + wordWidth, y + layout.lineHeight});
      x += wordWidth;
    }
  }
  return layout;
}

std::wstring LinkUrlAt(const Layout& layout, int x, int y) {
  for (const Run& run : layout.runs) {
    bool hit = run.whole && Inside(run.box, x, y);
    for (const Box& word : run.wordBoxes) hit = hit || Inside(word, x, y);
    if (hit) return run.url;
  }
  return std::wstring();
}

std::vector<Box> LinkFocusBoxes(const Layout& layout, int link) {
  std::vector<Box> boxes;
  if (link < 0 || link >= kLinkCount || layout.linkRun[link] < 0) return boxes;
  const Run& run = layout.runs[static_cast<size_t>(layout.linkRun[link])];
  if (run.whole) {
    boxes.push_back(run.box);
    return boxes;
  }
  // One box per line: a word whose bottom differs from the line's closes the box at the
  // previous word and opens the next one.
  for (const Box& word : run.wordBoxes) {
    if (boxes.empty() || word.bottom != boxes.back().bottom) {
      boxes.push_back(word);
    } else {
      boxes.back().right = word.right;
    }
  }
  return boxes;
}

}  // namespace licence
