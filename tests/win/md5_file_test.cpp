#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "download/check_download_file.h"
#include "download/md5_digest.h"
#include "win/win_test_support.h"

namespace {

using test_support::WriteFileBytes;

constexpr wchar_t kEmptyMd5Upper[] = L"D41D8CD98F00B204E9800998ECF8427E";
constexpr wchar_t kAbcMd5[] = L"900150983cd24fb0d6963f7d28e17f72";

class Md5FileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    folder_ = std::wstring(temp) + L"lumetra_md5_" + std::to_wstring(GetCurrentProcessId());
    std::filesystem::create_directories(std::filesystem::path(folder_));
  }
  void TearDown() override {
    std::error_code ignored;
    std::filesystem::remove_all(std::filesystem::path(folder_), ignored);
  }
  std::wstring File(const std::wstring& name, const std::string& bytes) {
    const std::wstring path = folder_ + L"\\" + name;
    EXPECT_TRUE(WriteFileBytes(path, bytes));
    return path;
  }
  std::wstring folder_;
};

TEST_F(Md5FileTest, EmptyFileWithUpperCaseDigestPasses) {
  EXPECT_TRUE(CheckDownloadFile(File(L"empty.bin", ""), kEmptyMd5Upper, 0));
}

TEST_F(Md5FileTest, MissingFileAndWrongSizeFail) {
  EXPECT_FALSE(CheckDownloadFile(folder_ + L"\\absent.bin", kEmptyMd5Upper, 0));
  const std::wstring abc = File(L"abc.bin", "abc");
  EXPECT_TRUE(CheckDownloadFile(abc, kAbcMd5, 3));
  EXPECT_FALSE(CheckDownloadFile(abc, kAbcMd5, 4));   // one byte short of what is expected
  EXPECT_FALSE(CheckDownloadFile(abc, kAbcMd5, 2));
  EXPECT_FALSE(CheckDownloadFile(abc, kAbcMd5, -1));
  EXPECT_FALSE(CheckDownloadFile(folder_, kEmptyMd5Upper, 0));  // a folder is no file
}

TEST_F(Md5FileTest, DigestComparisonIgnoresCaseButNotBlanks) {
  const std::wstring abc = File(L"abc.bin", "abc");
  EXPECT_TRUE(CheckDownloadFile(abc, L"900150983CD24FB0D6963F7D28E17F72", 3));
  EXPECT_FALSE(CheckDownloadFile(abc, L" 900150983cd24fb0d6963f7d28e17f72", 3));
  EXPECT_FALSE(CheckDownloadFile(abc, L"900150983cd24fb0d6963f7d28e17f72 ", 3));
  EXPECT_FALSE(CheckDownloadFile(abc, L"900150983cd24fb0d6963f7d28e17f73", 3));
  EXPECT_FALSE(CheckDownloadFile(abc, L"", 3));
}

TEST_F(Md5FileTest, FilesAroundTheBlockBoundaryHaveStandardDigests) {
  const struct {
    size_t length;
    const char* digest;
  } cases[] = {{55, "ef1772b6dff9a122358552954ad0df65"}, {56, "3b0c8ac703f828b04c6c197006d17218"},
               {63, "b06521f39153d618550606be297466d5"}, {64, "014842d480b571495a4a0363793f7367"},
               {65, "c743a45e0d2e6a95cb859adae0248435"}};
  for (const auto& c : cases) {
    CMd5Digest digest;
    ASSERT_TRUE(digest.Init());
    digest.m_szFile = File(L"a" + std::to_wstring(c.length), std::string(c.length, 'a'));
    EXPECT_TRUE(digest.DigestFile());
    EXPECT_TRUE(digest.m_bOk);
    EXPECT_EQ(digest.m_szDigest, c.digest) << c.length;
    EXPECT_EQ(digest.m_nBytes, c.length);
    EXPECT_EQ(digest.m_szError, "");
  }
}

TEST_F(Md5FileTest, FileStillOpenForWritingIsRead) {
  const std::wstring path = File(L"held.bin", "abc");
  HANDLE writer = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(writer, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(CheckDownloadFile(path, kAbcMd5, 3));
  CloseHandle(writer);
}

TEST_F(Md5FileTest, ErrorsAreRecordedOnceAndTheFirstStays) {
  CMd5Digest unnamed;
  ASSERT_TRUE(unnamed.Init());
  EXPECT_FALSE(unnamed.DigestFile());
  EXPECT_FALSE(unnamed.m_bOk);
  EXPECT_EQ(unnamed.m_szError, "Have not assign a file !");

  CMd5Digest absent;
  ASSERT_TRUE(absent.Init());
  absent.m_szFile = L"C:\\no\\such\\folder\\package.7z";
  EXPECT_TRUE(absent.DigestFile());
  EXPECT_FALSE(absent.m_bOk);
  EXPECT_EQ(absent.m_szDigest, "d41d8cd98f00b204e9800998ecf8427e");  // of zero bytes
  // Cut to the 49 characters of its buffer.
  EXPECT_EQ(absent.m_szError, std::string("Can not open the file [ C:\\no\\such\\folder\\package")
                                  .substr(0, 49));
  absent.RecordError("Have something wrong with MD5!");
  EXPECT_EQ(absent.m_szError.rfind("Can not open the file [ ", 0), 0u);
}

// A thread that owns windows keeps them served while a digest runs on it; a quit
// request posted to it is not swallowed.
int g_dispatched = 0;
LRESULT CALLBACK CountingWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_APP + 7) ++g_dispatched;
  return DefWindowProcW(window, message, wParam, lParam);
}

TEST_F(Md5FileTest, PendingMessagesAreDispatchedAndQuitIsKept) {
  WNDCLASSW windowClass = {};
  windowClass.lpfnWndProc = CountingWindowProc;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = L"LumetraMd5PumpTest";
  RegisterClassW(&windowClass);
  HWND window = CreateWindowW(windowClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE,
                              nullptr, windowClass.hInstance, nullptr);
  ASSERT_NE(window, nullptr);
  g_dispatched = 0;
  PostMessageW(window, WM_APP + 7, 0, 0);
  EXPECT_TRUE(CheckDownloadFile(File(L"abc.bin", "abc"), kAbcMd5, 3));
  EXPECT_EQ(g_dispatched, 1);

  PostQuitMessage(3);
  EXPECT_TRUE(CheckDownloadFile(File(L"abc.bin", "abc"), kAbcMd5, 3));
  MSG msg;
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 3u);
  DestroyWindow(window);
  UnregisterClassW(windowClass.lpszClassName, windowClass.hInstance);
}

}  // namespace
