// import-check: reads built Windows programs and fails when their imports could crash
// them or let a planted DLL in (see import_audit.h for the rules).
//   import-check --known-dlls FILE --import-libs DIR PROGRAM.exe...
#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>

#include "import_audit.h"
#include "import_library.h"
#include "pe_image.h"

namespace {

std::optional<std::string> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

std::set<std::string> ReadKnownDlls(const std::string& text) {
  std::set<std::string> dlls;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    const size_t start = line.find_first_not_of(" \t");
    if (start == std::string::npos || line[start] == '#') continue;
    dlls.insert(LowerCase(line.substr(start, line.find_last_not_of(" \t\r") + 1 - start)));
  }
  return dlls;
}

int Usage() {
  std::cerr << "usage: import-check --known-dlls FILE --import-libs DIR PROGRAM.exe...\n";
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::string knownDllsPath, importLibs;
  std::vector<std::string> programs;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--known-dlls" && i + 1 < argc) knownDllsPath = argv[++i];
    else if (arg == "--import-libs" && i + 1 < argc) importLibs = argv[++i];
    else if (arg.rfind("--", 0) == 0) return Usage();
    else programs.push_back(arg);
  }
  if (knownDllsPath.empty() || importLibs.empty() || programs.empty()) return Usage();
  const auto knownDllsText = ReadFile(knownDllsPath);
  if (!knownDllsText) {
    std::cerr << "import-check: cannot read " << knownDllsPath << "\n";
    return 2;
  }
  const std::set<std::string> knownDlls = ReadKnownDlls(*knownDllsText);

  int failed = 0;
  for (const std::string& program : programs) {
    const auto bytes = ReadFile(program);
    const auto imports = bytes ? ReadPeImports(*bytes) : std::nullopt;
    if (!imports) {
      std::cout << program << ": FAILED: not a readable x86 Windows program\n";
      ++failed;
      continue;
    }
    std::map<std::string, std::optional<std::set<std::string>>> libraries;
    const auto functionsOf = [&](const std::string& dll) {
      std::string base = LowerCase(dll);
      if (base.size() > 4 && base.compare(base.size() - 4, 4, ".dll") == 0) base.resize(base.size() - 4);
      auto [it, added] = libraries.try_emplace(base);
      if (added) {
        const auto archive = ReadFile(importLibs + "/lib" + base + ".a");
        if (archive) it->second = ReadImportLibraryFunctions(*archive, imports->machine);
      }
      return it->second;
    };
    const auto findings = AuditImports(*imports, knownDlls, functionsOf);
    const char* machine = imports->machine == PeMachine::kI686 ? "i686" : "x86-64";
    std::cout << program << " (" << machine << "): " << DescribeImports(*imports) << ": "
              << (findings.empty() ? "ok" : "FAILED") << "\n";
    for (const std::string& finding : findings) std::cout << "  " << finding << "\n";
    if (!findings.empty()) ++failed;
  }
  return failed ? 1 : 0;
}
