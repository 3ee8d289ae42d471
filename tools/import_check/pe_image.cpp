#include "pe_image.h"

#include <algorithm>
#include <cctype>
#include <unordered_set>

#include "le_bytes.h"

namespace {

constexpr uint32_t kExecutable = 0x20000000u;  // IMAGE_SCN_MEM_EXECUTE
constexpr uint16_t kRelocHighLow = 3;          // IMAGE_REL_BASED_HIGHLOW

struct Section {
  uint32_t rva, virtualSize, rawOffset, rawSize, characteristics;
};

class Image {
 public:
  Image(const LeBytes& bytes, std::vector<Section> sections) : b_(bytes), sections_(std::move(sections)) {}

  // The file offset of an address of the loaded image that the file holds.
  std::optional<uint64_t> Offset(uint32_t rva) const {
    for (const Section& s : sections_) {
      if (rva >= s.rva && rva - s.rva < s.rawSize) return uint64_t{s.rawOffset} + (rva - s.rva);
    }
    return std::nullopt;
  }
  bool Maps(uint32_t rva) const {
    return std::any_of(sections_.begin(), sections_.end(), [&](const Section& s) {
      return rva >= s.rva && rva - s.rva < std::max(s.virtualSize, s.rawSize);
    });
  }
  uint32_t U32(uint32_t rva) const { auto o = Offset(rva); return o ? b_.U32(*o) : 0; }
  uint64_t U64(uint32_t rva) const { auto o = Offset(rva); return o ? b_.U64(*o) : 0; }
  uint16_t U16(uint32_t rva) const { auto o = Offset(rva); return o ? b_.U16(*o) : 0; }

  // A NUL-terminated name of printable characters, at most `limit` long.
  std::optional<std::string> Name(uint32_t rva, size_t limit = 256) const {
    auto o = Offset(rva);
    if (!o) return std::nullopt;
    std::string name;
    for (uint64_t i = *o; b_.Has(i, 1); ++i) {
      const uint32_t c = b_.U8(i);
      if (c == 0) return name.empty() ? std::nullopt : std::optional(name);
      if (c < 0x20 || c > 0x7E || name.size() == limit) return std::nullopt;
      name.push_back(static_cast<char>(c));
    }
    return std::nullopt;
  }
  bool InCode(uint32_t rva) const {
    return std::any_of(sections_.begin(), sections_.end(), [&](const Section& s) {
      return (s.characteristics & kExecutable) && rva >= s.rva && rva - s.rva < s.rawSize;
    });
  }
  const std::vector<Section>& sections() const { return sections_; }
  const LeBytes& bytes() const { return b_; }

 private:
  const LeBytes& b_;
  std::vector<Section> sections_;
};

struct Layout {
  PeMachine machine;
  uint64_t imageBase;
  uint32_t directories;  // file offset of the data directories
  uint32_t directoryCount;
  uint32_t slotSize() const { return machine == PeMachine::kX8664 ? 8 : 4; }
  uint64_t ordinalFlag() const { return machine == PeMachine::kX8664 ? 1ull << 63 : 1ull << 31; }
};

// One table of import slots: names from the name table `names`, values from `slots`.
std::optional<ImportedDll> ReadSlots(const Image& image, const Layout& layout, std::string dll,
                                     uint32_t names, uint32_t slots) {
  ImportedDll imported{std::move(dll), {}};
  if (!names) names = slots;
  for (uint32_t i = 0;; ++i) {
    const uint32_t nameEntry = names + i * layout.slotSize();
    if (!image.Offset(nameEntry)) return std::nullopt;
    const uint64_t entry = layout.slotSize() == 8 ? image.U64(nameEntry) : image.U32(nameEntry);
    if (entry == 0) break;
    std::string function;
    if (entry & layout.ordinalFlag()) {
      function = "#" + std::to_string(entry & 0xFFFF);
    } else {
      auto name = image.Name(static_cast<uint32_t>(entry) + 2);
      if (!name) return std::nullopt;
      function = *name;
    }
    const uint32_t slot = slots + i * layout.slotSize();
    const uint64_t value = layout.slotSize() == 8 ? image.U64(slot) : image.U32(slot);
    const bool leadsToCode = value > layout.imageBase && value - layout.imageBase <= UINT32_MAX &&
                             image.InCode(static_cast<uint32_t>(value - layout.imageBase));
    imported.slots.push_back({std::move(function), slot, value, leadsToCode});
  }
  return imported;
}

std::vector<ImportedDll> ReadLoadTimeImports(const Image& image, const Layout& layout) {
  std::vector<ImportedDll> dlls;
  const uint32_t table = layout.directoryCount > 1 ? image.bytes().U32(layout.directories + 8) : 0;
  for (uint32_t d = table; table && image.Offset(d); d += 20) {
    const uint32_t names = image.U32(d), nameRva = image.U32(d + 12), slots = image.U32(d + 16);
    if (!names && !nameRva && !slots) break;
    auto dll = image.Name(nameRva);
    if (!dll) break;
    if (auto imported = ReadSlots(image, layout, *dll, names, slots)) dlls.push_back(*imported);
  }
  return dlls;
}

bool LooksLikeDllName(const std::string& name) {
  if (name.size() < 5) return false;
  std::string tail = name.substr(name.size() - 4);
  std::transform(tail.begin(), tail.end(), tail.begin(), [](unsigned char c) { return std::tolower(c); });
  return tail == ".dll";
}

// A delay-load descriptor (attributes, DLL name, module handle, slots, names, bound, unload,
// time stamp) whose addresses are relative and lead to a DLL name and a name table.
std::optional<ImportedDll> ReadDelayDescriptor(const Image& image, const Layout& layout, uint32_t d) {
  if (image.U32(d) != 1) return std::nullopt;
  const uint32_t nameRva = image.U32(d + 4), handle = image.U32(d + 8);
  const uint32_t slots = image.U32(d + 12), names = image.U32(d + 16);
  if (!nameRva || !handle || !slots || !names || !image.Maps(handle)) return std::nullopt;
  auto dll = image.Name(nameRva, 64);
  if (!dll || !LooksLikeDllName(*dll)) return std::nullopt;
  auto imported = ReadSlots(image, layout, *dll, names, slots);
  if (!imported || imported->slots.empty()) return std::nullopt;
  return imported;
}

// The linker of the toolchain leaves the delay-import directory empty; its descriptors are
// then found by their shape wherever the file holds them.
std::vector<ImportedDll> ReadDelayImports(const Image& image, const Layout& layout) {
  std::vector<ImportedDll> dlls;
  const uint32_t table = layout.directoryCount > 13 ? image.bytes().U32(layout.directories + 13 * 8) : 0;
  if (table) {
    for (uint32_t d = table; image.Offset(d) && image.U32(d + 4); d += 32) {
      if (auto imported = ReadDelayDescriptor(image, layout, d)) dlls.push_back(*imported);
    }
    return dlls;
  }
  for (const Section& s : image.sections()) {
    for (uint32_t at = 0; at + 32 <= s.rawSize; at += 4) {
      if (auto imported = ReadDelayDescriptor(image, layout, s.rva + at)) {
        dlls.push_back(*imported);
        at += 28;
      }
    }
  }
  return dlls;
}

std::unordered_set<uint32_t> SlotAddresses(const PeImports& imports) {
  std::unordered_set<uint32_t> slots;
  for (const auto* group : {&imports.loadTime, &imports.delayed})
    for (const ImportedDll& dll : *group)
      for (const ImportSlot& slot : dll.slots) slots.insert(slot.rva);
  return slots;
}

// i686 code names a slot by its absolute address, and every absolute address in the image
// has a base relocation: each relocated word in the code that holds a slot's address.
void FindAbsoluteReferences(const Image& image, const Layout& layout, PeImports& imports) {
  const auto slots = SlotAddresses(imports);
  const uint32_t table = layout.directoryCount > 5 ? image.bytes().U32(layout.directories + 5 * 8) : 0;
  const uint32_t size = layout.directoryCount > 5 ? image.bytes().U32(layout.directories + 5 * 8 + 4) : 0;
  for (uint32_t block = table; table && block + 8 <= table + size;) {
    const uint32_t page = image.U32(block), blockSize = image.U32(block + 4);
    if (blockSize < 8 || !image.Offset(block)) break;
    for (uint32_t e = block + 8; e + 2 <= block + blockSize; e += 2) {
      const uint16_t entry = image.U16(e);
      if (entry >> 12 != kRelocHighLow) continue;
      imports.hasRelocations = true;
      const uint32_t site = page + (entry & 0x0FFF);
      const uint32_t target = static_cast<uint32_t>(image.U32(site) - layout.imageBase);
      if (image.InCode(site) && slots.count(target)) imports.references.push_back({site, target});
    }
    block += blockSize;
  }
}

// x86-64 code names a slot relative to the next instruction: call or jmp through memory
// (FF 15, FF 25) and loads into a register (REX 8B with a RIP-relative operand).
void FindRipRelativeReferences(const Image& image, PeImports& imports) {
  const auto slots = SlotAddresses(imports);
  const LeBytes& b = image.bytes();
  for (const Section& s : image.sections()) {
    if (!(s.characteristics & kExecutable)) continue;
    for (uint32_t at = 0; at + 6 <= s.rawSize; ++at) {
      const uint64_t o = uint64_t{s.rawOffset} + at;
      uint32_t field = 0, length = 0;
      if (b.U8(o) == 0xFF && (b.U8(o + 1) == 0x15 || b.U8(o + 1) == 0x25)) {
        field = at + 2, length = 6;
      } else if ((b.U8(o) & 0xF0) == 0x40 && b.U8(o + 1) == 0x8B && (b.U8(o + 2) & 0xC7) == 0x05) {
        field = at + 3, length = 7;
      } else {
        continue;
      }
      const int32_t displacement = static_cast<int32_t>(b.U32(uint64_t{s.rawOffset} + field));
      const uint32_t target = s.rva + at + length + static_cast<uint32_t>(displacement);
      if (slots.count(target)) imports.references.push_back({s.rva + field, target});
    }
  }
}

}  // namespace

std::optional<PeImports> ReadPeImports(std::string_view file) {
  const LeBytes b(file);
  if (b.U16(0) != 0x5A4D) return std::nullopt;  // "MZ"
  const uint32_t pe = b.U32(0x3C);
  if (b.U32(pe) != 0x00004550u) return std::nullopt;  // "PE\0\0"
  const uint16_t machine = b.U16(pe + 4), sectionCount = b.U16(pe + 6), optionalSize = b.U16(pe + 20);
  const uint32_t optional = pe + 24;
  const uint16_t magic = b.U16(optional);
  Layout layout{};
  if (machine == 0x14C && magic == 0x10B) {
    layout = {PeMachine::kI686, b.U32(optional + 28), optional + 96, b.U32(optional + 92)};
  } else if (machine == 0x8664 && magic == 0x20B) {
    layout = {PeMachine::kX8664, b.U64(optional + 24), optional + 112, b.U32(optional + 108)};
  } else {
    return std::nullopt;
  }
  std::vector<Section> sections;
  for (uint32_t i = 0, s = optional + optionalSize; i < sectionCount; ++i, s += 40) {
    if (!b.Has(s, 40)) return std::nullopt;
    const uint32_t rawOffset = b.U32(s + 20);
    const uint32_t rawSize = b.Has(rawOffset, 0) ? std::min<uint64_t>(b.U32(s + 16), b.size() - rawOffset) : 0;
    sections.push_back({b.U32(s + 12), b.U32(s + 8), rawOffset, rawSize, b.U32(s + 36)});
  }
  const Image image(b, std::move(sections));

  PeImports imports;
  imports.machine = layout.machine;
  imports.loadTime = ReadLoadTimeImports(image, layout);
  imports.delayed = ReadDelayImports(image, layout);
  if (layout.machine == PeMachine::kI686) {
    FindAbsoluteReferences(image, layout, imports);
  } else {
    FindRipRelativeReferences(image, imports);
  }
  return imports;
}
