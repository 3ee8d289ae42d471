// The installer's one network transfer: fetches a file over HTTP or HTTPS, resuming a
// partial file left by an earlier call and transfers that break on the way.
#pragma once

#include <cstdint>
#include <string>

class TransferAbort;

// Called with the position to show (progressBase plus this file's share of
// progressSpan) and whether the file is complete. Returning false cancels the transfer.
using DownloadProgressCallback = bool (*)(void* context, int position, bool finished);

// Results of DownloadFile.
inline constexpr int kDownloadComplete = 0;  // every expected byte is in the file, or the
                                             // local Package copy was taken
inline constexpr int kDownloadFailed = 1;    // the transfer began and failed
inline constexpr int kDownloadNotDone = 3;   // nothing attempted, no length, or cancelled
inline constexpr int kDownloadTooLarge = 4;  // the server announced or sent more than the
                                             // bound; nothing past it was written

// No bound on a transfer's size (tests and benchmarks).
inline constexpr uint64_t kNoSizeBound = UINT64_MAX;

// Fetches `url` into `destinationPath`. A file named like the URL's last segment in the
// Package folder of the application data is copied instead. `timeoutMs` bounds every
// connect, send and receive. A partial destination file is kept on every failure, for
// the next call to resume. An `abort` from another thread ends the transfer at once, even
// in the middle of a read (kDownloadNotDone or kDownloadFailed). The file never grows past
// `maxBytes` (the size the configuration gives): a partial file longer than that is begun
// anew, and a server that announces or sends more ends the transfer (kDownloadTooLarge).
int DownloadFile(int timeoutMs, DownloadProgressCallback callback, std::wstring url,
                 std::wstring destinationPath, int progressBase, int progressSpan,
                 void* context, TransferAbort* abort = nullptr, uint64_t maxBytes = kNoSizeBound);

// Where seed copies of downloads lie: <application data>\Package.
std::wstring GetPackageSeedFolder();
