#include "import_library.h"

#include <cstdint>
#include <cstdlib>

namespace {

constexpr std::string_view kArchiveMagic = "!<arch>\n";
constexpr size_t kMemberHeader = 60;
constexpr std::string_view kImportPrefix = "__imp_";

uint32_t BigEndian32(std::string_view s, size_t at) {
  uint32_t v = 0;
  for (size_t i = 0; i < 4; ++i) v = v << 8 | static_cast<unsigned char>(s[at + i]);
  return v;
}

std::string Undecorated(std::string_view symbol, PeMachine machine) {
  if (machine == PeMachine::kI686) {
    if (!symbol.empty() && symbol.front() == '_') symbol.remove_prefix(1);
    const size_t at = symbol.rfind('@');
    if (at != std::string_view::npos && at > 0 &&
        symbol.find_first_not_of("0123456789", at + 1) == std::string_view::npos)
      symbol = symbol.substr(0, at);
  }
  return std::string(symbol);
}

}  // namespace

std::optional<std::set<std::string>> ReadImportLibraryFunctions(std::string_view archive,
                                                                PeMachine machine) {
  if (archive.substr(0, kArchiveMagic.size()) != kArchiveMagic) return std::nullopt;
  const size_t header = kArchiveMagic.size();
  if (archive.size() < header + kMemberHeader) return std::nullopt;
  // The first member, named "/", is the index: a count, that many offsets, then the names.
  if (archive.substr(header, 2) != "/ ") return std::nullopt;
  const size_t size = std::strtoul(std::string(archive.substr(header + 48, 10)).c_str(), nullptr, 10);
  const size_t body = header + kMemberHeader;
  if (size < 4 || size > archive.size() - body) return std::nullopt;
  const std::string_view index = archive.substr(body, size);
  const uint32_t count = BigEndian32(index, 0);
  if (count > (index.size() - 4) / 4) return std::nullopt;

  std::set<std::string> functions;
  size_t at = 4 + size_t{count} * 4;
  for (uint32_t i = 0; i < count && at < index.size(); ++i) {
    const size_t end = index.find('\0', at);
    if (end == std::string_view::npos) return std::nullopt;
    const std::string_view symbol = index.substr(at, end - at);
    if (symbol.substr(0, kImportPrefix.size()) == kImportPrefix)
      functions.insert(Undecorated(symbol.substr(kImportPrefix.size()), machine));
    at = end + 1;
  }
  return functions;
}
