// Acceptance of a downloaded file: its size, then its MD5 digest, against what the
// server configuration says.
#pragma once

#include <string>

// True when `filePath` exists, is exactly `expectedSize` bytes long, can be read to its
// end, and its MD5 text equals `expectedMd5` without regard to case (no blanks are
// trimmed). A file of the wrong size is rejected without being read. Never changes the
// file. Pending window messages of the calling thread are dispatched while it reads.
// A non-empty `expectedSha256` must match the file's SHA-256 as well (same rules).
bool CheckDownloadFile(const std::wstring& filePath, const std::wstring& expectedMd5,
                       int expectedSize, const std::wstring& expectedSha256 = std::wstring());
