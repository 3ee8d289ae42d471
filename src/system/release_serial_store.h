// The highest configuration serial this machine has accepted with each publisher's key,
// so that an older signed configuration is not taken again. Kept in the 32-bit view of
// HKLM\SOFTWARE\Corvane\LumetraSetup\ReleaseSerials, a key made so that only SYSTEM and
// Administrators can change it; each value is named by the key's fingerprint.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

inline constexpr wchar_t kReleaseSerialsKey[] = L"SOFTWARE\\Corvane\\LumetraSetup\\ReleaseSerials";

// No value when none was stored for this fingerprint (or it cannot be read).
std::optional<uint64_t> ReadAcceptedSerial(const std::wstring& fingerprint);
// Makes the key where it is missing; false when the serial could not be stored.
bool StoreAcceptedSerial(const std::wstring& fingerprint, uint64_t serial);
