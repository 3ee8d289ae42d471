// The rules a shipped installer's imports must keep: every import slot the code calls
// through is bound or binds itself on first use, DLLs imported at load time are only those
// Windows always takes from its own folder, and every late-loaded function exists.
#pragma once

#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "pe_image.h"

// The functions of a DLL by the toolchain's import library, or no value when it has none.
using DllFunctionLookup = std::function<std::optional<std::set<std::string>>(const std::string& dll)>;

// One line per fault; none when the imports keep every rule. `knownDlls` are lower case.
std::vector<std::string> AuditImports(const PeImports& imports, const std::set<std::string>& knownDlls,
                                      const DllFunctionLookup& functionsOf);

// "<n> load-time DLLs, <n> late-loaded DLLs (<n> functions), <n> code reads of import slots".
std::string DescribeImports(const PeImports& imports);

std::string LowerCase(std::string text);
