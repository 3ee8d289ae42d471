// The link opener under Wine, all the way to the browser: Wine's browser is a shell
// command that appends each address to a file (winebrowser reads it from
// HKCU\Software\Wine\WineBrowser "Browsers"), so the tests see what would have opened
// and nothing leaves the machine.
#include "ui/licence/link_opener.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "win/system_test_support.h"

namespace {

using system_test::FixturePath;
using system_test::ScratchFolder;
using test_support::PathExists;

// Records the browser's addresses while it lives, then puts the setting back. The key is
// opened for each access: under Wine, closing the handles that CreateProcessW returns for
// a Linux program (as the scratch-folder clean-up does) can close an unrelated handle.
class BrowserRecorder {
 public:
  explicit BrowserRecorder(const std::string& name) {
    std::string linuxFolder;
    record_ = ScratchFolder(name, &linuxFolder) + L"\\opened.txt";
    const std::string command = "/bin/sh -c \"echo $0 >> " + linuxFolder + "/opened.txt\"";
    wchar_t old[1024] = {};
    DWORD size = sizeof(old) - sizeof(wchar_t);
    hadOld_ = RegGetValueW(HKEY_CURRENT_USER, kKey, L"Browsers", RRF_RT_REG_SZ, nullptr, old,
                           &size) == ERROR_SUCCESS;
    old_ = old;
    active_ =
        system_test::RunningUnderWine() && Write(std::wstring(command.begin(), command.end()));
  }
  ~BrowserRecorder() {
    if (hadOld_) {
      Write(old_);
    } else {
      RegDeleteKeyValueW(HKEY_CURRENT_USER, kKey, L"Browsers");
    }
  }
  // Only then is it safe to open an address.
  bool active() const { return active_; }
  // The addresses opened, once `count` have arrived (they come from other processes).
  std::vector<std::string> Opened(size_t count) const {
    std::vector<std::string> lines;
    system_test::WaitUntil(20000, [&] {
      lines.clear();
      const std::string text = test_support::ReadFileBytes(record_);
      for (size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos;
           start = end + 1)
        lines.push_back(text.substr(start, end - start));
      return lines.size() >= count;
    });
    return lines;
  }

 private:
  static constexpr const wchar_t* kKey = L"Software\\Wine\\WineBrowser";
  static bool Write(const std::wstring& value) {
    return RegSetKeyValueW(HKEY_CURRENT_USER, kKey, L"Browsers", REG_SZ, value.c_str(),
                           static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) ==
           ERROR_SUCCESS;
  }
  bool hadOld_ = false;
  bool active_ = false;
  std::wstring old_, record_;
};

// The installer's situation: started from a folder holding a planted explorer.exe, with
// another in the current folder. Runs the open_link launcher; its exit code.
int LaunchBesidePlants(const std::string& name, const std::wstring& arguments,
                       std::wstring plants[2]) {
  const std::wstring launchFolder = ScratchFolder(name + "-launch");
  const std::wstring currentFolder = ScratchFolder(name + "-current");
  const std::wstring launcher = launchFolder + L"\\open_link.exe";
  plants[0] = launchFolder + L"\\explorer.exe";
  plants[1] = currentFolder + L"\\explorer.exe";
  CopyFileW(FixturePath(L"open_link").c_str(), launcher.c_str(), FALSE);
  for (int i = 0; i < 2; ++i)
    CopyFileW(FixturePath(L"record_launch").c_str(), plants[i].c_str(), FALSE);
  system_test::StartedProcess process(launcher, arguments, currentFolder);
  if (!process.started() || !process.WaitForEnd(30000)) return -1;
  return static_cast<int>(process.ExitCode());
}

const char kLocalUrl[] = "http://127.0.0.1:9/legal-privacy/";

}  // namespace

TEST(LinkOpener, OpensTheAddressThroughTheWindowsExplorerNeverAPlantedOne) {
  BrowserRecorder browser("link-opener-browser");
  REQUIRE_FIXTURE(browser.active(), "no browser recorder: the address would open a real browser");
  std::wstring plants[2];
  EXPECT_EQ(LaunchBesidePlants("link-opener", L"http://127.0.0.1:9/legal-privacy/", plants), 0);
  EXPECT_EQ(browser.Opened(1), std::vector<std::string>{kLocalUrl});
  EXPECT_FALSE(PathExists(plants[0] + L".ran"));
  EXPECT_FALSE(PathExists(plants[1] + L".ran"));

  // The counter-check: a start by the bare name finds the plant beside the program.
  EXPECT_EQ(LaunchBesidePlants("link-opener-bare", L"--bare http://127.0.0.1:9/", plants), 0);
  EXPECT_TRUE(system_test::WaitUntil(10000, [&] { return PathExists(plants[0] + L".ran"); }));
}

TEST(LinkOpener, PassesOnlyPlainWebAddressesToExplorer) {
  // A harmless local program stands for what explorer.exe would run if it were handed a
  // path, a file address, or a switch smuggled in after a comma, quote or blank.
  const std::wstring program = ScratchFolder("link-opener-refused") + L"\\program.exe";
  ASSERT_TRUE(CopyFileW(FixturePath(L"record_launch").c_str(), program.c_str(), FALSE));
  std::wstring fileUrl = L"file:///" + program;
  std::replace(fileUrl.begin(), fileUrl.end(), L'\\', L'/');
  for (const std::wstring& url :
       {program, fileUrl, L"/root," + program, L"https://host/a," + program,
        L"https://host/a\" " + program, L"https://host/a " + program, std::wstring(L"https://")})
    EXPECT_FALSE(OpenLink(url)) << url;
  wchar_t windows[MAX_PATH] = {};
  GetWindowsDirectoryW(windows, MAX_PATH);
  EXPECT_EQ(SystemExplorerPath(), std::wstring(windows) + L"\\explorer.exe");
}
