// Throughput of DownloadFile on one large file; a benchmark, not a test: disabled unless
// scripts/bench-download.sh runs it with the URL and destination in the environment.
#include "download/http_download.h"

#include <windows.h>
#include <psapi.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "download_test_support.h"

TEST(DownloadBench, DISABLED_OneLargeFile) {
  const char* url = std::getenv("LUMETRA_BENCH_URL");
  const char* destination = std::getenv("LUMETRA_BENCH_DEST");  // a Linux path
  if (!url || !destination) GTEST_SKIP() << "set LUMETRA_BENCH_URL and LUMETRA_BENCH_DEST";
  const std::wstring target = download_test::FromLinuxPath(destination);
  DeleteFileW(target.c_str());

  PROCESS_MEMORY_COUNTERS before{};
  GetProcessMemoryInfo(GetCurrentProcess(), &before, sizeof(before));
  LARGE_INTEGER frequency, start, end;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  const int result = DownloadFile(60000, nullptr, std::wstring(url, url + std::strlen(url)), target,
                                  0, 100, nullptr);
  QueryPerformanceCounter(&end);
  PROCESS_MEMORY_COUNTERS after{};
  GetProcessMemoryInfo(GetCurrentProcess(), &after, sizeof(after));

  ASSERT_EQ(result, 0);
  const double seconds = double(end.QuadPart - start.QuadPart) / double(frequency.QuadPart);
  const double bytes = double(download_test::FileSize(target));
  std::printf("bench: bytes=%.0f seconds=%.3f MBps=%.1f peak_private_growth_KiB=%lu\n", bytes,
              seconds, bytes / seconds / 1e6,
              static_cast<unsigned long>((after.PeakPagefileUsage - before.PeakPagefileUsage) / 1024));
}
