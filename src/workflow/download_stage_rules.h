// Decisions of the download stage on plain values: how the progress bar is shared among
// the three files, what a downloaded file may be called in the Temp folder, where an
// item's result lies and how the extractor is asked and answers. Platform-free.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Start and width of each file's part of the bar (0 to 100).
struct DownloadShares {
  int nfStart = 0, nfPart = 0;
  int vcStart = 0, vcPart = 0;
  int pkStart = 0, pkPart = 100;
};

// `total` is the byte sum of the files to be fetched; the two prerequisites' parts are
// their sizes' share of it (64-bit product, rounded down), the package takes the rest.
// Parts never leave the bar: a prerequisite size that is not part of `total` (a
// configuration that gives a size to a file not fetched) is cut to what is left, and a
// total of 0 gives everything to the package.
DownloadShares ComputeDownloadShares(uint64_t total, int64_t netFrameworkSize,
                                     int64_t vcRuntimeSize);

// The name a download gets in the Temp folder: the last segment of the URL cut at its
// query ("?") or fragment ("#"). No value when what is left could name anything but a plain
// file in that folder: empty, "." or "..", holding "..", a path separator, a drive colon,
// a character Windows forbids in names (<>:"/\|?* and controls), ending in a blank or a
// dot (which Windows drops), or a device name (CON, NUL, COM1...) with or without extension.
std::optional<std::wstring> SafeDownloadFileName(std::wstring_view url);

// Where an item's result lies: the downloaded file's path with the last dot of its file
// name and what follows replaced by `extension` (".exe" keeps an installer's name, ""
// gives the folder unpacked from a package). A name without a dot leaves the path as it
// is, also when a folder of the path has one.
std::wstring ItemResultPath(std::wstring_view target, std::wstring_view extension);

// The extractor's parameters: x "<archive>" -aoa (full paths, overwrite without asking).
std::wstring ExtractorParameters(std::wstring_view archivePath);

// 7-Zip's exit codes: 0 done, 1 warnings only (e.g. a file it could not replace); 2 and
// above a fatal error (damaged or truncated archive, disk full), a bad command line, too
// little memory or an abort.
inline bool ExtractorSucceeded(unsigned long exitCode) { return exitCode < 2; }
