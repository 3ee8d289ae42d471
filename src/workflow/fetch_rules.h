#pragma once

#include "config/package_info.h"

// The one test every stage uses: a file is fetched only when the configuration asks for
// it and describes it completely enough to verify it.
inline bool IsToBeFetched(const PackageInfo& package) {
  return package.needed != 0 && !package.url.empty() && !package.md5.empty() && package.size > 0;
}
