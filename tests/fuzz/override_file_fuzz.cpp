// The test-server override file reader on any text of up to 1024 characters.
#include "fuzz_input.h"
#include "workflow/override_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 4096) return 0;
  const std::wstring text = fuzz::WideTexts(data, size, 1)[0];
  if (const auto url = ReadApplicationUpdateUrl(text)) {
    fuzz::Check(!url->empty());
    fuzz::Check(url->find(L'"') == std::wstring::npos);
  }
  ReadWebConnectTimeout(text);
  return 0;
}
