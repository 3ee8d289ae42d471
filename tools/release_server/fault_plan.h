// Faults the release server injects, asked for through the request path:
//   /fault/<item>[,<item>...]/<path of the file in the release folder>
// See README.md for the items.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

struct FaultPlan {
  std::optional<uint64_t> closeAfter;   // close the connection cleanly after N body bytes
  std::optional<uint64_t> resetAfter;   // reset it after N body bytes
  std::optional<uint64_t> stallAfter;   // stop sending after N body bytes...
  uint64_t stallMs = 0;                 // ...for this long (0: until the client leaves)
  std::optional<uint64_t> hangMs;       // send nothing at all, not even headers (0: for ever)
  std::optional<uint64_t> announcedLength;  // Content-Length to announce instead of the truth
  std::optional<uint64_t> rangeStart;   // answer 206 from this offset, whatever was asked
  std::optional<int> status;            // answer this status with a short text body
  uint64_t throttleBytesPerSecond = 0;  // 0: as fast as the client reads
  bool chunked = false;                 // no Content-Length, chunked transfer coding
  bool ignoreRange = false;             // answer 200 with the whole file
  bool once = false;                    // only the first request of this exact target
};

struct FaultRequest {
  FaultPlan plan;
  std::string filePath;  // what is left of the path: the file to serve
};

// Splits a request path. A path without the "/fault/" prefix gives an empty plan and
// the path unchanged; a prefix with an unknown or malformed item gives no value.
std::optional<FaultRequest> ParseFaultPath(const std::string& path, std::string* error);

// A Range header of one byte range ("bytes=a-b", "bytes=a-", "bytes=-n") resolved
// against the file size. Anything else (several ranges, bad syntax) is ignored, as the
// HTTP standard has it.
struct ByteRange {
  bool present = false;      // a usable single range was asked for
  bool satisfiable = false;  // it overlaps the file
  uint64_t first = 0;
  uint64_t last = 0;         // inclusive
};
ByteRange ResolveRange(const std::string& header, uint64_t size);
