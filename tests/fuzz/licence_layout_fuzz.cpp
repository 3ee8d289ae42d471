// The licence-line layout on any sentence, link texts and width, measured with a fixed
// width per character; every point of the area is asked for its link.
#include "fuzz_input.h"
#include "ui/licence/licence_layout.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 2048) return 0;
  const int width = fuzz::TakeNumber<uint16_t>(data, size) % 1000 - 10;
  const int charWidth = fuzz::TakeNumber<uint8_t>(data, size) % 16;
  const std::vector<std::wstring> texts = fuzz::WideTexts(data, size, 4);
  const auto urls = licence::LicenceUrls(L"www.corvane.example");
  const licence::Links links = {licence::Link{texts[1], urls[0]}, licence::Link{texts[2], urls[1]},
                                licence::Link{texts[3], urls[2]}};
  const auto measure = [charWidth](const std::wstring& text, bool) {
    return licence::TextExtent{static_cast<int>(text.size()) * charWidth, 14};
  };
  const licence::Layout layout = licence::LayOutLicenceLine(texts[0], links, width, measure);
  for (int link = 0; link < licence::kLinkCount; ++link) licence::LinkFocusBoxes(layout, link);
  for (int y = -2; y < 80; y += 7)
    for (int x = -2; x < width + 4 && x < 1000; x += 5) licence::LinkUrlAt(layout, x, y);
  return 0;
}
