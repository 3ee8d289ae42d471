// A smallest PE image with one version resource, for the kit's tests.
#pragma once

#include <cstdint>
#include <string>

inline void PutU16(std::string& s, size_t at, uint32_t v) {
  s[at] = static_cast<char>(v & 0xFF);
  s[at + 1] = static_cast<char>((v >> 8) & 0xFF);
}
inline void PutU32(std::string& s, size_t at, uint32_t v) {
  PutU16(s, at, v & 0xFFFF);
  PutU16(s, at + 2, v >> 16);
}

// File version 9.9.9.9 and the given product version words: the kit must read the latter.
inline std::string SyntheticPe(uint32_t productMs, uint32_t productLs) {
  std::string pe(0x200 + 0x100, '\0');
  PutU16(pe, 0, 0x5A4D);
  PutU32(pe, 0x3C, 0x40);
  PutU32(pe, 0x40, 0x00004550);
  PutU16(pe, 0x44, 0x14C);
  PutU16(pe, 0x46, 1);           // one section
  PutU16(pe, 0x54, 0xE0);        // optional header size
  const size_t opt = 0x58;
  PutU16(pe, opt, 0x10B);
  PutU32(pe, opt + 92, 16);      // data directories
  PutU32(pe, opt + 96 + 16, 0x1000);
  PutU32(pe, opt + 96 + 20, 0x100);
  const size_t sec = opt + 0xE0;
  pe.replace(sec, 5, ".rsrc");
  PutU32(pe, sec + 8, 0x100);
  PutU32(pe, sec + 12, 0x1000);
  PutU32(pe, sec + 16, 0x100);
  PutU32(pe, sec + 20, 0x200);
  const size_t r = 0x200;
  PutU16(pe, r + 14, 1);                       // type directory: RT_VERSION
  PutU32(pe, r + 16, 16);
  PutU32(pe, r + 20, 0x80000000u | 0x18);
  PutU16(pe, r + 0x18 + 14, 1);                // name directory: 1
  PutU32(pe, r + 0x18 + 16, 1);
  PutU32(pe, r + 0x18 + 20, 0x80000000u | 0x30);
  PutU16(pe, r + 0x30 + 14, 1);                // language directory: 0x409
  PutU32(pe, r + 0x30 + 16, 0x409);
  PutU32(pe, r + 0x30 + 20, 0x48);
  PutU32(pe, r + 0x48, 0x1000 + 0x58);         // data entry
  PutU32(pe, r + 0x48 + 4, 92);
  const size_t v = r + 0x58;
  PutU16(pe, v, 92);
  PutU16(pe, v + 2, 52);
  const char* key = "VS_VERSION_INFO";
  for (size_t i = 0; key[i]; ++i) PutU16(pe, v + 6 + 2 * i, static_cast<unsigned char>(key[i]));
  PutU32(pe, v + 40, 0xFEEF04BDu);
  PutU32(pe, v + 48, 0x00090009);
  PutU32(pe, v + 52, 0x00090009);
  PutU32(pe, v + 56, productMs);
  PutU32(pe, v + 60, productLs);
  return pe;
}
