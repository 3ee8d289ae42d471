#include "app/command_line.h"

#include <cerrno>
#include <cwchar>

namespace {

// Like wcstol: leading blanks, an optional sign, digits; 0 when no number starts the
// text. nullopt when the number does not fit an int.
std::optional<int> ReadLeadingInt(std::wstring_view text) {
  const std::wstring copy(text);
  errno = 0;
  const long value = std::wcstol(copy.c_str(), nullptr, 10);
  if (errno == ERANGE || value > INT32_MAX || value < INT32_MIN) return std::nullopt;
  return static_cast<int>(value);
}

}  // namespace

StartForm ClassifyCommandLine(std::wstring_view commandLine) {
  // The installer's own forms never begin with "/": that is an administrator's.
  if (!commandLine.empty() && commandLine.front() == L'/') return StartForm::kSwitches;
  if (commandLine.size() < 2) return StartForm::kOrdinary;
  return commandLine.front() == L'u' ? StartForm::kHandOver : StartForm::kPosition;
}

std::wstring HandOverParameters(std::wstring_view commandLine) {
  return commandLine.size() > 2 ? std::wstring(commandLine.substr(2)) : std::wstring();
}

std::optional<std::wstring> HandOverTargetName(std::wstring_view moduleName) {
  if (moduleName.size() < 4 || moduleName.substr(0, 3) != L"tmp") return std::nullopt;
  return std::wstring(moduleName.substr(3));
}

std::wstring LeftoverCopyPath(std::wstring_view moduleFolder, std::wstring_view moduleName) {
  return std::wstring(moduleFolder) + L"\\tmp" + std::wstring(moduleName);
}

WindowPosition ParsePosition(std::wstring_view commandLine) {
  const size_t blank = commandLine.find(L' ');
  if (blank == std::wstring_view::npos || blank == 0) return {};
  const std::optional<int> top = ReadLeadingInt(commandLine.substr(0, blank));
  const std::optional<int> left = ReadLeadingInt(commandLine.substr(blank + 1));
  if (!top || !left) return {};
  return WindowPosition{*top, *left};
}
