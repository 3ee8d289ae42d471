#include "workflow/release_key.h"

#include "release_key_bytes.h"

std::optional<P256PublicKey> EmbeddedReleaseKey() {
#if LUMETRA_HAS_RELEASE_KEY
  return P256PublicKey{LUMETRA_RELEASE_KEY_BYTES};
#else
  return std::nullopt;
#endif
}
