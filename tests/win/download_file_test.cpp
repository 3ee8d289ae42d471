// DownloadFile against the real local release server, under Wine's WinINet.
#include "download/http_download.h"

#include "download_test_support.h"

using namespace download_test;

namespace {

constexpr int kTimeoutMs = 5000;

int Fetch(const std::wstring& url, const std::wstring& destination,
          ProgressRecord* progress = nullptr, int base = 0, int span = 100) {
  return DownloadFile(kTimeoutMs, progress ? &ProgressRecord::Callback : nullptr, url, destination,
                      base, span, progress);
}

}  // namespace

TEST(DownloadFile, ResumesPartialFileWithRangeHeaderAndCountsItInTheTotal) {
  ReleaseServer server;
  REQUIRE_RELEASE_SERVER(server);
  const std::string bytes = server.Publish(L"resume-partial.bin", 1300000, 1);
  const std::wstring destination = ScratchFolder("download-resume-partial") + L"\\resume-partial.bin";
  const size_t present = 300001;
  WriteFileBytes(destination, bytes.substr(0, present));

  ProgressRecord progress;
  EXPECT_EQ(Fetch(server.Url(L"/resume-partial.bin"), destination, &progress, 10, 50), 0);
  EXPECT_EQ(ReadFileBytes(destination), bytes);

  const auto requests = server.Requests("/resume-partial.bin");
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_NE(requests[0].find("GET /resume-partial.bin HTTP/1.0"), std::string::npos);
  EXPECT_EQ(ReleaseServer::RangeOf(requests[0]), "bytes=300001-");
  // total = N + M: the first call reports N's share of the whole, the last the whole.
  ASSERT_GE(progress.calls.size(), 2u);
  EXPECT_EQ(progress.calls.front().position, 10 + static_cast<int>(50ull * present / bytes.size()));
  EXPECT_FALSE(progress.calls.front().finished);
  EXPECT_EQ(progress.calls.back().position, 60);
  EXPECT_TRUE(progress.calls.back().finished);
}

TEST(DownloadFile, FreshFileAsksWithoutRangeAndRefusesA206) {
  ReleaseServer server;
  REQUIRE_RELEASE_SERVER(server);
  const std::string bytes = server.Publish(L"fresh.bin", 70000, 2);
  const std::wstring folder = ScratchFolder("download-fresh");
  EXPECT_EQ(Fetch(server.Url(L"/fresh.bin"), folder + L"\\fresh.bin"), 0);
  EXPECT_EQ(ReadFileBytes(folder + L"\\fresh.bin"), bytes);
  ASSERT_EQ(server.Requests("/fresh.bin").size(), 1u);
  EXPECT_EQ(ReleaseServer::RangeOf(server.Requests("/fresh.bin")[0]), "-");

  // A 206 to a request that asked for no range is not the file.
  EXPECT_EQ(Fetch(server.Url(server.Fault(L"offset=0") + L"/fresh.bin"), folder + L"\\unasked.bin"), 1);
  EXPECT_EQ(FileSize(folder + L"\\unasked.bin"), 0u);
}

TEST(DownloadFile, AnswerWithoutContentLengthWritesNothing) {
  ReleaseServer server;
  REQUIRE_RELEASE_SERVER(server);
  server.Publish(L"chunked.bin", 100000, 3);
  const std::wstring destination = ScratchFolder("download-chunked") + L"\\chunked.bin";
  ProgressRecord progress;
  EXPECT_EQ(Fetch(server.Url(server.Fault(L"chunked") + L"/chunked.bin"), destination, &progress), 3);
  EXPECT_EQ(FileSize(destination), 0u);
  EXPECT_TRUE(progress.calls.empty());
}

TEST(DownloadFile, ConnectionDroppedMidBodyIsResumedToTheSameBytes) {
  ReleaseServer server;
  REQUIRE_RELEASE_SERVER(server);
  const std::string bytes = server.Publish(L"dropped.bin", 1500000, 4);
  const std::wstring folder = ScratchFolder("download-dropped");
  const size_t retriesBefore = InstallLogCount("Network disconnect, retry!");

  // A clean close reads as an early end; a reset reads as an error. Both resume.
  for (const wchar_t* fault : {L"close=600000,once", L"reset=600000,once"}) {
    const std::wstring target = server.Fault(fault) + L"/dropped.bin";
    const std::wstring destination = folder + L"\\" + (fault[0] == L'c' ? L"closed.bin" : L"reset.bin");
    EXPECT_EQ(Fetch(server.Url(target), destination), 0) << fault;
    EXPECT_EQ(ReadFileBytes(destination), bytes) << fault;

    std::string suffix(target.begin(), target.end());
    const auto requests = server.Requests(suffix);
    ASSERT_EQ(requests.size(), 2u) << fault;
    EXPECT_EQ(ReleaseServer::RangeOf(requests[0]), "-");
    const std::string range = ReleaseServer::RangeOf(requests[1]);
    ASSERT_EQ(range.rfind("bytes=", 0), 0u) << range;
    const long offset = std::atol(range.c_str() + 6);
    EXPECT_GT(offset, 0) << range;
    EXPECT_LE(offset, 600000) << range;
  }
  EXPECT_GE(InstallLogCount("Network disconnect, retry!"), retriesBefore + 2);
}

TEST(DownloadFile, AnnouncedLengthNeverReachedFailsAndKeepsTheBytes) {
  ReleaseServer server;
  REQUIRE_RELEASE_SERVER(server);
  const std::string bytes = server.Publish(L"short.bin", 200000, 5);
  const std::wstring destination = ScratchFolder("download-short") + L"\\short.bin";
  TraceCapture traces;
  EXPECT_EQ(Fetch(server.Url(server.Fault(L"length=250000") + L"/short.bin"), destination), 1);
  EXPECT_TRUE(traces.Contains(L"Download failed: " + destination));
  EXPECT_EQ(ReadFileBytes(destination), bytes);
}

TEST(DownloadFile, StatusNotFoundAndNothingListeningFail) {
  ReleaseServer server;
  REQUIRE_RELEASE_SERVER(server);
  const std::wstring folder = ScratchFolder("download-not-found");
  TraceCapture traces;
  EXPECT_EQ(Fetch(server.Url(L"/no-such-file.bin"), folder + L"\\missing.bin"), 1);
  EXPECT_TRUE(traces.Contains(L"Connection failed: " + folder + L"\\missing.bin"));

  // Port 1 of the loopback: nobody listens there.
  EXPECT_EQ(Fetch(L"http://127.0.0.1:1/x.bin", folder + L"\\refused.bin"), 1);
}

TEST(DownloadFile, CancelKeepsTheChunkAlreadyWritten) {
  ReleaseServer server;
  REQUIRE_RELEASE_SERVER(server);
  const std::string bytes = server.Publish(L"cancel.bin", 2000000, 6);
  const std::wstring destination = ScratchFolder("download-cancel") + L"\\cancel.bin";
  ProgressRecord progress;
  progress.cancelAtCall = 1;  // the first call after a chunk
  TraceCapture traces;
  EXPECT_EQ(Fetch(server.Url(L"/cancel.bin"), destination, &progress), 3);
  EXPECT_TRUE(traces.Contains(L"yes canceld\r\n"));
  EXPECT_EQ(progress.calls.size(), 2u);
  EXPECT_EQ(ReadFileBytes(destination), bytes.substr(0, 524288));
}

TEST(DownloadFile, RunsToTheEndWithoutCallbackAndWithZeroSpan) {
  ReleaseServer server;
  REQUIRE_RELEASE_SERVER(server);
  const std::string bytes = server.Publish(L"quiet.bin", 1200000, 7);
  const std::wstring folder = ScratchFolder("download-quiet");
  EXPECT_EQ(Fetch(server.Url(L"/quiet.bin"), folder + L"\\no-callback.bin"), 0);
  EXPECT_EQ(ReadFileBytes(folder + L"\\no-callback.bin"), bytes);

  // Span 0: the call before the first chunk, then only the end.
  ProgressRecord progress;
  EXPECT_EQ(Fetch(server.Url(L"/quiet.bin"), folder + L"\\zero-span.bin", &progress, 40, 0), 0);
  ASSERT_EQ(progress.calls.size(), 2u);
  EXPECT_EQ(progress.calls[0].position, 40);
  EXPECT_FALSE(progress.calls[0].finished);
  EXPECT_EQ(progress.calls[1].position, 40);
  EXPECT_TRUE(progress.calls[1].finished);
}

TEST(DownloadFile, SeedCopyInThePackageFolderIsTakenWithoutNetwork) {
  ReleaseServer server;
  REQUIRE_RELEASE_SERVER(server);
  const std::wstring seedFolder = GetPackageSeedFolder();
  ASSERT_TRUE(CreateFolderPath(seedFolder));
  const std::string seed = PatternBytes(5000, 8);
  WriteFileBytes(seedFolder + L"\\seeded-package.7z", seed);
  const std::wstring folder = ScratchFolder("download-seed");

  EXPECT_EQ(Fetch(server.Url(L"/dist/seeded-package.7z"), folder + L"\\seeded.7z"), 0);
  EXPECT_EQ(ReadFileBytes(folder + L"\\seeded.7z"), seed);
  EXPECT_TRUE(server.Requests("seeded-package.7z").empty());
  // A copy that cannot be made is no complete file.
  EXPECT_EQ(Fetch(server.Url(L"/dist/seeded-package.7z"), folder + L"\\no\\such\\folder.7z"), 1);
  DeleteFileW((seedFolder + L"\\seeded-package.7z").c_str());
}

TEST(DownloadFile, BadArgumentsAttemptNothing) {
  const std::wstring destination = ScratchFolder("download-bad-arguments") + L"\\x.bin";
  EXPECT_EQ(DownloadFile(kTimeoutMs, nullptr, L"", destination, 0, 100, nullptr), 3);
  EXPECT_EQ(DownloadFile(kTimeoutMs, nullptr, L"http://127.0.0.1/x.bin", L"", 0, 100, nullptr), 3);
  EXPECT_EQ(DownloadFile(kTimeoutMs, nullptr, L"not a url", destination, 0, 100, nullptr), 3);
  EXPECT_EQ(DownloadFile(kTimeoutMs, nullptr, L"http://127.0.0.1:99999/x.bin", destination, 0, 100,
                         nullptr), 3);
  EXPECT_EQ(FileSize(destination), UINT64_MAX);  // never created
}

TEST(DownloadFile, DestinationThatCannotBeOpenedFails) {
  ReleaseServer server;
  REQUIRE_RELEASE_SERVER(server);
  server.Publish(L"unwritable.bin", 1000, 9);
  const std::wstring destination = ScratchFolder("download-unwritable") + L"\\missing\\unwritable.bin";
  TraceCapture traces;
  EXPECT_EQ(Fetch(server.Url(L"/unwritable.bin"), destination), 1);
  EXPECT_TRUE(traces.Contains(L"Exception Download failed: " + destination));
  EXPECT_TRUE(traces.Contains(L"Connection failed: " + destination));
}
