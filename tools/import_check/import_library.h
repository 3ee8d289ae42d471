// The functions a DLL exports, as the toolchain's import library for it names them.
#pragma once

#include <optional>
#include <set>
#include <string>
#include <string_view>

#include "pe_image.h"

// The undecorated names behind the archive's "__imp_" symbols (i686: without the C prefix
// "_" and stdcall's "@N"), or no value when the bytes are not an archive with a symbol index.
std::optional<std::set<std::string>> ReadImportLibraryFunctions(std::string_view archive,
                                                                PeMachine machine);
