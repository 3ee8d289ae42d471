#include "download/download_rules.h"

#include "base/wide_string.h"

namespace {

bool StartsWithIgnoreCase(std::wstring_view text, std::wstring_view prefix) {
  return text.size() >= prefix.size() && EqualsIgnoreAsciiCase(text.substr(0, prefix.size()), prefix);
}

std::wstring_view TrimBlanks(std::wstring_view text) {
  while (!text.empty() && (text.front() == L' ' || text.front() == L'\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == L' ' || text.back() == L'\t')) text.remove_suffix(1);
  return text;
}

// A port, offset or length: at most 18 digits.
std::optional<uint64_t> ParseDecimal(std::wstring_view text) { return ReadDigits(text, 18); }

}  // namespace

std::optional<HttpUrlParts> SplitHttpUrl(std::wstring_view url) {
  HttpUrlParts parts;
  if (StartsWithIgnoreCase(url, L"http://")) {
    url.remove_prefix(7);
    parts.port = 80;
  } else if (StartsWithIgnoreCase(url, L"https://")) {
    url.remove_prefix(8);
    parts.https = true;
    parts.port = 443;
  } else {
    return std::nullopt;
  }

  const size_t authorityEnd = url.find_first_of(L"/?#");
  std::wstring_view authority = url.substr(0, authorityEnd);
  std::wstring_view rest = authorityEnd == std::wstring_view::npos ? std::wstring_view()
                                                                   : url.substr(authorityEnd);
  if (const size_t at = authority.rfind(L'@'); at != std::wstring_view::npos)
    authority.remove_prefix(at + 1);  // user name and password are never sent

  std::wstring_view host = authority;
  std::wstring_view port;
  if (!authority.empty() && authority.front() == L'[') {  // IPv6 literal
    const size_t close = authority.find(L']');
    if (close == std::wstring_view::npos) return std::nullopt;
    host = authority.substr(0, close + 1);
    std::wstring_view after = authority.substr(close + 1);
    if (!after.empty()) {
      if (after.front() != L':') return std::nullopt;
      port = after.substr(1);
    }
  } else if (const size_t colon = authority.find(L':'); colon != std::wstring_view::npos) {
    host = authority.substr(0, colon);
    port = authority.substr(colon + 1);
  }
  if (host.empty()) return std::nullopt;
  if (!port.empty()) {
    const std::optional<uint64_t> number = ParseDecimal(port);
    if (!number || *number == 0 || *number > 65535) return std::nullopt;
    parts.port = static_cast<uint16_t>(*number);
  }
  parts.host = std::wstring(host);

  if (const size_t hash = rest.find(L'#'); hash != std::wstring_view::npos)
    rest = rest.substr(0, hash);  // a fragment never goes over the wire
  parts.object = rest.empty() || rest.front() != L'/' ? L"/" + std::wstring(rest) : std::wstring(rest);
  return parts;
}

std::wstring UrlFileName(std::wstring_view url) {
  const size_t slash = url.rfind(L'/');
  return std::wstring(slash == std::wstring_view::npos ? url : url.substr(slash + 1));
}

bool UsesSecureFlag(std::wstring_view url) { return url.find(L':') == 5; }

std::wstring RangeHeaderText(uint64_t offset) {
  return FormatWide(L"Range:bytes=%d-", static_cast<int32_t>(static_cast<uint32_t>(offset)));
}

int32_t ProgressShare(int32_t span, uint64_t downloaded, uint32_t total) {
  if (total == 0) return 0;
  const uint64_t product = static_cast<uint64_t>(static_cast<int64_t>(span)) * downloaded;
  return static_cast<int32_t>(product / total);
}

bool ShouldReportChunk(int32_t share, uint64_t downloaded, uint32_t total) {
  return share >= 1 || downloaded == total;
}

std::optional<ContentRange> ParseContentRange(std::wstring_view text) {
  text = TrimBlanks(text);
  if (!StartsWithIgnoreCase(text, L"bytes")) return std::nullopt;
  text = TrimBlanks(text.substr(5));
  const size_t slash = text.find(L'/');
  if (slash == std::wstring_view::npos) return std::nullopt;
  const std::wstring_view span = TrimBlanks(text.substr(0, slash));
  const std::wstring_view complete = TrimBlanks(text.substr(slash + 1));

  ContentRange range;
  if (complete != L"*") {
    range.complete = ParseDecimal(complete);
    if (!range.complete) return std::nullopt;
  }
  if (span == L"*") {
    if (!range.complete) return std::nullopt;  // "*/*" says nothing
    return range;
  }
  const size_t dash = span.find(L'-');
  if (dash == std::wstring_view::npos) return std::nullopt;
  range.first = ParseDecimal(span.substr(0, dash));
  range.last = ParseDecimal(span.substr(dash + 1));
  if (!range.first || !range.last || *range.last < *range.first) return std::nullopt;
  if (range.complete && *range.last >= *range.complete) return std::nullopt;
  return range;
}

ResponseAction DecideResponse(const ResponseFacts& facts, bool firstAnswer) {
  if (!facts.status) return ResponseAction::kRejectStatus;
  const bool ranged = facts.rangeOffset > 0;
  const bool hasLength = facts.contentLength.has_value() && *facts.contentLength > 0;
  switch (*facts.status) {
    case 200:
      if (firstAnswer && !hasLength) return ResponseAction::kNoLength;
      // Appending a whole file after the bytes already present would make a file that
      // can never pass its digest check.
      return ranged ? ResponseAction::kRestart : ResponseAction::kAppend;
    case 206:
      if (!ranged) return ResponseAction::kRejectStatus;
      // Bytes from another offset than asked cannot continue this file.
      if (!facts.contentRange || facts.contentRange->first != facts.rangeOffset)
        return ResponseAction::kRefetch;
      // Nor can bytes of a file whose size is no longer the one the call began with.
      if (facts.expectedTotal && facts.contentRange->complete &&
          *facts.contentRange->complete != *facts.expectedTotal)
        return ResponseAction::kRefetch;
      if (firstAnswer && !hasLength) return ResponseAction::kNoLength;
      return ResponseAction::kAppend;
    case 416:
      if (!ranged) return ResponseAction::kRejectStatus;
      // Nothing lies past the end: either the file is whole, or it is not this file.
      if (facts.contentRange && facts.contentRange->complete == facts.rangeOffset)
        return ResponseAction::kComplete;
      return ResponseAction::kRefetch;
    default:
      return ResponseAction::kRejectStatus;
  }
}

uint32_t ExpectedTotal(ResponseAction action, const ResponseFacts& facts, uint64_t fileLength,
                       std::optional<uint32_t> expected) {
  const uint32_t length = facts.contentLength.value_or(0);
  const uint32_t earlier = expected.value_or(0);
  switch (action) {
    case ResponseAction::kComplete:
      // Past the end of a file whose size is known, a 416 confirms it or shows a length
      // that was announced falsely; it sets the size only of a file resumed from an earlier call.
      if (expected) return *expected;
      return facts.contentRange && facts.contentRange->complete
                 ? static_cast<uint32_t>(*facts.contentRange->complete)
                 : 0;
    case ResponseAction::kRestart:
      return length > 0 ? length : earlier;
    case ResponseAction::kAppend:
      if (facts.rangeOffset == 0) return length > 0 ? length : earlier;
      // Sizes are 32-bit quantities: the sum is taken in 32 bits, as the total is kept.
      return expected ? *expected : length + static_cast<uint32_t>(fileLength);
    default:
      return earlier;
  }
}

bool ResumeBudget::AllowResume(uint64_t fileLength) {
  if (fileLength > best_) {
    best_ = fileLength;
    withoutProgress_ = 0;
    return true;
  }
  return ++withoutProgress_ <= kMaxResumesWithoutProgress;
}
