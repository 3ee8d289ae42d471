// The zlib stream reader the PNG decoder needs: deflate blocks of all three kinds, the
// stream header and the Adler-32 check. Any malformed or overlong input is refused.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

// The bytes a zlib stream holds, when they are at most `maxOutput` and the stream is whole
// and checks out (bytes after its end are ignored); nothing otherwise.
std::optional<std::vector<uint8_t>> InflateZlib(const uint8_t* data, size_t size,
                                                size_t maxOutput);
