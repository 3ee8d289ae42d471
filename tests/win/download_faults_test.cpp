// DownloadFile against servers that answer badly: each case would otherwise leave a file
// that can never pass its digest check, fail for ever, or hold the installer.
#include "download/http_download.h"

#include <thread>

#include "download/download_rules.h"
#include "download_test_support.h"

using namespace download_test;

namespace {

int Fetch(const std::wstring& url, const std::wstring& destination, int timeoutMs = 5000) {
  return DownloadFile(timeoutMs, nullptr, url, destination, 0, 100, nullptr);
}

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

}  // namespace

TEST(DownloadFaults, WholeFileForARangedRequestStartsTheFileOver) {
  ReleaseServer server;
  REQUIRE_RELEASE_SERVER(server);
  const std::string bytes = server.Publish(L"whole-again.bin", 800000, 11);
  const std::wstring destination = ScratchFolder("download-whole-again") + L"\\whole-again.bin";
  WriteFileBytes(destination, bytes.substr(0, 12345));

  const std::wstring target = server.Fault(L"ignore-range") + L"/whole-again.bin";
  EXPECT_EQ(Fetch(server.Url(target), destination), 0);
  EXPECT_EQ(ReadFileBytes(destination), bytes);  // not the first 12345 bytes twice
  const auto requests = server.Requests(Narrow(target));
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(ReleaseServer::RangeOf(requests[0]), "bytes=12345-");
}

TEST(DownloadFaults, NothingPastTheEndOfACompleteFileIsSuccess) {
  ReleaseServer server;
  REQUIRE_RELEASE_SERVER(server);
  const std::string bytes = server.Publish(L"already-whole.bin", 300000, 12);
  const std::wstring destination = ScratchFolder("download-already-whole") + L"\\already-whole.bin";
  WriteFileBytes(destination, bytes);

  ProgressRecord progress;
  EXPECT_EQ(DownloadFile(5000, &ProgressRecord::Callback, server.Url(L"/already-whole.bin"),
                         destination, 20, 30, &progress), 0);
  EXPECT_EQ(ReadFileBytes(destination), bytes);
  const auto requests = server.Requests("/already-whole.bin");
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(ReleaseServer::RangeOf(requests[0]), "bytes=300000-");
  ASSERT_EQ(progress.calls.size(), 1u);
  EXPECT_EQ(progress.calls[0].position, 50);
  EXPECT_TRUE(progress.calls[0].finished);
}

TEST(DownloadFaults, FileLongerThanTheServersIsFetchedAgain) {
  ReleaseServer server;
  REQUIRE_RELEASE_SERVER(server);
  const std::string bytes = server.Publish(L"over-long.bin", 300000, 13);
  const std::wstring destination = ScratchFolder("download-over-long") + L"\\over-long.bin";
  WriteFileBytes(destination, bytes + std::string(100, 'x'));

  EXPECT_EQ(Fetch(server.Url(L"/over-long.bin"), destination), 0);
  EXPECT_EQ(ReadFileBytes(destination), bytes);
  const auto requests = server.Requests("/over-long.bin");
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(ReleaseServer::RangeOf(requests[0]), "bytes=300100-");
  EXPECT_EQ(ReleaseServer::RangeOf(requests[1]), "-");
}

TEST(DownloadFaults, ResumptionsThatBringNothingEndTheCall) {
  ReleaseServer server;
  REQUIRE_RELEASE_SERVER(server);
  const std::string bytes = server.Publish(L"no-progress.bin", 900000, 14);
  const std::wstring folder = ScratchFolder("download-no-progress");

  // Every answer dies at the same byte, by a clean close or by a reset.
  struct Case {
    const wchar_t* fault;
    const wchar_t* file;
  };
  for (const Case& c : {Case{L"close=0", L"close0.bin"}, Case{L"reset=0", L"reset0.bin"}}) {
    const wchar_t* fault = c.fault;
    const std::wstring target = server.Fault(fault) + L"/no-progress.bin";
    const std::wstring file = folder + L"\\" + c.file;
    EXPECT_EQ(Fetch(server.Url(target), file), 1) << fault;
    const size_t requests = server.Requests(Narrow(target)).size();
    // The first request, then at most the bounded resumptions (each up to three sends).
    // At least one resumption reaches the server; not necessarily every one: a send on a
    // connection that the reset has just killed may fail before it leaves the client,
    // and a resumption whose sends all fail ends the call too.
    EXPECT_GE(requests, 2u) << fault;
    EXPECT_LE(requests, 1u + kMaxResumesWithoutProgress * kSendAttempts) << fault;
    EXPECT_EQ(FileSize(file), 0u) << fault;
  }

  // Answers that each bring a little more are no reason to stop.
  const std::wstring target = server.Fault(L"close=100000") + L"/no-progress.bin";
  EXPECT_EQ(Fetch(server.Url(target), folder + L"\\progress.bin"), 0);
  EXPECT_EQ(ReadFileBytes(folder + L"\\progress.bin"), bytes);
  EXPECT_EQ(server.Requests(Narrow(target)).size(), 9u);
}

TEST(DownloadFaults, StalledServerCannotHoldTheCall) {
  ReleaseServer server;
  REQUIRE_RELEASE_SERVER(server);
  const std::string bytes = server.Publish(L"stall.bin", 700000, 15);
  const std::wstring folder = ScratchFolder("download-stall");
  constexpr int kTimeoutMs = 1500;

  // No answer at all: three sends, each bounded by the time-out.
  ULONGLONG start = GetTickCount64();
  EXPECT_EQ(Fetch(server.Url(server.Fault(L"hang") + L"/stall.bin"), folder + L"\\hang.bin", kTimeoutMs), 1);
  EXPECT_LT(GetTickCount64() - start, 4u * kTimeoutMs + 3000);

  // A body that stops once: the read times out, the rest comes by a resumption.
  start = GetTickCount64();
  EXPECT_EQ(Fetch(server.Url(server.Fault(L"stall=100000,once") + L"/stall.bin"), folder + L"\\once.bin",
                  kTimeoutMs), 0);
  EXPECT_EQ(ReadFileBytes(folder + L"\\once.bin"), bytes);
  EXPECT_GE(GetTickCount64() - start, static_cast<ULONGLONG>(kTimeoutMs) - 100);

  // A body that stops every time: bounded resumptions, then a failure.
  start = GetTickCount64();
  EXPECT_EQ(Fetch(server.Url(server.Fault(L"stall=100000") + L"/stall.bin"), folder + L"\\always.bin",
                  kTimeoutMs), 1);
  EXPECT_LT(GetTickCount64() - start, (2u + kMaxResumesWithoutProgress) * kTimeoutMs + 5000);
}

TEST(DownloadFaults, RangeFromAnotherOffsetIsNotAppended) {
  ReleaseServer server;
  REQUIRE_RELEASE_SERVER(server);
  const std::string bytes = server.Publish(L"other-offset.bin", 600000, 16);
  const std::wstring destination = ScratchFolder("download-other-offset") + L"\\other-offset.bin";
  WriteFileBytes(destination, bytes.substr(0, 250000));

  const std::wstring target = server.Fault(L"offset=1000,once") + L"/other-offset.bin";
  EXPECT_EQ(Fetch(server.Url(target), destination), 0);
  EXPECT_EQ(ReadFileBytes(destination), bytes);
  const auto requests = server.Requests(Narrow(target));
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(ReleaseServer::RangeOf(requests[0]), "bytes=250000-");
  EXPECT_EQ(ReleaseServer::RangeOf(requests[1]), "-");
}

// The file on the server is replaced while the first answer stalls. Shorter: the resumption
// finds nothing at its offset (416 with the new total). Longer: it gets bytes of a file of
// another size. Either way the file is fetched again from its first byte and the call ends
// with the new file at its new length, not failed against the old one.
TEST(DownloadFaults, FileReplacedOnTheServerBetweenAttemptsEndsAtItsNewLength) {
  ReleaseServer server;
  REQUIRE_RELEASE_SERVER(server);
  const std::wstring folder = ScratchFolder("download-replaced");
  const std::wstring release = ServerState() + L"\\release\\";
  for (const size_t newSize : {200000u, 900000u}) {
    const std::wstring name = FormatWide(L"replaced-%u.bin", static_cast<unsigned>(newSize));
    server.Publish(name, 600000, 17);
    const std::string replacement = PatternBytes(newSize, 18);
    const std::wstring target = server.Fault(L"stall=300000:2500,close=300000,once") + L"/" + name;
    int result = -1;
    std::thread fetch([&] { result = Fetch(server.Url(target), folder + L"\\" + name); });
    const bool asked =
        test_support::WaitUntil(5000, [&] { return !server.Requests(Narrow(target)).empty(); });
    Sleep(500);  // the first answer has its file open and stalls
    WriteFileBytes(release + name + L".part", replacement);
    MoveFileExW((release + name + L".part").c_str(), (release + name).c_str(),
                MOVEFILE_REPLACE_EXISTING);
    fetch.join();

    ASSERT_TRUE(asked) << newSize;
    EXPECT_EQ(result, 0) << newSize;
    EXPECT_EQ(ReadFileBytes(folder + L"\\" + name), replacement) << newSize;
    const auto requests = server.Requests(Narrow(target));
    ASSERT_EQ(requests.size(), 3u) << newSize;
    EXPECT_EQ(ReleaseServer::RangeOf(requests[0]), "-");
    EXPECT_EQ(ReleaseServer::RangeOf(requests[1]), "bytes=300000-");
    EXPECT_EQ(ReleaseServer::RangeOf(requests[2]), "-");
  }
}
