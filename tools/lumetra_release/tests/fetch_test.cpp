// lint --fetch: the files are taken from the addresses the configuration names, here a
// local server, and checked as the installer would check what it downloads.
#include <gtest/gtest.h>
#include <httplib.h>

#include <filesystem>
#include <fstream>
#include <thread>
#include <unistd.h>

#include "lint.h"
#include "make_config.h"
#include "release_files.h"

namespace fs = std::filesystem;

namespace {

void WriteFile(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

bool Has(const std::vector<Finding>& findings, Severity severity, const std::string& words) {
  for (const Finding& f : findings)
    if (f.severity == severity && f.text.find(words) != std::string::npos) return true;
  return false;
}

}  // namespace

TEST(KitFetch, FetchedFilesAreCheckedAgainstTheirDigestAndSize) {
  const fs::path dir = fs::temp_directory_path() / ("lumetra_fetch_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  WriteFile(dir / "Lumetra_2.0.0.5.7z", std::string(5000, 'p'));
  WriteFile(dir / "ndp48-web.exe", std::string(700, 'n'));

  httplib::Server server;
  ASSERT_TRUE(server.set_mount_point("/release", dir.string()));
  const int port = server.bind_to_any_port("127.0.0.1");
  ASSERT_GT(port, 0);
  std::thread serving([&] { server.listen_after_bind(); });
  while (!server.is_running()) std::this_thread::yield();

  std::string error;
  const std::string ini = MakeConfig(
      "[release]\nbase_url = http://127.0.0.1:" + std::to_string(port) + "/release\n"
      "[package Application]\nfile = Lumetra_2.0.0.5.7z\nversion = 2.0.0.5\nwindows = all\n"
      "entry_for = 10.0\n[NetFramework]\nfile = ndp48-web.exe\nversion = v4.6\n",
      dir, error);
  ASSERT_EQ(error, "");
  FetchedFiles fetched;
  auto findings = LintConfig(IniText::Parse(ini), &fetched);
  EXPECT_FALSE(Has(findings, Severity::kError, "")) << "clean release";
  EXPECT_TRUE(Has(findings, Severity::kWarning, "plain http"));

  // The server now holds another package of the same size, and no .NET installer.
  WriteFile(dir / "Lumetra_2.0.0.5.7z", std::string(5000, 'q'));
  fs::remove(dir / "ndp48-web.exe");
  findings = LintConfig(IniText::Parse(ini), &fetched);
  EXPECT_TRUE(Has(findings, Severity::kError, "MD5 of [Application] is ")) << findings.size();
  EXPECT_TRUE(Has(findings, Severity::kError, "404"));

  server.stop();
  serving.join();
  fs::remove_all(dir);
}
