// Throughput of DownloadFile on one large file, under Wine: a benchmark program of its own,
// run by scripts/bench-download.sh, never part of a test binary.
//   download_bench.exe [--bare] URL DESTINATION   (DESTINATION a Linux path, through Z:)
// With --bare it times the platform's ceiling instead: InternetOpenUrlW and 512 KiB
// InternetReadFile calls written straight to the file, nothing else.
// Prints "bench: bytes=... seconds=... MBps=... peak_private_growth_KiB=..."; exit status 0
// only when the download completed.
#include <windows.h>
#include <psapi.h>

#include <wininet.h>

#include <cstdio>
#include <string>
#include <vector>

#include "download/http_download.h"

namespace {

std::wstring FromLinuxPath(const std::wstring& linuxPath) {
  std::wstring path = L"Z:" + linuxPath;
  for (wchar_t& c : path)
    if (c == L'/') c = L'\\';
  return path;
}

uint64_t FileSize(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return 0;
  return (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// The least a WinINet download can do: 0 when the whole answer reached the file.
int BareDownload(const std::wstring& url, const std::wstring& target) {
  HINTERNET session = InternetOpenW(L"bench", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
  HINTERNET request = session ? InternetOpenUrlW(session, url.c_str(), nullptr, 0,
                                                 INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE, 0)
                              : nullptr;
  HANDLE file = CreateFileW(target.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  int result = request && file != INVALID_HANDLE_VALUE ? 0 : 1;
  std::vector<char> buffer(512 * 1024);
  for (DWORD received = 0; result == 0;) {
    if (!InternetReadFile(request, buffer.data(), static_cast<DWORD>(buffer.size()), &received)) result = 1;
    if (received == 0) break;
    DWORD written = 0;
    if (!WriteFile(file, buffer.data(), received, &written, nullptr) || written != received) result = 1;
  }
  if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  if (request) InternetCloseHandle(request);
  if (session) InternetCloseHandle(session);
  return result;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const bool bare = argc == 4 && std::wstring(argv[1]) == L"--bare";
  if (bare) ++argv, --argc;
  if (argc != 3) {
    std::fprintf(stderr, "usage: download_bench.exe [--bare] URL LINUX_DESTINATION\n");
    return 2;
  }
  const std::wstring target = FromLinuxPath(argv[2]);
  DeleteFileW(target.c_str());

  PROCESS_MEMORY_COUNTERS before{};
  GetProcessMemoryInfo(GetCurrentProcess(), &before, sizeof(before));
  LARGE_INTEGER frequency, start, end;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  const int result =
      bare ? BareDownload(argv[1], target) : DownloadFile(60000, nullptr, argv[1], target, 0, 100, nullptr);
  QueryPerformanceCounter(&end);
  PROCESS_MEMORY_COUNTERS after{};
  GetProcessMemoryInfo(GetCurrentProcess(), &after, sizeof(after));

  if (result != 0) {
    std::fprintf(stderr, "bench: DownloadFile returned %d\n", result);
    return 1;
  }
  const double seconds = double(end.QuadPart - start.QuadPart) / double(frequency.QuadPart);
  const double bytes = double(FileSize(target));
  std::printf("bench: bytes=%.0f seconds=%.3f MBps=%.1f peak_private_growth_KiB=%lu\n", bytes,
              seconds, bytes / seconds / 1e6,
              static_cast<unsigned long>((after.PeakPagefileUsage - before.PeakPagefileUsage) / 1024));
  return 0;
}
