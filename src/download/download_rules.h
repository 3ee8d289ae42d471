// The decisions of the HTTP downloader, on plain values: how a URL splits, what a
// ranged request looks like, which answers are taken and how, progress shares, and
// when a broken transfer stops resuming. Platform-free.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// One transfer buffer, reused for every chunk.
inline constexpr uint32_t kDownloadBufferSize = 0x80000;
// Sends of one request before the call gives up on it.
inline constexpr int kSendAttempts = 3;
// Resumptions in a row that bring no byte beyond what the file already held.
inline constexpr int kMaxResumesWithoutProgress = 3;

struct HttpUrlParts {
  bool https = false;
  std::wstring host;
  uint16_t port = 0;
  std::wstring object;  // path and query, always starting with "/"
};

// Splits an absolute http or https URL; no value for anything else.
std::optional<HttpUrlParts> SplitHttpUrl(std::wstring_view url);

// The part of `url` after its last "/" (the whole text when it has none).
std::wstring UrlFileName(std::wstring_view url);

// A request goes out with the secure flag when the first ":" of the URL is its sixth
// character, as with "https:".
bool UsesSecureFlag(std::wstring_view url);

// "Range:bytes=<offset>-", the offset written as a signed 32-bit decimal.
std::wstring RangeHeaderText(uint64_t offset);

// q = floor(span * downloaded / total), the product formed in 64 bits and divided as
// unsigned; 0 when the total is unknown (0).
int32_t ProgressShare(int32_t span, uint64_t downloaded, uint32_t total);
// The callback hears of a chunk once the share reaches 1 or the file is complete.
bool ShouldReportChunk(int32_t share, uint64_t downloaded, uint32_t total);

// Content-Range "bytes first-last/complete" or, on a 416, "bytes */complete".
struct ContentRange {
  std::optional<uint64_t> first;     // absent in the "*" form
  std::optional<uint64_t> last;
  std::optional<uint64_t> complete;  // absent when the server wrote "*"
};
std::optional<ContentRange> ParseContentRange(std::wstring_view text);

// What one answer tells about the file on disk.
struct ResponseFacts {
  std::optional<uint32_t> status;         // absent when it could not be read
  std::optional<uint32_t> contentLength;  // absent when the answer has none
  std::optional<ContentRange> contentRange;
  uint64_t rangeOffset = 0;               // the Range start sent; 0 when none was sent
  std::optional<uint64_t> expectedTotal;  // the file's size as earlier answers of the call gave it
};

enum class ResponseAction {
  kAppend,        // the body continues the file at its current length
  kRestart,       // a whole file came back for a ranged request: start the file over
  kRefetch,       // the server cannot continue this file: empty it and ask again from 0
  kComplete,      // the server says the file already holds all its bytes
  kRejectStatus,  // status not accepted: result 1
  kNoLength,      // no usable Content-Length on the first answer: result 3
};

// The first answer must carry a Content-Length; an answer to a resumption is taken on
// its status and Content-Range alone, the expected total being known already.
ResponseAction DecideResponse(const ResponseFacts& facts, bool firstAnswer);

// The size the file is expected to reach once the body of an accepted answer is in;
// `expected` is what earlier answers of this call said (none for the first answer). A body
// that continues the file at the asked offset, or a 416 past its end, keeps that. A body
// that begins the file (the answer to a request without Range, as after a refetch, or a
// whole file for a ranged one) brings the file's present size in its Content-Length, which
// wins over an earlier answer: the file may have changed on the server between attempts.
// Without a usable length the earlier word stands (0 when there is none).
uint32_t ExpectedTotal(ResponseAction action, const ResponseFacts& facts, uint64_t fileLength,
                       std::optional<uint32_t> expected);

// Counts resumptions that bring no new byte and says when to stop. A byte counts as new
// only when the file grows beyond its largest length so far, so a server that restarts
// the file on every resumption cannot keep a call going either.
class ResumeBudget {
 public:
  explicit ResumeBudget(uint64_t startLength) : best_(startLength) {}
  // Called at each break with the file's length; false once the call should give up.
  bool AllowResume(uint64_t fileLength);

 private:
  uint64_t best_;
  int withoutProgress_ = 0;
};
