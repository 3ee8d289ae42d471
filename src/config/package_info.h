// One downloadable file as the server configuration describes it.
#pragma once

#include <string>

struct PackageInfo {
  std::wstring url;
  std::wstring md5;        // expected MD5 text, 32 hexadecimal digits
  std::wstring version;    // package version; for .NET the probe's version text
  std::wstring osSupport;  // two-part OS versions it may be installed on, or "all"
  int needed = 0;          // non-zero: the file has to be fetched
  int size = 0;            // expected size in bytes
  // Last, so that records written out in order stay valid; {} keeps them warning-free.
  std::wstring sha256{};   // expected SHA-256 text, 64 hexadecimal digits; empty: not checked
};
