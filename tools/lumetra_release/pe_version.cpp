#include "pe_version.h"

#include <algorithm>
#include <cstdint>

#include "le_bytes.h"
#include "system/probe_rules.h"

namespace {

constexpr uint32_t kVersionResourceType = 16;  // RT_VERSION
constexpr uint32_t kFixedInfoSignature = 0xFEEF04BDu;

// The file offset of a relative virtual address, through the section table.
std::optional<uint32_t> FileOffset(const LeBytes& b, uint32_t sections, uint16_t count, uint32_t rva) {
  for (uint16_t i = 0; i < count; ++i) {
    const uint32_t s = sections + i * 40u;
    const uint32_t va = b.U32(s + 12), rawSize = b.U32(s + 16), raw = b.U32(s + 20);
    const uint32_t size = std::max(b.U32(s + 8), rawSize);
    if (rva >= va && rva - va < size && rva - va < rawSize) return raw + (rva - va);
  }
  return std::nullopt;
}

// The first entry of a resource directory, or the one with `id`; its offset in the tree.
std::optional<uint32_t> DirectoryEntry(const LeBytes& b, uint32_t root, uint32_t dir,
                                       std::optional<uint32_t> id, bool wantDirectory) {
  const uint32_t named = b.U16(root + dir + 12), ids = b.U16(root + dir + 14);
  for (uint32_t i = 0; i < named + ids; ++i) {
    const uint32_t e = root + dir + 16 + i * 8;
    if (!b.Has(e, 8)) return std::nullopt;
    const uint32_t name = b.U32(e), target = b.U32(e + 4);
    if (id && ((name & 0x80000000u) || name != *id)) continue;
    if (((target & 0x80000000u) != 0) != wantDirectory) return std::nullopt;
    return target & 0x7FFFFFFFu;
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::wstring> ReadPeProductVersion(std::string_view image) {
  const LeBytes b(image);
  if (b.U16(0) != 0x5A4D) return std::nullopt;  // "MZ"
  const uint32_t pe = b.U32(0x3C);
  if (b.U32(pe) != 0x00004550u) return std::nullopt;  // "PE\0\0"
  const uint16_t sectionCount = b.U16(pe + 6), optionalSize = b.U16(pe + 20);
  const uint32_t optional = pe + 24;
  const uint16_t magic = b.U16(optional);
  const uint32_t directories = optional + (magic == 0x20B ? 112u : magic == 0x10B ? 96u : 0u);
  if (directories == optional || b.U32(directories - 4) < 3) return std::nullopt;
  const uint32_t resourceRva = b.U32(directories + 2 * 8);
  const auto root = FileOffset(b, optional + optionalSize, sectionCount, resourceRva);
  if (!resourceRva || !root) return std::nullopt;

  // Type, then name, then language: the first version resource's first language.
  const auto names = DirectoryEntry(b, *root, 0, kVersionResourceType, true);
  if (!names) return std::nullopt;
  const auto languages = DirectoryEntry(b, *root, *names, std::nullopt, true);
  if (!languages) return std::nullopt;
  const auto data = DirectoryEntry(b, *root, *languages, std::nullopt, false);
  if (!data) return std::nullopt;
  const auto block = FileOffset(b, optional + optionalSize, sectionCount, b.U32(*root + *data));
  const uint32_t blockSize = b.U32(*root + *data + 4);
  if (!block || !b.Has(*block, blockSize)) return std::nullopt;

  // VS_VERSIONINFO: length, value length, type, "VS_VERSION_INFO\0" and padding: 40 bytes.
  const uint32_t valueLength = b.U16(*block + 2);
  const uint32_t fixed = *block + 40;
  if (valueLength < 52 || fixed + 52 > *block + blockSize) return std::nullopt;
  if (b.U32(fixed) != kFixedInfoSignature) return std::nullopt;
  return FormatProductVersion(b.U32(fixed + 16), b.U32(fixed + 20), false);
}
