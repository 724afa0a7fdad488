// Name encodings of DVB descriptors chosen by the text code of setting.ini.
// Typed and displayed names are CP936 (GBK) bytes; the wire coding depends on the code:
//   1: UCS-2 big-endian, 3: UTF-8, 4: Big5, 10: selector 0x14 + UCS-2 big-endian,
//   any other: bytes as typed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace quorvelin {

// The process-wide text code (set from setting.ini when a tree is created).
int TextCode();
void SetTextCode(int code);

// --- the fifteen conversions ---
int GbkToUcs2Be(uint16_t* out, int outUnits, const char* gbk, bool keepOrder);
int GbkToSelectorUcs2Be(uint8_t* out, int outUnits, const char* gbk, bool keepOrder);
int GbkToUtf8(char* out, int outSize, const char* gbk);
int GbkToBig5(char* out, const char* gbk);  // out holds at least 512 bytes
int Ucs2ByteLength(const char* gbk);
int Utf8ByteLength(const char* gbk);
int Big5ByteLength(const char* gbk);
void Ucs2LeToGbk(const uint8_t* bytes, int count, char* out, int outSize);
void SelectorUcs2BeToGbk(const uint8_t* bytes, int count, char* out, int outSize, bool keepOrder);
int Utf8ToAnsi(char* out, const uint8_t* utf8, int count);  // out holds at least 2*count+1 bytes
int Big5ToSimplifiedGbk(char* out, int outSize, const char* big5);
int EncodeUtf8Unit(uint8_t* out, uint16_t unit);
void Utf16ToUtf8(const uint16_t* units, int byteCount, uint8_t* out, int outSize);
void Utf16ToBig5(const uint16_t* text, char* out);  // out holds at least 512 bytes
std::vector<char> Utf16ToGbkAlloc(const uint16_t* text);  // NUL-terminated

// --- what the dialogs and parsers use ---
// Typed name (GBK) to wire bytes under `code`; the bytes as typed for codes without coding.
// Under code 4 Simplified characters are first turned into Traditional ones (s2tw). A character
// the code cannot hold comes out as '?': check with UnencodableCharacter first.
std::vector<uint8_t> EncodeName(const std::string& gbk, int code);
// The first character of the typed name (GBK) that EncodeName cannot put into `code`, as typed;
// empty when every character fits.
std::string UnencodableCharacter(const std::string& gbk, int code);
// Wire bytes to display text (GBK) under `code`; the bytes as they are for other codes.
std::string DecodeName(const uint8_t* bytes, size_t count, int code);

// Conversions at the editor's boundary (the core is CP936 inside, the screen Unicode).
std::string Cp936ToUtf8(const std::string& gbk);
std::string Utf8ToCp936(const std::string& utf8);

}  // namespace quorvelin
