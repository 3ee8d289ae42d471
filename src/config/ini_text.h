// An INI file read as the Windows profile functions read it, for programs that run where
// those functions do not exist (the release kit) and for checking that they agree.
// Platform-free.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct IniEntry {
  std::wstring name;                 // blanks around it removed, case kept
  std::optional<std::wstring> value; // no value when the line has no '='
  int line = 0;                      // 1-based line of the file
};

struct IniSection {
  std::wstring name;  // as written between the brackets
  int line = 0;
  std::vector<IniEntry> entries;
};

class IniText {
 public:
  // Decodes a UTF-8 or UTF-16 text with its byte-order mark, any other text byte by byte;
  // lines end in CR, LF or both. Lines before the first section belong to one without a name.
  static IniText Parse(std::string_view bytes);

  // As the profile reader: names matched without regard to case after removing blanks
  // around the asked name; the first section of a name and its first entry of a key win.
  const IniSection* FindSection(std::wstring_view section) const;
  const IniEntry* FindEntry(std::wstring_view section, std::wstring_view key) const;

  // The profile string read into a buffer of `bufferChars` (the installer's is 260): one
  // pair of matching quotes around the value removed, at most bufferChars - 1 characters.
  std::wstring ReadString(std::wstring_view section, std::wstring_view key,
                          size_t bufferChars = 260) const;
  // The profile number: the first 29 characters of the string, blanks skipped, a sign,
  // decimal digits up to the first other character, wrapping at 32 bits; negative as 0.
  int ReadInt(std::wstring_view section, std::wstring_view key) const;

  const std::vector<IniSection>& sections() const { return sections_; }
  // Lines that are neither a section nor hold '=' (comments included), with their numbers.
  const std::vector<IniEntry>& loose_lines() const { return loose_; }

 private:
  std::vector<IniSection> sections_;
  std::vector<IniEntry> loose_;
};

// UTF-8 of a wide text (the kit's output), and back (invalid bytes taken as Latin-1).
std::string NarrowUtf8(std::wstring_view text);
std::wstring WidenUtf8(std::string_view text);
