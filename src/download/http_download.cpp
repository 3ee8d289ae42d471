#include "download/http_download.h"

#include <windows.h>
#include <wininet.h>

#include <cstring>
#include <vector>

#include "base/unique_handle.h"
#include "download/destination_file.h"
#include "download/download_rules.h"
#include "download/transfer_abort.h"
#include "system/folder_set.h"
#include "system/install_log.h"
#include "system/module_path.h"

namespace {

void Trace(const wchar_t* text, const std::wstring& path = std::wstring()) {
  OutputDebugStringW((text + path).c_str());
}

// The session's user agent: the installer's file name without its extension.
std::wstring ApplicationName() {
  std::wstring name;
  GetModulePath(nullptr, &name);
  const size_t dot = name.rfind(L'.');
  return dot == std::wstring::npos ? name : name.substr(0, dot);
}

void SetDwordOption(HINTERNET handle, DWORD option, DWORD value) {
  InternetSetOptionW(handle, option, &value, sizeof(value));
}

// Wine ignores time-outs set on the session, so every handle gets them: without them a
// stalled server would hold the call for ever.
void SetTimeouts(HINTERNET handle, DWORD timeoutMs) {
  SetDwordOption(handle, INTERNET_OPTION_CONNECT_TIMEOUT, timeoutMs);
  SetDwordOption(handle, INTERNET_OPTION_SEND_TIMEOUT, timeoutMs);
  SetDwordOption(handle, INTERNET_OPTION_RECEIVE_TIMEOUT, timeoutMs);
}

std::optional<uint32_t> QueryNumber(HINTERNET request, DWORD query) {
  DWORD value = 0;
  DWORD size = sizeof(value);
  if (!HttpQueryInfoW(request, query | HTTP_QUERY_FLAG_NUMBER, &value, &size, nullptr))
    return std::nullopt;
  return value;
}

ResponseFacts ReadResponseFacts(HINTERNET request, uint64_t rangeOffset) {
  ResponseFacts facts;
  facts.rangeOffset = rangeOffset;
  facts.status = QueryNumber(request, HTTP_QUERY_STATUS_CODE);
  facts.contentLength = QueryNumber(request, HTTP_QUERY_CONTENT_LENGTH);
  wchar_t text[128] = {};
  DWORD bytes = sizeof(text) - sizeof(wchar_t);
  if (HttpQueryInfoW(request, HTTP_QUERY_CONTENT_RANGE, text, &bytes, nullptr))
    facts.contentRange = ParseContentRange(std::wstring_view(text, bytes / sizeof(wchar_t)));
  return facts;
}

// What ends a call: a result for the failure exit, or the end of the transfer.
enum class Step { kGoOn, kEndTransfer, kFail, kFailWithException };

class Transfer {
 public:
  Transfer(int timeoutMs, DownloadProgressCallback callback, HttpUrlParts url, bool secure,
           std::wstring destinationPath, int progressBase, int progressSpan, void* context,
           TransferAbort* abort, uint64_t maxBytes)
      : timeoutMs_(static_cast<DWORD>(timeoutMs)), callback_(callback), url_(std::move(url)),
        flags_(INTERNET_FLAG_RELOAD | INTERNET_FLAG_DONT_CACHE |
               (secure ? INTERNET_FLAG_SECURE : 0)),
        path_(std::move(destinationPath)), progressBase_(progressBase),
        progressSpan_(progressSpan), context_(context), abort_(abort), maxBytes_(maxBytes) {}
  ~Transfer() { ReplaceRequest(nullptr); }
  Transfer(const Transfer&) = delete;
  Transfer& operator=(const Transfer&) = delete;

  int Run() {
    session_.reset(InternetOpenW(ApplicationName().c_str(), INTERNET_OPEN_TYPE_PRECONFIG,
                                 nullptr, nullptr, 0));
    if (!session_.valid()) return FailureExit();
    SetTimeouts(session_.get(), timeoutMs_);
    SetDwordOption(session_.get(), INTERNET_OPTION_CONNECT_RETRIES, 1);
    connection_.reset(InternetConnectW(session_.get(), url_.host.c_str(), url_.port, nullptr,
                                       nullptr, INTERNET_SERVICE_HTTP, 0, 1));
    if (!connection_.valid()) return FailureExit();
    SetTimeouts(connection_.get(), timeoutMs_);
    if (!OpenRequest()) return FailureExit();

    if (!file_.Open(path_)) return ExceptionExit();
    uint64_t length = 0;
    if (!file_.Length(length)) return ExceptionExit();
    if (length > maxBytes_) {  // not what this transfer is to make: begun anew
      if (!file_.Truncate()) return ExceptionExit();
      length = 0;
    }
    if (length > 0 && !ContinueAt(length)) return ExceptionExit();
    SendFirst(length);

    switch (TakeFirstAnswer(length)) {
      case Step::kGoOn: break;
      case Step::kEndTransfer: return EndTransfer();
      case Step::kFail: file_.Close(); return FailureExit();
      case Step::kFailWithException: return ExceptionExit();
    }
    buffer_.resize(kDownloadBufferSize);
    ReportStart();
    switch (TransferLoop()) {
      case Step::kFail: file_.Close(); return FailureExit();
      case Step::kFailWithException: return ExceptionExit();
      default: return EndTransfer();
    }
  }

 private:
  bool OpenRequest() {
    if (!ReplaceRequest(HttpOpenRequestW(connection_.get(), L"GET", url_.object.c_str(),
                                         L"HTTP/1.0", nullptr, nullptr, flags_, 1)))
      return false;
    SetTimeouts(request_.get(), timeoutMs_);
    return true;
  }

  // Every request handle passes through here, so that an abort from another thread and
  // the transfer's own closing never both close one. False when there is no new handle
  // or the transfer has been aborted.
  bool ReplaceRequest(HINTERNET next) {
    if (request_.valid() && abort_ && !abort_->Untrack(request_.get())) request_.release();
    request_.reset(next);
    if (!request_.valid()) return false;
    if (abort_ && !abort_->Track(request_.get())) {
      request_.reset();
      return false;
    }
    return true;
  }

  // Positions the file at its end and asks the server for what follows.
  bool ContinueAt(uint64_t length) {
    if (!file_.SeekToEnd()) return false;
    const std::wstring range = RangeHeaderText(length);
    HttpAddRequestHeadersW(request_.get(), range.c_str(), static_cast<DWORD>(-1),
                           HTTP_ADDREQ_FLAG_ADD_IF_NEW);
    return true;
  }

  // Up to three sends at once, nothing logged; a request that never went out shows as
  // an unreadable status.
  void SendFirst(uint64_t length) {
    for (int attempt = 0; attempt < kSendAttempts; ++attempt)
      if (HttpSendRequestW(request_.get(), nullptr, 0, nullptr, 0)) break;
    rangeOffset_ = length;
  }

  Step TakeFirstAnswer(uint64_t length) {
    // At most one refetch: the second request carries no Range, so it cannot ask for one.
    for (int answer = 0; answer < 2; ++answer) {
      const ResponseFacts facts = ReadResponseFacts(request_.get(), rangeOffset_);
      const ResponseAction action = DecideResponse(facts, true);
      switch (action) {
        case ResponseAction::kRejectStatus: result_ = kDownloadFailed; return Step::kFail;
        case ResponseAction::kNoLength: return Step::kFail;
        case ResponseAction::kComplete:
          downloaded_ = length;
          total_ = ExpectedTotal(action, facts, length, std::nullopt);
          if (IsOversized()) return Step::kFail;
          ReportStart();
          return Step::kEndTransfer;
        case ResponseAction::kRestart:
          Trace(L"Range not honoured, starting over: ", path_);
          if (!file_.Truncate()) return Step::kFailWithException;
          length = 0;
          [[fallthrough]];
        case ResponseAction::kAppend:
          downloaded_ = length;
          total_ = ExpectedTotal(action, facts, length, std::nullopt);
          return IsOversized() ? Step::kFail : Step::kGoOn;
        case ResponseAction::kRefetch:
          Trace(L"File does not continue on the server, fetching again: ", path_);
          if (!file_.Truncate()) return Step::kFailWithException;
          length = 0;
          if (!OpenRequest()) return Step::kFail;
          SendFirst(0);
          break;
      }
    }
    result_ = kDownloadFailed;
    return Step::kFail;
  }

  // Whether the announced size passes the bound; the transfer then ends as too large.
  bool IsOversized() {
    if (total_ <= maxBytes_) return false;
    RefuseOversize(total_);
    return true;
  }

  void RefuseOversize(uint64_t bytes) {
    WriteInstallLog(L"Download refused: the server sends %llu bytes or more of %ls, at most %llu "
                    L"were expected",
                    static_cast<unsigned long long>(bytes), path_.c_str(),
                    static_cast<unsigned long long>(maxBytes_));
    result_ = kDownloadTooLarge;
  }

  void ReportStart() {
    if (callback_)
      callback_(context_, progressBase_ + ProgressShare(progressSpan_, downloaded_, total_),
                downloaded_ == total_);
  }

  Step TransferLoop() {
    const InstallLogBurst chunkLines;  // a line per chunk
    ResumeBudget budget(downloaded_);
    for (;;) {
      std::memset(buffer_.data(), 0, buffer_.size());
      DWORD received = 0;
      const BOOL read = InternetReadFile(request_.get(), buffer_.data(),
                                         static_cast<DWORD>(buffer_.size()), &received);
      Step step = Step::kGoOn;
      if (read && received > 0) {
        if (downloaded_ + received > maxBytes_) {
          RefuseOversize(downloaded_ + received);
          return Step::kFail;
        }
        if (!file_.Write(buffer_.data(), received)) {
          step = Resume(budget);
        } else if (!ChunkWritten(received)) {
          Trace(L"yes canceld\r\n");
          result_ = kDownloadNotDone;
          return Step::kFail;
        }
      } else if (read && downloaded_ >= total_) {
        if (downloaded_ != total_) result_ = kDownloadFailed;
        return Step::kEndTransfer;
      } else {
        // A read error, or an answer that ended early: under WinINet a connection closed
        // in mid-body looks like a clean end, told apart only by the byte count.
        step = Resume(budget);
      }
      if (step != Step::kGoOn) return step;
    }
  }

  // Counts, logs and reports one chunk; false when the callback cancels.
  bool ChunkWritten(DWORD received) {
    downloaded_ += received;
    WriteInstallLog(L"download : %d", static_cast<int>(downloaded_ / 1024));
    if (!callback_) return true;
    const int32_t share = ProgressShare(progressSpan_, downloaded_, total_);
    if (!ShouldReportChunk(share, downloaded_, total_)) return true;
    return callback_(context_, progressBase_ + share, downloaded_ == total_);
  }

  // A new ranged request on the same connection for what the file still lacks.
  Step Resume(ResumeBudget& budget) {
    for (;;) {
      uint64_t length = 0;
      if (!file_.Length(length)) return Step::kFailWithException;
      downloaded_ = length;  // a chunk that failed half-written counts as far as it got
      if (!budget.AllowResume(length)) {
        Trace(L"No progress over repeated resumptions: ", path_);
        result_ = kDownloadFailed;
        return Step::kEndTransfer;
      }
      if (!OpenRequest()) return Step::kEndTransfer;
      if (length > 0 && !ContinueAt(length)) return Step::kFailWithException;
      bool sent = false;
      for (int attempt = 0; attempt < kSendAttempts && !sent; ++attempt) {
        WriteInstallLog(L"Network disconnect, retry!");
        sent = HttpSendRequestW(request_.get(), nullptr, 0, nullptr, 0) != FALSE;
      }
      if (!sent) {
        result_ = kDownloadFailed;
        return Step::kEndTransfer;
      }
      ResponseFacts facts = ReadResponseFacts(request_.get(), length);
      facts.expectedTotal = total_;
      const ResponseAction action = DecideResponse(facts, false);
      switch (action) {
        case ResponseAction::kAppend:
          // After a refetch the answer begins the file anew, and its length is the file's.
          total_ = ExpectedTotal(action, facts, length, total_);
          return IsOversized() ? Step::kFail : Step::kGoOn;
        case ResponseAction::kRestart:
          Trace(L"Range not honoured, starting over: ", path_);
          if (!file_.Truncate()) return Step::kFailWithException;
          downloaded_ = 0;
          total_ = ExpectedTotal(action, facts, 0, total_);
          return IsOversized() ? Step::kFail : Step::kGoOn;
        case ResponseAction::kComplete:
          // The server has no byte past the file: it is whole, or shorter than announced.
          if (downloaded_ != total_) result_ = kDownloadFailed;
          return Step::kEndTransfer;
        case ResponseAction::kRefetch:
          Trace(L"File does not continue on the server, fetching again: ", path_);
          if (!file_.Truncate()) return Step::kFailWithException;
          continue;
        case ResponseAction::kRejectStatus:
        case ResponseAction::kNoLength:
          result_ = kDownloadFailed;
          return Step::kEndTransfer;
      }
    }
  }

  int EndTransfer() {
    file_.Close();
    buffer_ = std::vector<char>();
    ReplaceRequest(nullptr);
    connection_.reset();
    session_.reset();
    Trace(L"Thread end 0");
    if (downloaded_ == total_) return kDownloadComplete;
    Trace(L"Download failed: ", path_);
    return result_;
  }

  int FailureExit() {
    ReplaceRequest(nullptr);
    connection_.reset();
    session_.reset();
    Trace(L"Connection failed: ", path_);
    return result_;
  }

  int ExceptionExit() {
    Trace(L"Exception Download failed: ", path_);
    file_.Close();
    result_ = kDownloadFailed;
    return FailureExit();
  }

  const DWORD timeoutMs_;
  const DownloadProgressCallback callback_;
  const HttpUrlParts url_;
  const DWORD flags_;
  const std::wstring path_;
  const int progressBase_;
  const int progressSpan_;
  void* const context_;
  TransferAbort* const abort_;
  const uint64_t maxBytes_;

  ScopedInternetHandle session_;
  ScopedInternetHandle connection_;
  ScopedInternetHandle request_;
  DestinationFile file_;
  std::vector<char> buffer_;
  uint64_t rangeOffset_ = 0;
  uint64_t downloaded_ = 0;
  uint32_t total_ = 0;
  int result_ = kDownloadNotDone;
};

// A seed copy in the Package folder replaces the download. A failed copy is a failure:
// reporting it as a complete file would hand the caller a file that is not there.
std::optional<int> TakeSeedCopy(const std::wstring& url, const std::wstring& destinationPath,
                                uint64_t maxBytes) {
  const std::wstring name = UrlFileName(url);
  if (name.empty()) return std::nullopt;
  const std::wstring seed = GetPackageSeedFolder() + L"\\" + name;
  const DWORD attributes = GetFileAttributesW(seed.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
    return std::nullopt;
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (GetFileAttributesExW(seed.c_str(), GetFileExInfoStandard, &data) &&
      ((static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow) > maxBytes) {
    Trace(L"Local copy larger than expected, downloading instead: ", seed);
    return std::nullopt;
  }
  if (CopyFileW(seed.c_str(), destinationPath.c_str(), FALSE)) return kDownloadComplete;
  Trace(L"Local copy failed: ", destinationPath);
  return kDownloadFailed;
}

}  // namespace

std::wstring GetPackageSeedFolder() { return GetAppDataFolder() + L"\\Package"; }

int DownloadFile(int timeoutMs, DownloadProgressCallback callback, std::wstring url,
                 std::wstring destinationPath, int progressBase, int progressSpan,
                 void* context, TransferAbort* abort, uint64_t maxBytes) {
  if (url.empty() || destinationPath.empty()) return kDownloadNotDone;
  std::optional<HttpUrlParts> parts = SplitHttpUrl(url);
  if (!parts) return kDownloadNotDone;
  if (const std::optional<int> copied = TakeSeedCopy(url, destinationPath, maxBytes)) return *copied;

  Transfer transfer(timeoutMs, callback, std::move(*parts), UsesSecureFlag(url),
                    std::move(destinationPath), progressBase, progressSpan, context, abort,
                    maxBytes);
  return transfer.Run();
}
