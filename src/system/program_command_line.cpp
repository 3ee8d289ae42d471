#include "system/program_command_line.h"

namespace {

bool EndsWithExe(const std::wstring& file) {
  static constexpr wchar_t kExe[] = L".exe";
  if (file.size() < 4) return false;
  for (size_t i = 0; i < 4; ++i) {
    wchar_t c = file[file.size() - 4 + i];
    if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
    if (c != kExe[i]) return false;
  }
  return true;
}

bool IsLetter(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }

}  // namespace

bool IsFullProgramPath(const std::wstring& file) {
  if (file.find(L'"') != std::wstring::npos || !EndsWithExe(file)) return false;
  const bool drivePath = file.size() > 3 && IsLetter(file[0]) && file[1] == L':' && file[2] == L'\\';
  const bool sharePath = file.size() > 2 && file[0] == L'\\' && file[1] == L'\\';
  return drivePath || sharePath;
}

std::wstring ProgramCommandLine(const std::wstring& file, const std::wstring& parameters) {
  std::wstring line = L"\"" + file + L"\"";
  if (!parameters.empty()) line += L" " + parameters;
  return line;
}
