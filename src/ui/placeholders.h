#pragma once

#include <string>
#include <string_view>

// Replaces every "[ProductName]" by "Lumetra" and every "[OS]" by "Windows". Platform-free.
std::wstring ExpandPlaceholders(std::wstring_view text);
