// The version parse and comparisons on any two texts. A text that reads wholly as numbers
// must give the same numbers as the formatted scan, and no version is newer than itself.
#include "config/version.h"
#include "fuzz_input.h"
#include "workflow/self_update_rules.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::vector<std::wstring> texts = fuzz::WideTexts(data, size, 2);
  const VersionNumber scanned = ParseVersion(texts[0]);
  if (const auto numbers = ReadVersionNumbers(texts[0])) {
    fuzz::Check(numbers->major == scanned.major && numbers->minor == scanned.minor &&
                numbers->build == scanned.build && numbers->revision == scanned.revision);
  }
  fuzz::Check(!IsOfferedVersionNewer(texts[0], texts[0]));
  fuzz::Check(!DownloadedInstallerIsNewer(texts[0], texts[0]));
  const bool newer = IsOfferedVersionNewer(texts[0], texts[1]);
  if (ReadVersionNumbers(texts[0]) && ReadVersionNumbers(texts[1]))
    fuzz::Check(!(newer && IsOfferedVersionNewer(texts[1], texts[0])));
  IsVersionLower(scanned, ParseVersion(texts[1]));
  return 0;
}
