// What a Windows program imports, read from its file: the DLLs it imports when it is
// loaded, those it loads on the first call of a function (delay imports), the value each
// import slot holds in the file, and which slots the program's code reads.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

enum class PeMachine { kI686, kX8664 };

struct ImportSlot {
  std::string function;  // "#N" when imported by ordinal
  uint32_t rva = 0;      // where the slot lies in the loaded image
  uint64_t fileValue = 0;
  bool leadsToCode = false;  // the value is the address of code in the image
};

struct ImportedDll {
  std::string name;
  std::vector<ImportSlot> slots;
};

// A read of an import slot by the code: `site` is where the instruction's address field lies.
struct SlotReference {
  uint32_t site = 0;
  uint32_t slot = 0;
};

struct PeImports {
  PeMachine machine = PeMachine::kI686;
  std::vector<ImportedDll> loadTime;
  std::vector<ImportedDll> delayed;
  std::vector<SlotReference> references;
  bool hasRelocations = false;
};

// No value when the bytes are not a 32- or 64-bit x86 PE image.
std::optional<PeImports> ReadPeImports(std::string_view file);
