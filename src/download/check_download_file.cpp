#include "download/check_download_file.h"

#include <windows.h>
#include <shlwapi.h>

#include "base/wide_string.h"
#include "download/cng.h"
#include "download/md5_digest.h"
#include "system/debug_trace.h"

namespace {

// The file's size in bytes, or -1 when it cannot be had. Read from the directory
// entry: no need to open a file that a downloader may still hold.
long long FileSizeOf(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return -1;
  if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return -1;
  return static_cast<long long>(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
}

}  // namespace

bool CheckDownloadFile(const std::wstring& filePath, const std::wstring& expectedMd5,
                       int expectedSize, const std::wstring& expectedSha256) {
  if (!PathFileExistsW(filePath.c_str())) {
    DebugTrace(L"CheckDownloadFile: %ls does not exist\r\n", filePath.c_str());
    return false;
  }
  // Compared in 64 bits: a file of 2 GiB or more never passes for a smaller one, and
  // an unreadable size (-1) never passes for any expectation.
  const long long size = FileSizeOf(filePath);
  if (size < 0 || size != expectedSize) {
    DebugTrace(L"CheckDownloadFile: %ls has %lld bytes, expected %d\r\n", filePath.c_str(),
               size, expectedSize);
    return false;
  }

  CMd5Digest digest;
  digest.Init();
  digest.m_szFile = filePath;
  digest.m_bPumpMessages = true;
  digest.DigestFile();
  if (!digest.m_bOk) {
    // A digest that could not be computed never counts as a match, not even against
    // an empty expectation.
    digest.RecordError(kMd5ErrorGeneral);
    DebugTrace(L"CheckDownloadFile: %ls could not be digested (%hs)\r\n", filePath.c_str(),
               digest.m_szError.c_str());
    return false;
  }
  const std::wstring computed(digest.m_szDigest.begin(), digest.m_szDigest.end());
  if (ToLowerAscii(expectedMd5) != computed) {
    DebugTrace(L"CheckDownloadFile: %ls has MD5 %ls, expected %ls\r\n", filePath.c_str(),
               computed.c_str(), expectedMd5.c_str());
    return false;
  }
  if (expectedSha256.empty()) return true;  // configurations before SHA256 give none
  const auto sha256 = Sha256OfFile(filePath);
  const std::wstring computedSha256 = sha256 ? DigestText(*sha256) : std::wstring();
  if (computedSha256.empty() || ToLowerAscii(expectedSha256) != computedSha256) {
    DebugTrace(L"CheckDownloadFile: %ls has SHA-256 %ls, expected %ls\r\n", filePath.c_str(),
               computedSha256.c_str(), expectedSha256.c_str());
    return false;
  }
  return true;
}
