// The command-line forms, the switches and the hand-over names on any text.
#include "app/command_line.h"
#include "app/switches.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::vector<std::wstring> texts = fuzz::WideTexts(data, size, 2);
  const std::wstring& commandLine = texts[0];
  const StartForm form = ClassifyCommandLine(commandLine);
  if (form == StartForm::kHandOver) HandOverParameters(commandLine);
  ParsePosition(commandLine);
  // Switches a self-update hands on read back as the same switches.
  if (const auto switches = ReadSwitches(commandLine).switches; switches && !switches->help) {
    const auto again = ReadSwitches(SwitchesForNewInstaller(*switches)).switches;
    fuzz::Check(again && again->dir == switches->dir && again->log == switches->log &&
                again->waitSeconds == switches->waitSeconds);
  }
  if (const auto target = HandOverTargetName(texts[1])) fuzz::Check(target->size() < texts[1].size());
  LeftoverCopyPath(texts[0], texts[1]);
  return 0;
}
