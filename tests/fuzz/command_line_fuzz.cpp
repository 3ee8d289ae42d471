// The command-line forms and the hand-over names on any text.
#include "app/command_line.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::vector<std::wstring> texts = fuzz::WideTexts(data, size, 2);
  const std::wstring& commandLine = texts[0];
  const StartForm form = ClassifyCommandLine(commandLine);
  if (form == StartForm::kHandOver) HandOverParameters(commandLine);
  ParsePosition(commandLine);
  if (const auto target = HandOverTargetName(texts[1])) fuzz::Check(target->size() < texts[1].size());
  LeftoverCopyPath(texts[0], texts[1]);
  return 0;
}
