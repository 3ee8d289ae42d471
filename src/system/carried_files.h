// Files the installer carries in its own executable (resource type FILE).
#pragma once

#include <string>

#include "system/carried_file_ids.h"

// Writes the bytes of FILE resource `id` to `path`, replacing a file that is there.
// False when the resource is missing, the file cannot be created or not every byte was
// written (a partial file is then removed).
bool ExtractFileResource(int id, const std::wstring& path);

// Whether the file at `path` holds exactly the bytes of FILE resource `id`.
bool FileMatchesResource(int id, const std::wstring& path);
