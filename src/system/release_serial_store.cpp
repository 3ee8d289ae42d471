#include "system/release_serial_store.h"

#include <windows.h>
#include <sddl.h>

#include "base/unique_handle.h"

namespace {

// Full control for SYSTEM and Administrators, reading for users; nothing inherited from
// above, so a looser parent cannot open it to anyone else.
constexpr wchar_t kAdminOnlyKeySddl[] = L"O:BAD:P(A;CI;KA;;;SY)(A;CI;KA;;;BA)(A;CI;KR;;;BU)";

ScopedRegKey OpenSerialsKey(REGSAM access, bool create) {
  ScopedRegKey key;
  if (!create) {
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kReleaseSerialsKey, 0, access | KEY_WOW64_32KEY,
                      key.receive()) != ERROR_SUCCESS)
      key.reset();
    return key;
  }
  ScopedLocalDescriptor descriptor;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(kAdminOnlyKeySddl, SDDL_REVISION_1,
                                                            descriptor.receive(), nullptr))
    return key;
  SECURITY_ATTRIBUTES attributes{sizeof(attributes), descriptor.get(), FALSE};
  if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, kReleaseSerialsKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                      access | KEY_WOW64_32KEY, &attributes, key.receive(),
                      nullptr) != ERROR_SUCCESS)
    key.reset();
  return key;
}

}  // namespace

std::optional<uint64_t> ReadAcceptedSerial(const std::wstring& fingerprint) {
  const ScopedRegKey key = OpenSerialsKey(KEY_QUERY_VALUE, false);
  if (!key.valid()) return std::nullopt;
  uint64_t serial = 0;
  DWORD type = 0, size = sizeof(serial);
  if (RegQueryValueExW(key.get(), fingerprint.c_str(), nullptr, &type,
                       reinterpret_cast<BYTE*>(&serial), &size) != ERROR_SUCCESS ||
      type != REG_QWORD || size != sizeof(serial))
    return std::nullopt;
  return serial;
}

bool StoreAcceptedSerial(const std::wstring& fingerprint, uint64_t serial) {
  const ScopedRegKey key = OpenSerialsKey(KEY_SET_VALUE, true);
  return key.valid() &&
         RegSetValueExW(key.get(), fingerprint.c_str(), 0, REG_QWORD,
                        reinterpret_cast<const BYTE*>(&serial), sizeof(serial)) == ERROR_SUCCESS;
}
