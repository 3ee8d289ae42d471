// The downloader's header and URL rules: Content-Range, the answer decision and the total
// it leads to, the URL split and the name a download gets.
#include "download/download_rules.h"
#include "fuzz_input.h"
#include "workflow/download_stage_rules.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const uint16_t status = fuzz::TakeNumber<uint16_t>(data, size);
  const uint32_t length = fuzz::TakeNumber<uint32_t>(data, size);
  const uint64_t offset = fuzz::TakeNumber<uint32_t>(data, size);
  const uint32_t earlier = fuzz::TakeNumber<uint32_t>(data, size);
  const uint8_t flags = fuzz::TakeNumber<uint8_t>(data, size);
  const std::vector<std::wstring> texts = fuzz::WideTexts(data, size, 2);

  const std::optional<ContentRange> range = ParseContentRange(texts[0]);
  if (range && range->first) fuzz::Check(range->last && *range->first <= *range->last);
  if (range && range->complete && range->last) fuzz::Check(*range->last < *range->complete);

  ResponseFacts facts;
  if (flags & 1) facts.status = status;
  if (flags & 2) facts.contentLength = length;
  facts.contentRange = range;
  facts.rangeOffset = offset;
  const ResponseAction action = DecideResponse(facts, (flags & 4) != 0);
  ExpectedTotal(action, facts, offset,
                (flags & 8) ? std::optional<uint32_t>(earlier) : std::nullopt);
  RangeHeaderText(offset);
  ProgressShare(static_cast<int32_t>(earlier), offset, length);

  if (const auto parts = SplitHttpUrl(texts[1])) {
    fuzz::Check(!parts->host.empty() && parts->port != 0);
    fuzz::Check(!parts->object.empty() && parts->object[0] == L'/');
  }
  UrlFileName(texts[1]);
  UsesSecureFlag(texts[1]);
  if (const auto name = SafeDownloadFileName(texts[1])) {
    fuzz::Check(!name->empty() && name->find_first_of(L"\\/:") == std::wstring::npos);
    ItemResultPath(L"C:\\Temp\\" + *name, L"");
  }
  return 0;
}
