#include "import_audit.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <sstream>

namespace {

std::string Hex(uint32_t value) {
  std::ostringstream out;
  out << "0x" << std::hex << value;
  return out.str();
}

}  // namespace

std::string LowerCase(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
  return text;
}

std::vector<std::string> AuditImports(const PeImports& imports, const std::set<std::string>& knownDlls,
                                      const DllFunctionLookup& functionsOf) {
  std::vector<std::string> findings;
  if (imports.machine == PeMachine::kI686 && !imports.hasRelocations)
    findings.push_back("no base relocations: the code's reads of import slots cannot be found");

  // Slots the code reads, with how often and the first place.
  std::map<uint32_t, std::pair<size_t, uint32_t>> reads;
  for (const SlotReference& r : imports.references) {
    auto [it, added] = reads.try_emplace(r.slot, 0, r.site);
    ++it->second.first;
  }
  // A load-time slot is bound by the loader (the file holds its name's address); a late-loaded
  // one must lead to the stub that binds it on the first call.
  for (const auto* group : {&imports.loadTime, &imports.delayed}) {
    const bool late = group == &imports.delayed;
    for (const ImportedDll& dll : *group) {
      for (const ImportSlot& slot : dll.slots) {
        auto read = reads.find(slot.rva);
        if (read == reads.end() || (slot.fileValue != 0 && (!late || slot.leadsToCode))) continue;
        const std::string holds = slot.fileValue == 0 ? "holds 0" : "leads to no code";
        findings.push_back("the code calls through the import slot of " + dll.name + "!" + slot.function +
                           " (" + (late ? "late-loaded" : "load-time") + ", slot " + Hex(slot.rva) +
                           "), which " + holds + " in the file: " +
                           std::to_string(read->second.first) + (read->second.first == 1 ? " read, at " : " reads, the first at ") +
                           Hex(read->second.second));
      }
    }
  }

  for (const ImportedDll& dll : imports.loadTime) {
    if (!knownDlls.count(LowerCase(dll.name)))
      findings.push_back("load-time import of " + dll.name +
                         ", which Windows would also look for beside the program");
  }

  for (const ImportedDll& dll : imports.delayed) {
    const auto functions = functionsOf(dll.name);
    if (!functions) {
      findings.push_back("late-loaded " + dll.name + " is no DLL the toolchain has an import library for");
      continue;
    }
    for (const ImportSlot& slot : dll.slots) {
      if (!functions->count(slot.function))
        findings.push_back("late-loaded " + dll.name + "!" + slot.function + " is no function of that DLL");
    }
  }
  return findings;
}

std::string DescribeImports(const PeImports& imports) {
  size_t functions = 0;
  for (const ImportedDll& dll : imports.delayed) functions += dll.slots.size();
  return std::to_string(imports.loadTime.size()) + " load-time DLLs, " +
         std::to_string(imports.delayed.size()) + " late-loaded DLLs (" + std::to_string(functions) +
         " functions), " + std::to_string(imports.references.size()) + " code reads of import slots";
}
