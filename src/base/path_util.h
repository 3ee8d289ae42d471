// Path helpers on plain strings. Platform-free; paths use backslashes.
#pragma once

#include <string>
#include <string_view>
#include <vector>

struct ModulePathParts {
  std::wstring folder;  // everything before the last backslash
  std::wstring name;    // everything after it
};

// Splits a module path at its last backslash. A path with no backslash, or whose only
// backslash is its first character, gives no parts (false).
bool SplitModulePath(std::wstring_view path, ModulePathParts& parts);

// Base path, one trailing backslash removed, then "\Lumetra".
std::wstring AppendProductFolder(std::wstring_view base);

// The prefixes of `path` that end right before each backslash, in order
// (C:\a\b -> "C:", "C:\a"). What a folder creator walks.
std::vector<std::wstring> PrefixesBeforeBackslashes(std::wstring_view path);

// The text after the last slash of a URL (empty when the URL ends in one); empty when the
// URL has no slash after its first character. Names a downloaded file after its URL.
std::wstring GetUrlFileName(std::wstring_view url);
