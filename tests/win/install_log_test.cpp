#include "system/install_log.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <regex>
#include <sstream>
#include <thread>

#include "system/folder_set.h"
#include "win/system_test_support.h"
#include "win/win_test_support.h"

namespace {

using test_support::ReadFileBytes;
using test_support::RoamingFolder;

std::wstring LogFolder() { return RoamingFolder() + L"\\Lumetra\\Log"; }
std::wstring LogFile() { return LogFolder() + L"\\Install.log"; }

// The log's bytes of a path of ASCII characters.
std::string Ascii(const std::wstring& path) { return std::string(path.begin(), path.end()); }

// Where a path on drive C: of this prefix lies for Linux.
std::string LinuxPathOf(const std::wstring& path) {
  wchar_t prefix[MAX_PATH] = {};
  GetEnvironmentVariableW(L"WINEPREFIX", prefix, MAX_PATH);
  std::string linux = std::string(prefix, prefix + wcslen(prefix)) + "/drive_c";
  for (wchar_t c : path.substr(2)) linux += c == L'\\' ? '/' : static_cast<char>(c);
  return linux;
}

void RemoveLogFolder() {
  DeleteFileW(LogFile().c_str());
  WIN32_FIND_DATAW found{};  // what a planted link left when it was moved aside
  HANDLE find = FindFirstFileW((LogFile() + L".moved-*").c_str(), &found);
  for (BOOL more = find != INVALID_HANDLE_VALUE; more; more = FindNextFileW(find, &found))
    DeleteFileW((LogFolder() + L"\\" + found.cFileName).c_str());
  if (find != INVALID_HANDLE_VALUE) FindClose(find);
  RemoveDirectoryW(LogFolder().c_str());
}

}  // namespace

TEST(InstallLog, FirstLineCreatesTheFolderChainAndIsWrittenWithCrLf) {
  RemoveLogFolder();
  ASSERT_FALSE(GetFileAttributesW(LogFolder().c_str()) != INVALID_FILE_ATTRIBUTES);

  WriteInstallLog(L"ProcessUser: %ls, LogonUser: %ls", L"user1", L"user1");

  const std::string bytes = ReadFileBytes(LogFile());
  EXPECT_TRUE(std::regex_match(
      bytes, std::regex(R"(\d{4}-\d{2}-\d{2}, \d{2}:\d{2}:\d{2} - ProcessUser: user1, LogonUser: user1\r\n)")))
      << bytes;
}

// The installer runs elevated and its log lies where the user can write: a hard link
// planted as Install.log is moved aside, and no link is ever written through (nor moved,
// where the platform shows it as the file it leads to).
TEST(InstallLog, ALinkPlantedAsTheLogIsMovedAsideAndNeverWrittenThrough) {
  std::string linuxScratch;
  const std::wstring scratch = system_test::ScratchFolder("log-link", &linuxScratch);
  const std::wstring victim = scratch + L"\\victim.txt";
  test_support::WriteFileBytes(victim, "precious");
  RemoveLogFolder();
  CreateFolderPath(LogFolder());

  ASSERT_TRUE(CreateHardLinkW(LogFile().c_str(), victim.c_str(), nullptr));
  WriteInstallLog(L"after a hard link");
  EXPECT_EQ(ReadFileBytes(victim), "precious");
  EXPECT_NE(ReadFileBytes(LogFile()).find(" - after a hard link\r\n"), std::string::npos);

  RemoveLogFolder();
  CreateFolderPath(LogFolder());
  const std::string linuxLog = LinuxPathOf(LogFile());
  ASSERT_TRUE(system_test::MakeLink(LogFile(), linuxLog, victim, linuxScratch + "/victim.txt", false));
  WriteInstallLog(L"after a link");
  EXPECT_EQ(ReadFileBytes(victim), "precious");
  // Removed from the Linux side: a Windows delete would remove what it leads to.
  EXPECT_TRUE(system_test::RunLinuxCommand(
      "rm -f '" + linuxLog + "' && touch '" + linuxScratch + "/unlinked'", scratch + L"\\unlinked",
      10000));
}

// A link planted as the log folder: not even an empty file is made where it leads.
TEST(InstallLog, ALinkPlantedAsTheLogFolderIsNeverWrittenInto) {
  std::string linuxScratch;
  const std::wstring scratch = system_test::ScratchFolder("log-folder-link", &linuxScratch);
  const std::wstring outside = scratch + L"\\outside";
  ASSERT_TRUE(CreateDirectoryW(outside.c_str(), nullptr));
  RemoveLogFolder();
  const std::string linuxLogFolder = LinuxPathOf(LogFolder());
  ASSERT_TRUE(system_test::MakeLink(LogFolder(), linuxLogFolder, outside,
                                    linuxScratch + "/outside", true));

  WriteInstallLog(L"through a linked folder");
  GetLogFolder();

  EXPECT_FALSE(test_support::PathExists(outside + L"\\Install.log"));
  EXPECT_TRUE(system_test::RunLinuxCommand(
      "rm -f '" + linuxLogFolder + "' && touch '" + linuxScratch + "/unlinked'",
      scratch + L"\\unlinked", 10000));
  RemoveDirectoryW(LogFolder().c_str());
}

// A burst (a download's line per chunk) keeps the checked file open: nobody can swap it for
// a link meanwhile, readers still read every line at once, and it is let go afterwards.
TEST(InstallLog, ABurstHoldsTheCheckedFileUntilItEnds) {
  RemoveLogFolder();
  {
    const InstallLogBurst burst;
    WriteInstallLog(L"burst line %d", 1);
    WriteInstallLog(L"burst line %d", 2);
    EXPECT_NE(ReadFileBytes(LogFile()).find(" - burst line 2\r\n"), std::string::npos);
    EXPECT_FALSE(DeleteFileW(LogFile().c_str()));
    EXPECT_FALSE(MoveFileExW(LogFile().c_str(), (LogFile() + L".swapped").c_str(), 0));
  }
  const std::string bytes = ReadFileBytes(LogFile());
  EXPECT_NE(bytes.find(" - burst line 1\r\n"), std::string::npos);
  EXPECT_TRUE(DeleteFileW(LogFile().c_str()));
}

TEST(InstallLog, AppendsAndKeepsPercentSignsOfArguments) {
  RemoveLogFolder();
  WriteInstallLog(L"Install app");
  WriteInstallLog(L"%ls", L"C:\\100%\\setup.exe %d %s");
  WriteInstallLog(L"cmdline: %ls", L"");
  const std::string bytes = ReadFileBytes(LogFile());
  EXPECT_TRUE(std::regex_match(bytes, std::regex(R"(.{20} - Install app\r\n)"
                                                 R"(.{20} - C:\\100%\\setup\.exe %d %s\r\n)"
                                                 R"(.{20} - cmdline: \r\n)")))
      << bytes;
}

TEST(InstallLog, TwoThreadsWritingAtOnceLoseAndMixNoLine) {
  RemoveLogFolder();
  constexpr int kLinesPerThread = 500;
  auto writer = [](const wchar_t* name) {
    for (int i = 0; i < kLinesPerThread; ++i) WriteInstallLog(L"%ls line %d end", name, i);
  };
  std::thread first(writer, L"first");
  std::thread second(writer, L"second");
  first.join();
  second.join();

  std::istringstream lines(ReadFileBytes(LogFile()));
  const std::regex wellFormed(R"(.{20} - (first|second) line (\d+) end\r)");
  int seen[2][kLinesPerThread] = {};
  int total = 0;
  for (std::string line; std::getline(lines, line); ++total) {
    std::smatch match;
    ASSERT_TRUE(std::regex_match(line, match, wellFormed)) << "mixed line: " << line;
    ++seen[match[1] == "first" ? 0 : 1][std::stoi(match[2])];
  }
  EXPECT_EQ(total, 2 * kLinesPerThread);
  for (const auto& writerLines : seen)
    for (int count : writerLines) EXPECT_EQ(count, 1);
}

TEST(InstallLog, ALineWaitsBrieflyWhileAnotherWriterHoldsTheFile) {
  RemoveLogFolder();
  WriteInstallLog(L"before");
  HANDLE holder = CreateFileW(LogFile().c_str(), FILE_APPEND_DATA, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  std::thread release([holder] {
    Sleep(50);
    CloseHandle(holder);
  });
  WriteInstallLog(L"after");
  release.join();
  EXPECT_NE(ReadFileBytes(LogFile()).find(" - after\r\n"), std::string::npos);
}

// A person following the log in a viewer, or a scanner reading it, never stalls the
// installer: a reader that lets others write costs nothing, one that holds the file for
// itself costs the first line a fraction of a second and later lines nothing; the lines
// held back reach the file, in order, once it is free.
TEST(InstallLog, ReadersNeverStallTheWriterAndNoLineIsLost) {
  RemoveLogFolder();
  WriteInstallLog(L"first");
  {
    HANDLE viewer = CreateFileW(LogFile().c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(viewer, INVALID_HANDLE_VALUE);
    const ULONGLONG start = GetTickCount64();
    WriteInstallLog(L"while viewed");
    EXPECT_LT(GetTickCount64() - start, 100u);
    CloseHandle(viewer);
  }
  EXPECT_NE(ReadFileBytes(LogFile()).find(" - while viewed\r\n"), std::string::npos);

  HANDLE scanner = CreateFileW(LogFile().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(scanner, INVALID_HANDLE_VALUE);
  const ULONGLONG start = GetTickCount64();
  for (int i = 0; i < 50; ++i) WriteInstallLog(L"chunk %d", i);
  EXPECT_LT(GetTickCount64() - start, 1000u) << "fifty lines must not wait seconds";
  CloseHandle(scanner);
  WriteInstallLog(L"last");

  std::string expected;
  for (int i = 0; i < 50; ++i) {
    expected += " - chunk ";
    expected += std::to_string(i);
    expected += "\r\n";
  }
  std::string lines;
  const std::string log = ReadFileBytes(LogFile());
  for (size_t at = log.find(" - chunk "); at != std::string::npos; at = log.find(" - chunk ", at + 1))
    lines += log.substr(at, log.find('\n', at) + 1 - at);
  EXPECT_EQ(lines, expected);
  EXPECT_GT(log.find(" - last\r\n"), log.find(" - chunk 49\r\n"));
}

TEST(CreateFolderPath, CreatesEveryMissingFolderWithOrWithoutTrailingBackslash) {
  const std::wstring root = RoamingFolder() + L"\\folder-path-test";
  for (const std::wstring& path : {root + L"\\a\\b\\c", root + L"\\x\\y\\"}) {
    EXPECT_TRUE(CreateFolderPath(path));
    EXPECT_NE(GetFileAttributesW(path.c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
    EXPECT_TRUE(CreateFolderPath(path)) << "an existing folder is fine too";
  }
  EXPECT_FALSE(CreateFolderPath(L"\\no-drive\\folder"));
  for (const wchar_t* leaf : {L"\\a\\b\\c", L"\\a\\b", L"\\a", L"\\x\\y", L"\\x", L""})
    RemoveDirectoryW((root + leaf).c_str());
}

TEST(CreateFolderPath, FailsWhereAFileStandsInTheWay) {
  const std::wstring file = RoamingFolder() + L"\\folder-path-blocker";
  CloseHandle(CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  EXPECT_FALSE(CreateFolderPath(file + L"\\sub"));
  DeleteFileW(file.c_str());
}

TEST(UserFolders, ResolveLogsAndCreatesTheFolders) {
  RemoveLogFolder();
  const std::wstring userTemp = RoamingFolder() + L"\\Lumetra\\Temp";
  RemoveDirectoryW(userTemp.c_str());
  ResolveUserFolders();
  const std::string log = ReadFileBytes(LogFile());
  // The per-user Temp is still named in the log, but the elevated installer works in a
  // per-machine folder that the user cannot write to.
  const std::wstring temp = GetTempFolder();
  EXPECT_EQ(temp, system_test::MachineDataFolder() + L"\\Lumetra\\Temp");
  EXPECT_NE(GetFileAttributesW(temp.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_FALSE(test_support::PathExists(userTemp));
  EXPECT_NE(log.find(" - ProcessUser: "), std::string::npos);
  EXPECT_NE(log.find(" - Original appdata tmp folder: " + Ascii(userTemp) + "\r\n"),
            std::string::npos);
  EXPECT_NE(log.find(" - Working folder: " + Ascii(temp) + "\r\n"), std::string::npos) << log;
  EXPECT_NE(log.find(" - Original appdata module folder: "), std::string::npos);
  // Under one account at the console, nothing is moved.
  EXPECT_EQ(log.find("logon user is different"), std::string::npos);
  EXPECT_EQ(GetDefaultInstallFolder().substr(1), L":\\Program Files\\Lumetra");
  EXPECT_TRUE(GetDesktopLinkPath().ends_with(L"\\Desktop\\Lumetra.lnk"));
}
