// The publisher's key that the server configuration must be signed with, as this build
// was given it (LUMETRA_RELEASE_KEY); no value when the build requires no signature.
#pragma once

#include <optional>

#include "download/cng.h"

std::optional<P256PublicKey> EmbeddedReleaseKey();
