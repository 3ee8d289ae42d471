#include "app/switches.h"

#include <cwctype>
#include <vector>

#include "base/wide_string.h"

namespace {

// The longest wait a switch may ask for: a day.
constexpr unsigned kMaxWaitSeconds = 24 * 60 * 60;

struct Token {
  std::wstring name;  // lower case, without the "/"
  std::optional<std::wstring> value;
};

std::wstring Lower(std::wstring_view text) {
  std::wstring lower(text);
  for (wchar_t& c : lower) c = static_cast<wchar_t>(std::towlower(c));
  return lower;
}

// Splits at blanks outside double quotes; the quotes themselves are dropped. An open
// quote at the end is a problem.
std::optional<std::vector<std::wstring>> SplitWords(std::wstring_view text) {
  std::vector<std::wstring> words;
  std::wstring word;
  bool quoted = false, inWord = false;
  for (wchar_t c : text) {
    if (c == L'"') {
      quoted = !quoted;
      inWord = true;
    } else if ((c == L' ' || c == L'\t') && !quoted) {
      if (inWord) words.push_back(std::move(word));
      word.clear();
      inWord = false;
    } else {
      word += c;
      inWord = true;
    }
  }
  if (quoted) return std::nullopt;
  if (inWord) words.push_back(std::move(word));
  return words;
}

std::optional<unsigned> ReadSeconds(std::wstring_view text) {
  const std::optional<uint64_t> value = ReadDigits(text, 6);
  if (!value || *value == 0 || *value > kMaxWaitSeconds) return std::nullopt;
  return static_cast<unsigned>(*value);
}

SwitchReading Refuse(std::wstring problem) { return SwitchReading{std::nullopt, std::move(problem)}; }

}  // namespace

SwitchReading ReadSwitches(std::wstring_view commandLine) {
  const std::optional<std::vector<std::wstring>> words = SplitWords(commandLine);
  if (!words) return Refuse(L"a quote is not closed");
  if (words->empty()) return Refuse(L"no switch given");
  UnattendedSwitches switches;
  for (const std::wstring& word : *words) {
    if (word.size() < 2 || word.front() != L'/') return Refuse(L"not a switch: " + word);
    const size_t equals = word.find(L'=');
    const std::wstring name = Lower(word.substr(1, equals == std::wstring::npos ? std::wstring::npos : equals - 1));
    const std::optional<std::wstring> value =
        equals == std::wstring::npos ? std::nullopt : std::optional(word.substr(equals + 1));
    const bool flag = name == L"?" || name == L"help" || name == L"quiet" ||
                      name == L"acceptlicence" || name == L"acceptlicense" || name == L"noupdate";
    const bool valued = name == L"wait" || name == L"dir" || name == L"log";
    if (!flag && !valued) return Refuse(L"unknown switch: " + word);
    if (flag && value) return Refuse(L"takes no value: " + word);
    if (!flag && (!value || value->empty())) return Refuse(L"needs a value: " + word);
    if (name == L"?" || name == L"help") {
      switches.help = true;
    } else if (name == L"quiet") {
      switches.quiet = true;
    } else if (name == L"acceptlicence" || name == L"acceptlicense") {
      switches.acceptLicence = true;
    } else if (name == L"noupdate") {
      switches.noSelfUpdate = true;
    } else if (name == L"wait") {
      const std::optional<unsigned> seconds = ReadSeconds(*value);
      if (!seconds) return Refuse(L"not a number of seconds from 1 to 86400: " + word);
      switches.waitSeconds = *seconds;
    } else if (name == L"dir") {
      switches.dir = *value;
    } else {
      switches.log = *value;
    }
  }
  if (!switches.help && !switches.quiet) return Refuse(L"/quiet or /? is needed");
  return SwitchReading{switches, {}};
}

std::wstring SwitchesForNewInstaller(const UnattendedSwitches& switches) {
  std::wstring line = L"/quiet";
  if (switches.acceptLicence) line += L" /acceptlicence";
  line += L" /wait=" + std::to_wstring(switches.waitSeconds);
  if (!switches.dir.empty()) line += L" /dir=\"" + switches.dir + L"\"";
  if (!switches.log.empty()) line += L" /log=\"" + switches.log + L"\"";
  return line + L" /noupdate";
}
