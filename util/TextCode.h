// Names of DVB descriptors (ETSI EN 300 468 Annex A). Text inside the program is UTF-8. On the
// wire a name that opens with a byte 0x01..0x1F names its character table with that selector:
//   0x01..0x0B ISO/IEC 8859-5..15, 0x10 0x00 n ISO/IEC 8859-n, 0x11 UCS-2 big-endian,
//   0x12 KS X 1001, 0x13 GB2312, 0x14 Big5, 0x15 UTF-8.
// A name without a selector is coded by the text code of setting.ini:
//   1: UCS-2 (written big-endian, read in host order; the first byte is never a selector),
//   3: UTF-8, 4: Big5 (shown Simplified, typed Simplified written Traditional), any other: CP936.
// Under text code 10 a new name is written as selector 0x14 + UCS-2 big-endian, and 0x14 is read so.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace quorvelin {

// The process-wide text code (set from setting.ini when a tree is created).
int TextCode();
void SetTextCode(int code);

// Wire bytes to text (UTF-8) by the name's selector, or under `code` when it has none; bytes
// that are not valid in the table come out as "?".
std::string DecodeName(const uint8_t* bytes, size_t count, int code);

// Text (UTF-8, up to a zero character) to wire bytes, never clipped. The table is that of
// `previous`, the name the text replaces, its selector kept; for a new name (previous empty) or
// one in a table that is not written here, the table of `code`. A character the table cannot
// hold comes out as "?": check with UnencodableCharacter first.
std::vector<uint8_t> EncodeName(const std::string& text, int code, std::span<const uint8_t> previous = {});
// The first character of `text` that EncodeName cannot put into its table (under text code 4
// after s2tw, named as typed); empty when every character fits.
std::string UnencodableCharacter(const std::string& text, int code, std::span<const uint8_t> previous = {});
// The table EncodeName writes in, for messages: "text code 3", "character table ISO/IEC 8859-5".
std::string NameTableName(int code, std::span<const uint8_t> previous = {});

// Names as the XML exchange codes them, whatever the text code: the first table that holds every
// character of the text, ISO/IEC 6937 (no selector), ISO/IEC 8859-15 (selector 0x0B), UTF-8 (0x15).
std::vector<uint8_t> EncodeExchangeText(const std::string& utf8);
// The text of a name in one of those tables; nothing for another selector or bytes that do not
// read in their table. Only names that EncodeExchangeText gives back byte for byte travel as text.
std::optional<std::string> DecodeExchangeText(std::span<const uint8_t> bytes);

}  // namespace quorvelin
