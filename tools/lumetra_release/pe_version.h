// The product version written inside a Windows program, read from its bytes: the fixed
// version information of its version resource.
#pragma once

#include <optional>
#include <string>
#include <string_view>

// "a.b.c.d" of the first version resource's product version, or no value when the bytes
// are not a PE image with one.
std::optional<std::wstring> ReadPeProductVersion(std::string_view image);
