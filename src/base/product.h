// Names of the product and its maker, as they appear in paths, registry and texts.
#pragma once

inline constexpr wchar_t kProductName[] = L"Lumetra";
inline constexpr wchar_t kMakerName[] = L"Corvane";
inline constexpr wchar_t kProductExeName[] = L"Lumetra.exe";
