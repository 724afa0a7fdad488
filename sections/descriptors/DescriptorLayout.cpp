#include "sections/descriptors/DescriptorLayout.h"

#include <strings.h>

#include <cstring>

#include "util/Number.h"

namespace quorvelin {
namespace {

// True when every nibble of the `bits` low bits is a decimal digit.
bool IsBcd(uint64_t raw, int bits) {
  for (int i = 0; i < bits; i += 4)
    if (((raw >> i) & 0xF) > 9) return false;
  return true;
}

bool IsBcdShow(Show s) { return s == Show::Bcd || s == Show::BcdTenths; }

// Reads bits most significant first inside [0, end) of `data`; never past `end`.
class BitReader {
 public:
  BitReader(std::span<const uint8_t> data, size_t end) : data_(data), end_(end * 8) {}

  bool Has(size_t bits) const { return bits <= end_ - pos_; }
  bool Aligned() const { return pos_ % 8 == 0; }
  size_t BytePos() const { return pos_ / 8; }
  size_t BytesLeft() const { return (end_ - pos_) / 8; }
  bool AtEnd() const { return pos_ == end_; }
  uint64_t Take(int bits) {
    uint64_t v = 0;
    int i = 0;
    for (; i + 8 <= bits && pos_ % 8 == 0; i += 8, pos_ += 8) v = v << 8 | data_[pos_ / 8];  // whole bytes
    for (; i < bits; ++i, ++pos_) v = v << 1 | ((data_[pos_ / 8] >> (7 - pos_ % 8)) & 1);
    return v;
  }
  std::vector<uint8_t> TakeBytes(size_t n) {
    std::vector<uint8_t> b(data_.begin() + static_cast<std::ptrdiff_t>(BytePos()),
                           data_.begin() + static_cast<std::ptrdiff_t>(BytePos() + n));
    pos_ += n * 8;
    return b;
  }
  // A reader of the next `n` bytes; this one moves past them.
  BitReader Part(size_t n) {
    BitReader r(data_, BytePos() + n);
    r.pos_ = pos_;
    pos_ += n * 8;
    return r;
  }

 private:
  std::span<const uint8_t> data_;
  size_t end_;
  size_t pos_ = 0;
};

class BitWriter {
 public:
  void Put(uint64_t v, int bits) {
    for (; bits >= 8 && pos_ % 8 == 0; bits -= 8, pos_ += 8) bytes_.push_back(static_cast<uint8_t>(v >> (bits - 8)));
    for (int i = bits - 1; i >= 0; --i, ++pos_) {
      if (pos_ % 8 == 0) bytes_.push_back(0);
      if ((v >> i) & 1) bytes_.back() |= static_cast<uint8_t>(0x80 >> (pos_ % 8));
    }
  }
  bool Aligned() const { return pos_ % 8 == 0; }
  void PutBytes(const std::vector<uint8_t>& b) {
    bytes_.insert(bytes_.end(), b.begin(), b.end());
    pos_ += b.size() * 8;
  }
  std::vector<uint8_t>& bytes() { return bytes_; }

 private:
  std::vector<uint8_t> bytes_;
  size_t pos_ = 0;
};

struct Scope {
  const Group& group;
  const Scope* outer;
};

// The flag `name` in the group being read or any group around it.
uint64_t FlagValue(const Scope* scope, const char* name) {
  for (; scope; scope = scope->outer)
    for (const Value& v : scope->group.values)
      if (v.field->op == Op::Bits && v.field->name && std::strcmp(v.field->name, name) == 0) return v.number;
  return 0;
}

bool DecodeGroup(std::span<const Field> layout, BitReader& r, Group& g, const Scope* outer, bool whole);

bool DecodeEntries(const Field& f, BitReader r, Value& v, const Scope& scope) {
  while (!r.AtEnd()) {
    Group entry;
    if (!DecodeGroup(f.sub, r, entry, &scope, false)) return false;
    v.entries.push_back(std::move(entry));
  }
  return true;
}

bool DecodeField(const Field& f, BitReader& r, Value& v, const Scope& scope) {
  v.field = &f;
  switch (f.op) {
    case Op::Bits:
    case Op::Reserved:
      if (!r.Has(static_cast<size_t>(f.bits))) return false;
      v.number = r.Take(f.bits);
      return !IsBcdShow(f.show) || IsBcd(v.number, f.bits);  // a non-decimal digit is no value
    case Op::Char3:
      if (!r.Aligned() || r.BytesLeft() < 3) return false;
      v.bytes = r.TakeBytes(3);
      return true;
    case Op::Text8: {
      if (!r.Aligned() || r.BytesLeft() < 1) return false;
      const auto n = static_cast<size_t>(r.Take(8));
      if (r.BytesLeft() < n) return false;
      v.bytes = r.TakeBytes(n);
      return true;
    }
    case Op::TextRest:
    case Op::BytesRest:
      if (!r.Aligned()) return false;
      v.bytes = r.TakeBytes(r.BytesLeft());
      return true;
    case Op::Loop:
      if (!r.Aligned()) return false;
      return DecodeEntries(f, r.Part(r.BytesLeft()), v, scope);
    case Op::Loop8: {
      if (!r.Aligned() || r.BytesLeft() < 1) return false;
      const auto n = static_cast<size_t>(r.Take(8));
      if (r.BytesLeft() < n) return false;
      return DecodeEntries(f, r.Part(n), v, scope);
    }
    case Op::Opt:
    case Op::Unless:
    case Op::IfMore: {
      const bool present = f.op == Op::IfMore ? !r.AtEnd() : (FlagValue(&scope, f.flag) != 0) == (f.op == Op::Opt);
      if (!present) return true;
      Group part;
      if (!DecodeGroup(f.sub, r, part, &scope, false)) return false;
      v.entries.push_back(std::move(part));
      return true;
    }
  }
  return false;
}

bool DecodeGroup(std::span<const Field> layout, BitReader& r, Group& g, const Scope* outer, bool whole) {
  g.values.reserve(layout.size());
  const Scope scope{g, outer};
  for (const Field& f : layout) {
    g.values.emplace_back();
    if (!DecodeField(f, r, g.values.back(), scope)) return false;
  }
  return !whole || r.AtEnd();
}

// Whether the part that the flag `name` announces is there, for a presence flag.
std::optional<bool> AnnouncedPart(const Group& g, const char* name) {
  for (const Value& v : g.values)
    if ((v.field->op == Op::Opt || v.field->op == Op::Unless) && std::strcmp(v.field->flag, name) == 0)
      return v.field->op == Op::Opt ? !v.entries.empty() : v.entries.empty();
  return std::nullopt;
}

bool EncodeGroup(const Group& g, BitWriter& w);

bool EncodeEntries(const Value& v, BitWriter& w, bool lengthByte) {
  BitWriter inner;
  for (const Group& e : v.entries)
    if (!EncodeGroup(e, inner)) return false;
  if (lengthByte) {
    if (inner.bytes().size() > 255) return false;
    w.Put(inner.bytes().size(), 8);
  }
  w.PutBytes(inner.bytes());
  return true;
}

bool EncodeGroup(const Group& g, BitWriter& w) {
  for (const Value& v : g.values) {
    const Field& f = *v.field;
    switch (f.op) {
      case Op::Bits: {
        uint64_t n = v.number;
        if (f.show == Show::Implicit)
          if (const auto present = AnnouncedPart(g, f.name)) n = *present ? 1 : 0;
        w.Put(n, f.bits);
        break;
      }
      case Op::Reserved:
        w.Put(~uint64_t{0}, f.bits);
        break;
      case Op::Char3:
      case Op::TextRest:
      case Op::BytesRest:
        if (!w.Aligned()) return false;
        w.PutBytes(v.bytes);
        break;
      case Op::Text8:
        if (!w.Aligned() || v.bytes.size() > 255) return false;
        w.Put(v.bytes.size(), 8);
        w.PutBytes(v.bytes);
        break;
      case Op::Loop:
      case Op::Loop8:
        if (!w.Aligned() || !EncodeEntries(v, w, f.op == Op::Loop8)) return false;
        break;
      case Op::Opt:
      case Op::Unless:
      case Op::IfMore:
        for (const Group& part : v.entries)
          if (!EncodeGroup(part, w)) return false;
        break;
    }
  }
  return true;
}

uint64_t Bcd(uint64_t raw, int digits, bool& exact) {
  uint64_t value = 0;
  for (int i = digits - 1; i >= 0; --i) {
    const uint64_t nibble = (raw >> (4 * i)) & 0xF;
    if (nibble > 9) exact = false;
    value = value * 10 + nibble;
  }
  return value;
}

uint64_t ToBcd(uint64_t value, int digits) {
  uint64_t raw = 0;
  for (int i = 0; i < digits; ++i, value /= 10) raw |= (value % 10) << (4 * i);
  return raw;
}

// Hz per unit of a frequency_list entry by coding_type (EN 300 468 6.2.17): satellite BCD in
// 10 kHz, cable BCD in 100 Hz, terrestrial binary in 10 Hz; 0 for an undefined coding.
uint64_t FrequencyUnit(uint64_t coding) { return coding == 1 ? 10000 : coding == 2 ? 100 : coding == 3 ? 10 : 0; }

}  // namespace

std::optional<Group> DecodeLayout(std::span<const Field> layout, std::span<const uint8_t> data) {
  BitReader r(data, data.size());
  Group g;
  if (!DecodeGroup(layout, r, g, nullptr, true)) return std::nullopt;
  return g;
}

std::optional<std::vector<uint8_t>> EncodeLayout(const Group& group) {
  BitWriter w;
  if (!EncodeGroup(group, w) || !w.Aligned()) return std::nullopt;
  return std::move(w.bytes());
}

uint64_t NumberOf(const Group& group, const char* name) {
  const Scope scope{group, nullptr};
  return FlagValue(&scope, name);
}

std::string FieldText(const Field& f, uint64_t raw, const Group& root) {
  for (const Symbol& s : f.symbols)
    if (s.value == raw) return s.name;
  // A code without a name in hexadecimal: a decimal number may open a name ("6" of "6MHz"),
  // and TSDuck takes a unique opening for the name.
  const Show show = !f.symbols.empty() && f.show == Show::Dec ? Show::Hex : f.show;
  bool exact = true;
  switch (show) {
    case Show::Hex:
      return Format("0x%0*llX", (f.bits + 3) / 4, static_cast<unsigned long long>(raw));
    case Show::Bool:
      return raw ? "true" : "false";
    case Show::Scaled:
      return Format("%llu", static_cast<unsigned long long>(raw * f.scale));
    case Show::Bcd:
      return Format("%llu", static_cast<unsigned long long>(Bcd(raw, f.bits / 4, exact) * f.scale));
    case Show::BcdTenths: {
      const uint64_t tenths = Bcd(raw, f.bits / 4, exact);
      return Format("%llu.%llu", static_cast<unsigned long long>(tenths / 10), static_cast<unsigned long long>(tenths % 10));
    }
    case Show::Frequency: {
      const uint64_t coding = NumberOf(root, "coding_type");
      const uint64_t units = coding == 1 || coding == 2 ? Bcd(raw, 8, exact) : raw;
      return Format("%llu", static_cast<unsigned long long>(coding == 0 ? raw : units * FrequencyUnit(coding)));
    }
    case Show::TeletextPage: {
      const uint64_t magazine = raw >> 8;
      return Format("%llu", static_cast<unsigned long long>((magazine == 0 ? 8 : magazine) * 100 + Bcd(raw & 0xFF, 2, exact)));
    }
    default:
      return Format("%llu", static_cast<unsigned long long>(raw));
  }
}

std::optional<uint64_t> FieldNumber(const Field& f, uint64_t shown, const Group& root) {
  uint64_t raw = shown;
  switch (f.show) {
    case Show::Scaled:
      if (shown % f.scale != 0) return std::nullopt;
      raw = shown / f.scale;
      break;
    case Show::Frequency: {
      const uint64_t coding = NumberOf(root, "coding_type"), unit = FrequencyUnit(coding);
      if (unit == 0) break;
      if (shown % unit != 0) return std::nullopt;
      raw = shown / unit;
      if (coding != 3) {
        if (raw > 99999999) return std::nullopt;
        raw = ToBcd(raw, 8);
      }
      break;
    }
    case Show::Bcd:
    case Show::BcdTenths: {
      const uint32_t scale = f.show == Show::Bcd ? f.scale : 1;
      if (shown % scale != 0) return std::nullopt;
      raw = shown / scale;
      uint64_t limit = 1;
      for (int i = 0; i < f.bits / 4; ++i) limit *= 10;
      if (raw >= limit) return std::nullopt;
      raw = ToBcd(raw, f.bits / 4);
      break;
    }
    case Show::TeletextPage:
      if (shown < 100 || shown > 899) return std::nullopt;
      raw = (shown / 100 % 8) << 8 | ToBcd(shown % 100, 2);
      break;
    default:
      break;
  }
  if (f.bits < 64 && raw >> f.bits) return std::nullopt;
  return raw;
}

std::optional<uint64_t> FieldSymbol(const Field& f, std::string_view text) {
  // A name in any case, or the opening of one name only (TSDuck's reading).
  const Symbol* opening = nullptr;
  int openings = 0;
  for (const Symbol& s : f.symbols) {
    if (text.empty() || text.size() > std::strlen(s.name) || strncasecmp(text.data(), s.name, text.size()) != 0) continue;
    if (text.size() == std::strlen(s.name)) return s.value;
    opening = &s;
    ++openings;
  }
  if (openings == 1) return opening->value;
  if (f.show != Show::BcdTenths) return std::nullopt;
  // "dd.d": whole degrees, a point and one digit of tenths.
  const size_t point = text.find('.');
  if (point == std::string_view::npos || point == 0 || point + 2 != text.size()) return std::nullopt;
  uint64_t tenths = 0;
  for (const char c : text) {
    if (c == '.') continue;
    if (c < '0' || c > '9' || tenths > UINT32_MAX) return std::nullopt;
    tenths = tenths * 10 + static_cast<uint64_t>(c - '0');
  }
  Group none;
  return FieldNumber(f, tenths, none);
}

}  // namespace quorvelin
