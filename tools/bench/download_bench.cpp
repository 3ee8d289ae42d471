// Throughput of DownloadFile on one large file, under Wine: a benchmark program of its own,
// run by scripts/bench-download.sh, never part of a test binary.
//   download_bench.exe URL DESTINATION      (DESTINATION a Linux path, reached through Z:)
// Prints "bench: bytes=... seconds=... MBps=... peak_private_growth_KiB=..."; exit status 0
// only when the download completed.
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <string>

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

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: download_bench.exe URL LINUX_DESTINATION\n");
    return 2;
  }
  const std::wstring target = FromLinuxPath(argv[2]);
  DeleteFileW(target.c_str());

  PROCESS_MEMORY_COUNTERS before{};
  GetProcessMemoryInfo(GetCurrentProcess(), &before, sizeof(before));
  LARGE_INTEGER frequency, start, end;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  const int result = DownloadFile(60000, nullptr, argv[1], target, 0, 100, nullptr);
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
