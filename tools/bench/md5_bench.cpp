// Times the MD5 verification of one file: CheckDownloadFile in the Windows build, the
// same digest core over a C stream in the native build. Prints one line:
//   <seconds> <MB/s> <ok|mismatch>
// Usage: md5_bench FILE SIZE MD5 [REPEATS]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#ifdef _WIN32
#include "download/check_download_file.h"
#else
#include "download/md5_core.h"
#endif

namespace {

bool VerifyOnce(const char* path, int size, const std::string& md5) {
#ifdef _WIN32
  const std::string narrow(path);
  return CheckDownloadFile(std::wstring(narrow.begin(), narrow.end()),
                           std::wstring(md5.begin(), md5.end()), size);
#else
  (void)size;
  std::FILE* file = std::fopen(path, "rb");
  if (!file) return false;
  std::setvbuf(file, nullptr, _IONBF, 0);
  StdioMd5Source source(file);
  const std::string digest = Md5Computation().Run(source);
  std::fclose(file);
  return digest == md5;
#endif
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: md5_bench FILE SIZE MD5 [REPEATS]\n");
    return 2;
  }
  const int size = std::atoi(argv[2]);
  const int repeats = argc > 4 ? std::atoi(argv[4]) : 1;
  double best = 1e9;
  bool ok = true;
  for (int i = 0; i < repeats; ++i) {
    const auto start = std::chrono::steady_clock::now();
    ok = VerifyOnce(argv[1], size, argv[3]) && ok;
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (seconds < best) best = seconds;
  }
  std::printf("%.3f %.1f %s\n", best, size / best / 1e6, ok ? "ok" : "mismatch");
  return ok ? 0 : 1;
}
