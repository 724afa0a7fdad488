#include "sections/TsduckXml.h"

#include <pugixml.hpp>
#include <strings.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstring>
#include <initializer_list>
#include <map>
#include <optional>
#include <stdexcept>

#include "sections/Packets.h"
#include "sections/SectionReader.h"
#include "sections/TableIds.h"
#include "sections/descriptors/DescriptorRegistry.h"
#include "util/DateTime.h"
#include "util/Number.h"
#include "util/TextCode.h"

namespace quorvelin {
namespace {

using Section = std::vector<uint8_t>;

constexpr size_t kMaxSection = 1024;  // EN 300 468 5.1.1 / ISO/IEC 13818-1: a section fits 1024 bytes

const char* const kRunningStatus[] = {"undefined", "not-running", "starting", "pausing", "running", "off-air"};

uint16_t U16(const Section& s, size_t at) { return static_cast<uint16_t>(s[at] << 8 | s[at + 1]); }
size_t Length12(const Section& s, size_t at) { return static_cast<size_t>(s[at] & 0x0F) << 8 | s[at + 1]; }

// ---------------------------------------------------------------- sections of a port

SectionBytesList TableSections(const Packets& table) {
  SectionBytesList out;
  for (Packets p : SectionPackets(table)) {
    if (p.size() < kPacketSize) continue;
    UnpackPackets(static_cast<int>(p.size() / kPacketSize), p.data(), p.size());
    const size_t length = 3 + ((static_cast<size_t>(p[1] & 0x0F) << 8) | p[2]);
    if (length <= p.size()) out.emplace_back(p.begin(), p.begin() + static_cast<long>(length));
  }
  return out;
}

void Append(SectionBytesList& to, SectionBytesList from) {
  for (Section& s : from) to.push_back(std::move(s));
}

// ---------------------------------------------------------------- UTC_time

// "YYYY-MM-DD hh:mm:ss" of a UTC_time field (MJD and BCD, EN 300 468 Annex C).
std::string UtcText(const uint8_t* utc) {
  const DateParts p = BreakDown(DateOfMjd(utc[0] << 8 | utc[1], 0, 0, 0));
  return Format("%04d-%02d-%02d %02d:%02d:%02d", p.year, p.month, p.day, FromBcdByte(utc[2]), FromBcdByte(utc[3]),
                FromBcdByte(utc[4]));
}

// Six numbers, any characters that are not digits between them ("2020-12-01T15:10:21Z" too).
bool UtcFromText(const char* text, uint8_t* utc) {
  int parts[6] = {};
  int count = 0;
  for (const char* p = text; *p;) {
    if (!std::isdigit(static_cast<unsigned char>(*p))) {
      ++p;
      continue;
    }
    if (count == 6) return false;
    long v = 0;
    for (; std::isdigit(static_cast<unsigned char>(*p)); ++p)
      if ((v = v * 10 + (*p - '0')) > 9999) return false;
    parts[count++] = static_cast<int>(v);
  }
  if (count != 6) return false;
  const int y = parts[0], mo = parts[1], d = parts[2], h = parts[3], mi = parts[4], sec = parts[5];
  if (!MakeDate(y, mo, d, h, mi, sec).valid() || y < 1900 || y > 2038) return false;
  const int mjd = MjdOfDate(y, mo, d);
  if (mjd < 0 || mjd > 0xFFFF) return false;
  utc[0] = static_cast<uint8_t>(mjd >> 8);
  utc[1] = static_cast<uint8_t>(mjd);
  utc[2] = ToBcdByte(h);
  utc[3] = ToBcdByte(mi);
  utc[4] = ToBcdByte(sec);
  return true;
}

// ---------------------------------------------------------------- text of fields

// Text fields travel as text when they compile back to the same bytes (TSDuck codes a name in
// the first of ISO/IEC 6937, ISO/IEC 8859-15 and UTF-8 that holds it).
std::optional<std::string> XmlText(const std::vector<uint8_t>& bytes) {
  std::optional<std::string> text = DecodeExchangeText(bytes);
  if (!text || EncodeExchangeText(*text) != bytes) return std::nullopt;
  return text;
}

std::vector<uint8_t> TextBytes(const std::string& text) { return EncodeExchangeText(text); }

// Element and attribute names are compared without regard to case (ASCII), as TSDuck does.
bool SameName(const char* a, const char* b) {
  for (;; ++a, ++b) {
    unsigned char x = static_cast<unsigned char>(*a), y = static_cast<unsigned char>(*b);
    if (x != y) {
      if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x + 32);
      if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y + 32);
      if (x != y) return false;
    }
    if (x == 0) return true;
  }
}

int HexDigit(char c) {
  return c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
}

constexpr char kHexDigits[] = "0123456789ABCDEF";

// The digits of `v` in `base` (10 or 16, capitals), at least `width` of them, into `text`;
// their count (at most 20).
inline size_t Digits(char* text, uint64_t v, unsigned base, int width) {
  char rev[20];
  int n = 0;
  do {
    rev[n++] = kHexDigits[v % base];
    v /= base;
  } while (v != 0);
  while (n < width && n < 16) rev[n++] = '0';
  for (int i = 0; i < n; ++i) text[i] = rev[n - 1 - i];
  return static_cast<size_t>(n);
}

// "0x" and at least `digits` hexadecimal digits into `text` (18 chars); its length.
size_t HexNumber(char* text, uint64_t v, int digits) {
  text[0] = '0';
  text[1] = 'x';
  return 2 + Digits(text + 2, v, 16, digits);
}

size_t DecUnsigned(char* text, uint64_t v) { return Digits(text, v, 10, 1); }

// Decimal, with a minus sign when negative (21 chars).
size_t DecNumber(char* text, int64_t v) {
  if (v >= 0) return DecUnsigned(text, static_cast<uint64_t>(v));
  text[0] = '-';
  return 1 + DecUnsigned(text + 1, 0 - static_cast<uint64_t>(v));
}

void AppendHexText(std::string& to, std::span<const uint8_t> bytes) {
  for (uint8_t b : bytes) {
    to.push_back(kHexDigits[b >> 4]);
    to.push_back(kHexDigits[b & 0xF]);
  }
}

// ---------------------------------------------------------------- elements as the readers see them

// An element of a parsed document.
class DocNode {
 public:
  DocNode() = default;
  explicit DocNode(pugi::xml_node n) : n_(n) {}
  explicit operator bool() const { return static_cast<bool>(n_); }
  const char* Name() const { return n_.name(); }
  // The value of the first attribute of that name; nullptr when there is none.
  const char* Attr(const char* name) const {
    for (pugi::xml_attribute a = n_.first_attribute(); a; a = a.next_attribute())
      if (SameName(a.name(), name)) return a.value();
    return nullptr;
  }
  template <class F>
  void EachAttr(F f) const {
    for (pugi::xml_attribute a = n_.first_attribute(); a; a = a.next_attribute()) f(a.name());
  }
  DocNode FirstChild() const { return Element(n_.first_child()); }  // elements only
  DocNode Next() const { return Element(n_.next_sibling()); }
  const char* Text() const { return n_.child_value(); }
  ptrdiff_t Offset() const {  // at its "<"
    const ptrdiff_t o = n_.offset_debug();
    return o > 0 ? o - 1 : 0;
  }

 private:
  static DocNode Element(pugi::xml_node n) {
    while (n && n.type() != pugi::node_element) n = n.next_sibling();
    return DocNode(n);
  }
  pugi::xml_node n_;
};

class XmlOut;

// A descriptor's element being written, in flat arrays reused from one descriptor to the next:
// made from the fields, compiled back by the same reader as a document's element, then written.
class Scratch {
 public:
  void Clear() {
    nodes_.clear();
    attrs_.clear();
    values_.clear();
  }
  int Element(int parent, const char* name) {
    const int i = static_cast<int>(nodes_.size());
    nodes_.push_back({name});
    if (parent >= 0) {
      Node& p = nodes_[static_cast<size_t>(parent)];
      if (p.lastChild >= 0) nodes_[static_cast<size_t>(p.lastChild)].next = i;
      else p.firstChild = i;
      p.lastChild = i;
    }
    return i;
  }
  void Attr(int node, const char* name, std::string_view value) {
    const int a = static_cast<int>(attrs_.size());
    attrs_.push_back({name, Store(value)});
    Node& n = nodes_[static_cast<size_t>(node)];
    if (n.lastAttr >= 0) attrs_[static_cast<size_t>(n.lastAttr)].next = a;
    else n.firstAttr = a;
    n.lastAttr = a;
  }
  void SetText(int node, std::string_view text) { nodes_[static_cast<size_t>(node)].text = Store(text); }
  void Write(XmlOut& out, int node) const;

 private:
  friend class ScratchNode;
  struct Node {
    const char* name;
    int firstAttr = -1, lastAttr = -1, firstChild = -1, lastChild = -1, next = -1;
    ptrdiff_t text = -1;  // into values_
  };
  struct Attribute {
    const char* name;
    size_t value;  // into values_
    int next = -1;
  };
  size_t Store(std::string_view v) {
    const size_t at = values_.size();
    values_.append(v);
    values_.push_back('\0');
    return at;
  }
  std::vector<Node> nodes_;
  std::vector<Attribute> attrs_;
  std::string values_;  // values, each ended by NUL as a parsed document's
};

class ScratchNode {
 public:
  ScratchNode() = default;
  ScratchNode(const Scratch& s, int i) : s_(&s), i_(i) {}
  explicit operator bool() const { return i_ >= 0; }
  const char* Name() const { return node().name; }
  const char* Attr(const char* name) const {
    for (int a = node().firstAttr; a >= 0; a = attr(a).next)
      if (SameName(attr(a).name, name)) return s_->values_.c_str() + attr(a).value;
    return nullptr;
  }
  template <class F>
  void EachAttr(F f) const {
    for (int a = node().firstAttr; a >= 0; a = attr(a).next) f(attr(a).name);
  }
  ScratchNode FirstChild() const { return {*s_, node().firstChild}; }
  ScratchNode Next() const { return {*s_, node().next}; }
  const char* Text() const { return node().text < 0 ? "" : s_->values_.c_str() + node().text; }
  ptrdiff_t Offset() const { return 0; }

 private:
  const Scratch::Node& node() const { return s_->nodes_[static_cast<size_t>(i_)]; }
  const Scratch::Attribute& attr(int a) const { return s_->attrs_[static_cast<size_t>(a)]; }
  const Scratch* s_ = nullptr;
  int i_ = -1;
};

template <class Node>
Node ChildOf(Node e, const char* name) {
  for (Node c = e.FirstChild(); c; c = c.Next())
    if (SameName(c.Name(), name)) return c;
  return {};
}

// ---------------------------------------------------------------- XML out

// The text of a document as pugixml saves it with format_default and an indent of two blanks:
// each element on a line of its own, "<a />" when empty, "<a>text</a>" for text alone.
class XmlOut {
 public:
  explicit XmlOut(std::string& out) : out_(out) { out_ += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"; }
  void Open(const char* name) {
    if (!open_.empty() && open_.back().state == State::Tag) {
      out_ += '>';
      open_.back().state = State::Children;
    }
    out_ += '\n';
    out_.append(2 * open_.size(), ' ');
    out_ += '<';
    out_ += name;
    open_.push_back({name, State::Tag});
  }
  void Attr(const char* name, std::string_view value) {
    out_ += ' ';
    out_ += name;
    out_ += "=\"";
    Escaped(value, true);
    out_ += '"';
  }
  void Hex(const char* name, uint64_t v, int digits) {
    char text[20];
    Attr(name, std::string_view(text, HexNumber(text, v, digits)));
  }
  void Unsigned(const char* name, uint64_t v) {
    char text[24];
    Attr(name, std::string_view(text, DecUnsigned(text, v)));
  }
  void Bool(const char* name, bool v) { Attr(name, v ? "true" : "false"); }
  // Text of an element without children, on the element's line.
  void Text(std::string_view text) {
    out_ += '>';
    Escaped(text, false);
    open_.back().state = State::Text;
  }
  void HexText(std::span<const uint8_t> bytes) {
    out_ += '>';
    AppendHexText(out_, bytes);
    open_.back().state = State::Text;
  }
  void Close() {
    const Open_ o = open_.back();
    open_.pop_back();
    if (o.state == State::Tag) {
      out_ += " />";
      return;
    }
    if (o.state == State::Children) {
      out_ += '\n';
      out_.append(2 * open_.size(), ' ');
    }
    out_ += "</";
    out_ += o.name;
    out_ += '>';
  }
  void End() { out_ += '\n'; }

 private:
  enum class State : uint8_t { Tag, Children, Text };
  struct Open_ {
    const char* name;
    State state;
  };
  // As pugixml escapes: & and < always; " and control characters (as two-digit "&#NN;") in
  // attributes; > and control characters but tab, line feed and carriage return in text; ends at NUL.
  void Escaped(std::string_view v, bool attribute) {
    size_t plain = 0;  // start of the characters not yet written
    for (size_t i = 0; i < v.size(); ++i) {
      const char c = v[i];
      const auto u = static_cast<unsigned char>(c);
      if (u >= 32 && c != '&' && c != '<' && c != '>' && c != '"') continue;
      out_.append(v.data() + plain, i - plain);
      plain = i + 1;
      if (u == 0) return;
      if (c == '&') out_ += "&amp;";
      else if (c == '<') out_ += "&lt;";
      else if (c == '>' && !attribute) out_ += "&gt;";
      else if (c == '"' && attribute) out_ += "&quot;";
      else if (u < 32 && (attribute || (c != '\t' && c != '\n' && c != '\r'))) {
        const char code[] = {'&', '#', static_cast<char>('0' + u / 10), static_cast<char>('0' + u % 10), ';'};
        out_.append(code, sizeof code);
      } else {
        out_ += c;
      }
    }
    out_.append(v.data() + plain, v.size() - plain);
  }
  std::string& out_;
  std::vector<Open_> open_;
};

void Scratch::Write(XmlOut& out, int node) const {
  const Node& n = nodes_[static_cast<size_t>(node)];
  out.Open(n.name);
  for (int a = n.firstAttr; a >= 0; a = attrs_[static_cast<size_t>(a)].next)
    out.Attr(attrs_[static_cast<size_t>(a)].name, values_.c_str() + attrs_[static_cast<size_t>(a)].value);
  if (n.text >= 0) out.Text(values_.c_str() + n.text);
  for (int c = n.firstChild; c >= 0; c = nodes_[static_cast<size_t>(c)].next) Write(out, c);
  out.Close();
}

// The group's attributes and children on element `e`; false when a field cannot be written as text.
bool PutGroup(Scratch& x, int e, const Group& g, const Group& root) {
  char text[24];
  for (const Value& v : g.values) {
    const Field& f = *v.field;
    switch (f.op) {
      case Op::Bits:
        if (f.show == Show::Hex) x.Attr(e, f.name, std::string_view(text, HexNumber(text, v.number, (f.bits + 3) / 4)));
        else if (f.show == Show::Bool) x.Attr(e, f.name, v.number ? "true" : "false");
        else if (f.show == Show::Dec && f.symbols.empty()) x.Attr(e, f.name, std::string_view(text, DecUnsigned(text, v.number)));
        else if (f.show != Show::Implicit) x.Attr(e, f.name, FieldText(f, v.number, root));
        break;
      case Op::Reserved:
        break;
      case Op::Char3: {
        const auto t = XmlText(v.bytes);
        if (!t || t->size() != 3) return false;
        x.Attr(e, f.name, *t);
        break;
      }
      case Op::Text8:
      case Op::TextRest: {
        const auto t = XmlText(v.bytes);
        if (!t) return false;
        x.Attr(e, f.name, *t);
        break;
      }
      case Op::BytesRest:
        if (!v.bytes.empty()) {
          std::string hex;
          AppendHexText(hex, v.bytes);
          x.SetText(x.Element(e, f.name), hex);
        }
        break;
      case Op::Loop:
      case Op::Loop8:
        for (const Group& entry : v.entries)
          if (!PutGroup(x, x.Element(e, f.name), entry, root)) return false;
        break;
      case Op::Opt:
      case Op::Unless:
      case Op::IfMore:
        for (const Group& part : v.entries)
          if (!PutGroup(x, f.name ? x.Element(e, f.name) : e, part, root)) return false;
        break;
    }
  }
  return true;
}

struct XmlError : std::runtime_error {
  XmlError(ptrdiff_t at, const std::string& what) : std::runtime_error(what), offset(at) {}
  ptrdiff_t offset;
};

template <class Node>
std::vector<uint8_t> CompileDescriptor(Node e);

void PutGeneric(XmlOut& out, uint8_t tag, std::span<const uint8_t> data) {
  out.Open("generic_descriptor");
  out.Hex("tag", tag, 2);
  out.HexText(data);
  out.Close();
}

// local_time_offset_descriptor (EN 300 468 6.2.20), 13 bytes per region; TSDuck gives the
// offsets in signed minutes (local_time_offset_polarity applies to both).
constexpr uint8_t kLocalTimeOffsetTag = 0x58;
constexpr const char* kLocalTimeOffsetElement = "local_time_offset_descriptor";
constexpr size_t kRegionBytes = 13;
constexpr int64_t kMaxOffsetMinutes = 780;

bool PutLocalTimeOffset(Scratch& x, int e, std::span<const uint8_t> data) {
  if (data.size() % kRegionBytes != 0) return false;
  char text[24];
  for (size_t at = 0; at < data.size(); at += kRegionBytes) {
    const uint8_t* r = data.data() + at;
    const auto code = XmlText(std::vector<uint8_t>(r, r + 3));
    if (!code) return false;
    const int sign = (r[3] & 1) ? -1 : 1;
    const auto minutes = [&](const uint8_t* bcd) {
      return std::string_view(text, DecNumber(text, sign * (FromBcdByte(bcd[0]) * 60 + FromBcdByte(bcd[1]))));
    };
    const int g = x.Element(e, "region");
    x.Attr(g, "country_code", *code);
    x.Attr(g, "country_region_id", std::string_view(text, DecUnsigned(text, r[3] >> 2)));
    x.Attr(g, "local_time_offset", minutes(r + 4));
    x.Attr(g, "time_of_change", UtcText(r + 6));
    x.Attr(g, "next_time_offset", minutes(r + 11));
  }
  return true;
}

// The descriptors of [from, end) as elements: by their kind's element when that compiles back to
// the same bytes, else as generic_descriptor.
void PutDescriptors(XmlOut& out, Scratch& x, const Section& s, size_t from, size_t end) {
  uint32_t specifier = 0;
  for (size_t at = from; at + 2 <= end && at + 2 + s[at + 1] <= end; at += 2 + s[at + 1]) {
    const uint8_t tag = s[at];
    const std::span<const uint8_t> data(s.data() + at + 2, s[at + 1]);
    const DescriptorKind* kind = FindDescriptorKind(tag, data, specifier);
    specifier = SpecifierAfter(specifier, tag, data);
    x.Clear();
    bool named = false;
    if (tag == kLocalTimeOffsetTag) {
      named = PutLocalTimeOffset(x, x.Element(-1, kLocalTimeOffsetElement), data);
    } else if (const std::optional<Group> g = kind ? DecodeDescriptor(*kind, data) : std::nullopt) {
      named = PutGroup(x, x.Element(-1, kind->xml), *g, *g);
    }
    if (named) {
      try {
        const std::vector<uint8_t> back = CompileDescriptor(ScratchNode(x, 0));
        named = back.size() == data.size() + 2 && std::equal(data.begin(), data.end(), back.begin() + 2);
      } catch (const XmlError&) {
        named = false;
      }
    }
    if (named) x.Write(out, 0);
    else PutGeneric(out, tag, data);
  }
}

struct TableKey {
  uint8_t tableId;
  uint16_t id;
  uint8_t version;
  auto operator<=>(const TableKey&) const = default;
};

void PutCommon(XmlOut& out, const Section& s) {
  out.Unsigned("version", (s[5] >> 1) & 0x1F);
  out.Bool("current", s[5] & 1);
}

void PutTable(XmlOut& out, Scratch& x, const std::vector<const Section*>& sections) {
  const Section& first = *sections.front();
  const uint8_t tid = first[0];
  const bool many = sections.size() > 1;
  if (tid == 0x00) {
    out.Open("PAT");
    PutCommon(out, first);
    out.Hex("transport_stream_id", U16(first, 3), 4);
    std::vector<std::pair<uint16_t, uint16_t>> programs;
    for (const Section* s : sections)
      for (size_t at = 8; at + 4 <= s->size() - 4; at += 4) programs.emplace_back(U16(*s, at), U16(*s, at + 2) & 0x1FFF);
    for (const auto& [program, pid] : programs)
      if (program == 0) out.Hex("network_PID", pid, 4);
    for (const auto& [program, pid] : programs) {
      if (program == 0) continue;
      out.Open("service");
      out.Hex("service_id", program, 4);
      out.Hex("program_map_PID", pid, 4);
      out.Close();
    }
    out.Close();
  } else if (tid == 0x01) {
    out.Open("CAT");
    PutCommon(out, first);
    for (const Section* s : sections) PutDescriptors(out, x, *s, 8, s->size() - 4);
    out.Close();
  } else if (tid == 0x02) {
    out.Open("PMT");
    PutCommon(out, first);
    out.Hex("service_id", U16(first, 3), 4);
    out.Hex("PCR_PID", U16(first, 8) & 0x1FFF, 4);
    for (const Section* s : sections) {
      const size_t end = s->size() - 4, info = std::min(end, 12 + Length12(*s, 10));
      PutDescriptors(out, x, *s, 12, info);
      for (size_t at = info; at + 5 <= end;) {
        const size_t es = std::min(end, at + 5 + Length12(*s, at + 3));
        out.Open("component");
        out.Hex("stream_type", (*s)[at], 2);
        out.Hex("elementary_PID", U16(*s, at + 1) & 0x1FFF, 4);
        PutDescriptors(out, x, *s, at + 5, es);
        out.Close();
        at = es;
      }
    }
    out.Close();
  } else if (tid == 0x42 || tid == 0x46) {
    out.Open("SDT");
    PutCommon(out, first);
    out.Hex("transport_stream_id", U16(first, 3), 4);
    out.Hex("original_network_id", U16(first, 8), 4);
    out.Bool("actual", tid == 0x42);
    for (const Section* s : sections) {
      const size_t end = s->size() - 4;
      for (size_t at = 11; at + 5 <= end;) {
        const size_t next = std::min(end, at + 5 + Length12(*s, at + 3));
        out.Open("service");
        out.Hex("service_id", U16(*s, at), 4);
        out.Bool("EIT_schedule", (*s)[at + 2] & 2);
        out.Bool("EIT_present_following", (*s)[at + 2] & 1);
        const int status = (*s)[at + 3] >> 5;
        if (status < 6) out.Attr("running_status", kRunningStatus[status]);
        else out.Unsigned("running_status", static_cast<unsigned>(status));
        out.Bool("CA_mode", (*s)[at + 3] & 0x10);
        PutDescriptors(out, x, *s, at + 5, next);
        out.Close();
        at = next;
      }
    }
    out.Close();
  } else if (tid == 0x40 || tid == 0x41 || tid == 0x4A) {
    const bool nit = tid != 0x4A;
    out.Open(nit ? "NIT" : "BAT");
    PutCommon(out, first);
    out.Hex(nit ? "network_id" : "bouquet_id", U16(first, 3), 4);
    if (nit) out.Bool("actual", tid == 0x40);
    for (size_t i = 0; i < sections.size(); ++i) {
      const Section& s = *sections[i];
      const size_t end = s.size() - 4, loop = std::min(end, 10 + Length12(s, 8));
      PutDescriptors(out, x, s, 10, loop);
      for (size_t at = loop + 2; at + 6 <= end;) {
        const size_t next = std::min(end, at + 6 + Length12(s, at + 4));
        out.Open("transport_stream");
        out.Hex("transport_stream_id", U16(s, at), 4);
        out.Hex("original_network_id", U16(s, at + 2), 4);
        if (many) out.Unsigned("preferred_section", s[6]);
        PutDescriptors(out, x, s, at + 6, next);
        out.Close();
        at = next;
      }
    }
    out.Close();
  } else if (tid == 0x70 || tid == 0x73) {
    out.Open(tid == 0x70 ? "TDT" : "TOT");
    out.Attr("UTC_time", UtcText(first.data() + 3));
    if (tid == 0x73) PutDescriptors(out, x, first, 10, std::min(first.size() - 4, 10 + Length12(first, 8)));
    out.Close();
  }
}

// ---------------------------------------------------------------- XML in

template <class Node>
[[noreturn]] void Refuse(const Node& n, const std::string& what) {
  throw XmlError(n.Offset(), what);
}

template <class Node>
std::string Where(const Node& n) {
  return std::string("<") + n.Name() + ">";
}

bool Blank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// Decimal or 0x hexadecimal, blanks around it and commas between digits passed over.
std::optional<uint64_t> ReadUnsigned(std::string_view s);

// The same for a whole attribute value; digits alone are read in one pass.
std::optional<uint64_t> ReadUnsigned(const char* s) {
  const bool hex = s[0] == '0' && (s[1] == 'x' || s[1] == 'X');
  const uint64_t base = hex ? 16 : 10;
  uint64_t v = 0;
  const char* p = hex ? s + 2 : s;
  for (; *p; ++p) {
    const int d = HexDigit(*p);
    if (d < 0 || static_cast<uint64_t>(d) >= base || __builtin_mul_overflow(v, base, &v) ||
        __builtin_add_overflow(v, static_cast<uint64_t>(d), &v))
      break;
  }
  if (*p == '\0' && p != (hex ? s + 2 : s)) return v;
  return ReadUnsigned(std::string_view(s));
}

std::optional<uint64_t> ReadUnsigned(std::string_view s) {
  while (!s.empty() && Blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && Blank(s.back())) s.remove_suffix(1);
  if (s.find_first_not_of(',') == std::string_view::npos) return std::nullopt;
  int base = 10;
  size_t at = 0;
  if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) base = 16, at = 2;
  uint64_t v = 0;
  for (; at < s.size(); ++at) {
    const char c = s[at];
    if (c == ',') continue;
    const int d = HexDigit(c);
    if (d < 0 || d >= base || __builtin_mul_overflow(v, static_cast<uint64_t>(base), &v) ||
        __builtin_add_overflow(v, static_cast<uint64_t>(d), &v))
      return std::nullopt;
  }
  return v;
}

std::optional<bool> ReadBool(std::string_view t) {
  if (t == "true") return true;  // as written, without a copy
  if (t == "false") return false;
  const std::string s = Trim(t);
  if (s == "true" || s == "yes" || s == "1" || s == "on") return true;
  if (s == "false" || s == "no" || s == "0" || s == "off") return false;
  return std::nullopt;
}

// Names TSDuck takes for a private_data_specifier (ETSI TS 101 162 registrations).
std::optional<uint64_t> SymbolValue(const char* field, std::string_view text) {
  static const std::pair<const char*, uint64_t> kSpecifiers[] = {
      {"AOM", 0x414F4D53},   {"Australia", 0x00003200}, {"AVSA", 0x41565341},     {"AVSV", 0x41565356},
      {"BskyB", 0x00000002}, {"CanalPlus", 0x000000C0}, {"cuvv", 0x63757676},     {"EACEM", 0x00000028},
      {"EICTA", 0x00000028}, {"Eutelsat", 0x0000055F},  {"Logiways", 0x000000A2}, {"Nagra", 0x00000009},
      {"NorDig", 0x00000029}, {"OFCOM", 0x0000233A},    {"TPS", 0x00000010}};
  if (!SameName(field, "private_data_specifier")) return std::nullopt;
  const std::string t = Trim(text);
  for (const auto& [name, value] : kSpecifiers)
    if (SameName(t.c_str(), name)) return value;
  return std::nullopt;
}

std::optional<int64_t> ReadSigned(std::string_view t) {
  std::string s = Trim(t);
  const bool negative = !s.empty() && s[0] == '-';
  if (!s.empty() && (s[0] == '-' || s[0] == '+')) s.erase(0, 1);
  const auto v = ReadUnsigned(s);
  if (!v || *v > INT32_MAX) return std::nullopt;
  return negative ? -static_cast<int64_t>(*v) : static_cast<int64_t>(*v);
}

// Names kept without allocating for the few an element has.
class NameList {
 public:
  void Add(const char* name) {
    if (n_ < inline_.size()) inline_[n_++] = name;
    else more_.push_back(name);
  }
  bool Has(const char* name) const {
    for (size_t i = 0; i < n_; ++i)
      if (SameName(inline_[i], name)) return true;
    return std::any_of(more_.begin(), more_.end(), [&](const char* n) { return SameName(n, name); });
  }

 private:
  std::array<const char*, 16> inline_;  // the first n_ set
  size_t n_ = 0;
  std::vector<const char*> more_;
};

// An element whose attributes and children are checked against what is known of it.
template <class Node>
class Checked {
 public:
  explicit Checked(Node e) : e_(e) {}
  const char* Attr(const char* name) {
    used_.Add(name);
    const char* v = e_.Attr(name);
    if (v && found_ < kFound && std::find(values_.begin(), values_.begin() + found_, v) == values_.begin() + found_)
      values_[found_++] = v;
    return v;
  }
  uint64_t Number(const char* name, int bits, std::optional<uint64_t> fallback) {
    return NumberOr(name, bits, [&] { return fallback; });
  }
  // `fallback` is asked only when the attribute is missing.
  template <class Fallback>
  uint64_t NumberOr(const char* name, int bits, Fallback fallback) {
    const char* a = Attr(name);
    if (!a) {
      const std::optional<uint64_t> d = fallback();
      if (!d) Refuse(e_, Format("%s: attribute %s is missing", Where(e_).c_str(), name));
      return *d;
    }
    auto v = ReadUnsigned(a);
    if (!v) v = SymbolValue(name, a);
    if (!v || (bits < 64 && *v >> bits))
      Refuse(e_, Format("%s: %s must be 0 to %llu", Where(e_).c_str(), name,
                        static_cast<unsigned long long>(bits < 64 ? (uint64_t{1} << bits) - 1 : UINT64_MAX)));
    return *v;
  }
  bool Bool(const char* name, std::optional<bool> fallback) {
    const char* a = Attr(name);
    if (!a) {
      if (!fallback) Refuse(e_, Format("%s: attribute %s is missing", Where(e_).c_str(), name));
      return *fallback;
    }
    const auto v = ReadBool(a);
    if (!v) Refuse(e_, Format("%s: %s must be true or false", Where(e_).c_str(), name));
    return *v;
  }
  // Calls `f` with each child element of that name.
  template <class F>
  void EachChild(const char* name, F f) {
    usedChildren_.Add(name);
    for (Node c = e_.FirstChild(); c; c = c.Next())
      if (SameName(c.Name(), name)) f(c);
  }
  std::vector<Node> Children(const char* name) {
    std::vector<Node> out;
    EachChild(name, [&](Node c) { out.push_back(c); });
    return out;
  }
  void AllowChild(const char* name) { usedChildren_.Add(name); }
  // Refuses an attribute or child element that nothing read.
  void Done() {
    size_t attributes = 0;
    e_.EachAttr([&](const char*) { ++attributes; });
    if (attributes != found_)  // else each one was read
      e_.EachAttr([&](const char* name) {
      if (!used_.Has(name)) Refuse(e_, Format("%s: unknown attribute %s", Where(e_).c_str(), name));
    });
    for (Node c = e_.FirstChild(); c; c = c.Next())
      if (!usedChildren_.Has(c.Name()) && !SameName(c.Name(), "metadata"))
        Refuse(c, Format("%s: unknown element in %s", Where(c).c_str(), Where(e_).c_str()));
  }
  Node node() const { return e_; }

 private:
  static constexpr size_t kFound = 16;
  Node e_;
  NameList used_, usedChildren_;  // names that outlive the element's reading
  std::array<const char*, kFound> values_;  // the first found_ set: values of distinct attributes read
  size_t found_ = 0;
};

template <class Node>
std::vector<uint8_t> HexBytes(Node e) {
  std::vector<uint8_t> out;
  int half = -1;
  for (const char* p = e.Text(); *p; ++p) {
    const char c = *p;
    if (c == ' ' || c == '\t' || c == '\n' || c == '\r') continue;
    const int d = HexDigit(c);
    if (d < 0) Refuse(e, Where(e) + ": hexadecimal digits expected");
    if (half < 0) {
      half = d;
    } else {
      out.push_back(static_cast<uint8_t>(half << 4 | d));
      half = -1;
    }
  }
  if (half >= 0) Refuse(e, Where(e) + ": an odd number of hexadecimal digits");
  return out;
}

// Whether any attribute or child of `layout` is on the element (for parts without a flag).
template <class Node>
bool AnyOf(Node e, std::span<const Field> layout) {
  for (const Field& f : layout) {
    if (!f.name) continue;
    if (f.op == Op::Bits || f.op == Op::Char3 || f.op == Op::Text8 || f.op == Op::TextRest) {
      if (f.show != Show::Implicit && e.Attr(f.name)) return true;
    } else if (f.op == Op::Opt || f.op == Op::Unless || f.op == Op::IfMore) {
      if (f.name ? static_cast<bool>(ChildOf(e, f.name)) : AnyOf(e, f.sub)) return true;
    } else if (ChildOf(e, f.name)) {
      return true;
    }
  }
  for (const Field& f : layout)
    if (!f.name && (f.op == Op::Opt || f.op == Op::Unless || f.op == Op::IfMore) && AnyOf(e, f.sub)) return true;
  return false;
}

// Defaults of TSDuck's model for fields it does not require.
std::optional<uint64_t> DefaultOf(const Field& f) {
  if (f.byDefault >= 0) return static_cast<uint64_t>(f.byDefault);
  static constexpr std::pair<const char*, uint64_t> kDefaults[] = {
      {"constraint_set3", 0}, {"constraint_set4", 0}, {"constraint_set5", 0}, {"frame_packing_SEI_not_present", 0},
      {"copied_44bits", 0},   {"sub_pic_hrd_params_not_present", 1},         {"HDR_WCG_idc", 3},
      {"SAOC_DE", 0},         {"visible_service", 1}};
  for (const auto& [name, value] : kDefaults)
    if (std::strcmp(name, f.name) == 0) return value;
  return std::nullopt;
}

// The value a symbol name of the field gives (a "dd.d" of BcdTenths too); nothing for a number
// or a missing attribute. Other texts are refused.
template <class Node>
std::optional<uint64_t> SymbolOf(Checked<Node>& c, const Field& f) {
  if (f.symbols.empty() && f.show != Show::BcdTenths) return std::nullopt;
  const char* a = c.Attr(f.name);
  if (!a) return std::nullopt;
  if (const auto named = FieldSymbol(f, Trim(a))) return named;
  if (f.show != Show::BcdTenths && ReadUnsigned(a)) return std::nullopt;
  std::string names;
  for (const Symbol& s : f.symbols) names += std::string(names.empty() ? "" : "|") + s.name;
  Refuse(c.node(), Format("%s: %s must be %s", Where(c.node()).c_str(), f.name,
                          f.show == Show::BcdTenths ? "degrees as dd.d" : (names + " or a number").c_str()));
}

// The groups around the one being read, outermost first.
using Outer = std::vector<const Group*>;

// The flag `name` in the group being read or the nearest group around it that has it.
uint64_t FlagOf(const Group& g, const Outer& outer, const char* name) {
  const auto has = [&](const Group& in) {
    return std::any_of(in.values.begin(), in.values.end(), [&](const Value& v) {
      return v.field->op == Op::Bits && v.field->name && std::strcmp(v.field->name, name) == 0;
    });
  };
  if (has(g)) return NumberOf(g, name);
  for (auto it = outer.rbegin(); it != outer.rend(); ++it)
    if (has(**it)) return NumberOf(**it, name);
  return 0;
}

template <class Node>
void ReadGroup(Checked<Node>& c, std::span<const Field> layout, Group& g, const Outer& outer);

Outer Inside(const Outer& outer, const Group& g) {
  Outer o = outer;
  o.push_back(&g);
  return o;
}

template <class Node>
void ReadEntries(Checked<Node>& c, const Field& f, Value& v, const Outer& outer) {
  c.EachChild(f.name, [&](Node child) {
    Checked<Node> cc(child);
    Group entry;
    ReadGroup(cc, f.sub, entry, outer);
    cc.Done();
    v.entries.push_back(std::move(entry));
  });
}

template <class Node>
void ReadGroup(Checked<Node>& c, std::span<const Field> layout, Group& g, const Outer& outer) {
  const Group& top = outer.empty() ? g : *outer.front();
  g.values.reserve(layout.size());
  for (const Field& f : layout) {
    Value v;
    v.field = &f;
    switch (f.op) {
      case Op::Bits:
        if (f.show == Show::Implicit) break;
        if (f.show == Show::Bool) {
          const char* a = c.Attr(f.name);
          if (!a) {
            const auto d = DefaultOf(f);
            v.number = c.Bool(f.name, d ? std::optional<bool>(*d != 0) : std::nullopt) ? 1 : 0;
          } else {
            v.number = c.Bool(f.name, std::nullopt) ? 1 : 0;
          }
        } else if (const auto named = SymbolOf(c, f)) {
          v.number = *named;
        } else if (f.show == Show::Scaled || f.show == Show::Frequency || f.show == Show::TeletextPage ||
                   f.show == Show::Bcd) {
          const uint64_t shown = c.NumberOr(f.name, 64, [&] { return DefaultOf(f); });
          const auto raw = FieldNumber(f, shown, top);
          if (!raw) Refuse(c.node(), Format("%s: %s %llu has no value of the field", Where(c.node()).c_str(), f.name,
                                            static_cast<unsigned long long>(shown)));
          v.number = *raw;
        } else {
          v.number = c.NumberOr(f.name, f.bits, [&] { return DefaultOf(f); });
        }
        break;
      case Op::Reserved:
        break;
      case Op::Char3:
      case Op::Text8:
      case Op::TextRest: {
        const char* a = c.Attr(f.name);
        if (!a) Refuse(c.node(), Format("%s: attribute %s is missing", Where(c.node()).c_str(), f.name));
        v.bytes = TextBytes(a);
        if (f.op == Op::Char3 && v.bytes.size() != 3)
          Refuse(c.node(), Format("%s: %s must be 3 characters", Where(c.node()).c_str(), f.name));
        if (f.op == Op::Text8 && v.bytes.size() > 255)
          Refuse(c.node(), Format("%s: %s must be at most 255 bytes", Where(c.node()).c_str(), f.name));
        break;
      }
      case Op::BytesRest: {
        const auto children = c.Children(f.name);
        if (children.size() > 1) Refuse(children[1], Where(children[1]) + ": given twice");
        if (!children.empty()) v.bytes = HexBytes(children[0]);
        break;
      }
      case Op::Loop:
      case Op::Loop8:
        ReadEntries(c, f, v, Inside(outer, g));
        break;
      case Op::Opt:
      case Op::Unless:
      case Op::IfMore: {
        // A flag of its own in the layout decides; a presence flag is set by the part being there.
        const auto flagField = std::find_if(layout.begin(), layout.end(), [&](const Field& o) {
          return f.flag && o.op == Op::Bits && o.name && std::strcmp(o.name, f.flag) == 0;
        });
        const bool byFlag = f.flag && (flagField == layout.end() || flagField->show != Show::Implicit);
        const bool present = byFlag ? (FlagOf(g, outer, f.flag) != 0) == (f.op == Op::Opt)
                             : f.name ? static_cast<bool>(ChildOf(c.node(), f.name))
                                      : AnyOf(c.node(), f.sub);
        if (f.name) c.AllowChild(f.name);
        if (!present) break;
        Group part;
        if (f.name) {
          const Node child = ChildOf(c.node(), f.name);
          if (!child) Refuse(c.node(), Format("%s: element <%s> is missing", Where(c.node()).c_str(), f.name));
          Checked<Node> cc(child);
          ReadGroup(cc, f.sub, part, Inside(outer, g));
          cc.Done();
        } else {
          ReadGroup(c, f.sub, part, Inside(outer, g));
        }
        v.entries.push_back(std::move(part));
        break;
      }
    }
    g.values.push_back(std::move(v));
  }
}

template <class Node>
int64_t OffsetMinutes(Checked<Node>& c, const char* name) {
  const char* a = c.Attr(name);
  if (!a) Refuse(c.node(), Format("%s: attribute %s is missing", Where(c.node()).c_str(), name));
  const auto v = ReadSigned(a);
  if (!v || *v < -kMaxOffsetMinutes || *v > kMaxOffsetMinutes)
    Refuse(c.node(), Format("%s: %s must be -780 to 780 minutes", Where(c.node()).c_str(), name));
  return *v;
}

template <class Node>
std::vector<uint8_t> CompileLocalTimeOffset(Checked<Node>& c) {
  std::vector<uint8_t> out{kLocalTimeOffsetTag, 0};
  for (Node region : c.Children("region")) {
    Checked<Node> rc(region);
    const char* code = rc.Attr("country_code");
    if (!code) Refuse(region, Where(region) + ": attribute country_code is missing");
    const std::vector<uint8_t> country = TextBytes(code);
    if (country.size() != 3) Refuse(region, Where(region) + ": country_code must be 3 characters");
    const auto id = rc.Number("country_region_id", 6, std::nullopt);
    const int64_t local = OffsetMinutes(rc, "local_time_offset"), next = OffsetMinutes(rc, "next_time_offset");
    if ((local < 0 && next > 0) || (local > 0 && next < 0))
      Refuse(region, Where(region) + ": local_time_offset and next_time_offset must have the same sign");
    const char* when = rc.Attr("time_of_change");
    uint8_t utc[5];
    if (!when) Refuse(region, Where(region) + ": attribute time_of_change is missing");
    if (!UtcFromText(when, utc)) Refuse(region, Where(region) + ": time_of_change must be YYYY-MM-DD hh:mm:ss");
    rc.Done();
    const auto bcd = [&](int64_t minutes) {
      const int m = static_cast<int>(minutes < 0 ? -minutes : minutes);
      out.push_back(ToBcdByte(m / 60));
      out.push_back(ToBcdByte(m % 60));
    };
    out.insert(out.end(), country.begin(), country.end());
    out.push_back(static_cast<uint8_t>(id << 2 | 0x02 | ((local < 0 || next < 0) ? 1 : 0)));
    bcd(local);
    out.insert(out.end(), utc, utc + 5);
    bcd(next);
  }
  c.Done();
  if (out.size() - 2 > 255) Refuse(c.node(), Where(c.node()) + ": more than 255 bytes");
  out[1] = static_cast<uint8_t>(out.size() - 2);
  return out;
}

template <class Node>
std::vector<uint8_t> CompileDescriptor(Node e) {
  Checked<Node> c(e);
  if (SameName(e.Name(), kLocalTimeOffsetElement)) return CompileLocalTimeOffset(c);
  if (SameName(e.Name(), "generic_descriptor")) {
    const auto tag = c.Number("tag", 8, std::nullopt);
    std::vector<uint8_t> data = HexBytes(e);
    c.Done();
    if (data.size() > 255) Refuse(e, "<generic_descriptor>: more than 255 bytes");
    std::vector<uint8_t> out{static_cast<uint8_t>(tag), static_cast<uint8_t>(data.size())};
    out.insert(out.end(), data.begin(), data.end());
    return out;
  }
  const DescriptorKind* kind = FindDescriptorKind(e.Name());
  if (!kind) Refuse(e, Format("%s: unknown element", Where(e).c_str()));
  Group g;
  ReadGroup(c, kind->layout, g, {});
  c.Done();
  const auto bytes = EncodeDescriptor(*kind, g);
  if (!bytes) Refuse(e, Where(e) + ": more than 255 bytes");
  if (kind->accepts && !kind->accepts(LayoutBytes(*kind, std::span<const uint8_t>(*bytes).subspan(2))))
    Refuse(e, Where(e) + ": values that do not go together");
  return *bytes;
}

// Descriptors among the children of `c`, with the private_data_specifier each private kind needs
// written in front of it when the loop does not give it already.
std::vector<std::vector<uint8_t>> CompileDescriptors(Checked<DocNode>& c, std::initializer_list<const char*> other) {
  std::vector<std::vector<uint8_t>> out;
  for (DocNode child = c.node().FirstChild(); child; child = child.Next()) {
    if (SameName(child.Name(), "metadata") ||
        std::any_of(other.begin(), other.end(), [&](const char* n) { return SameName(n, child.Name()); }))
      continue;
    c.AllowChild(child.Name());
    out.push_back(CompileDescriptor(child));
  }
  return out;
}

size_t Total(const std::vector<std::vector<uint8_t>>& parts) {
  size_t n = 0;
  for (const auto& p : parts) n += p.size();
  return n;
}

struct Header {
  uint8_t tableId;
  uint8_t byte1;  // section_syntax_indicator, private bit and reserved bits
  uint16_t id;
  uint8_t version;
  bool current;
};

Section Begin(const Header& h) {
  return {h.tableId, h.byte1, 0, static_cast<uint8_t>(h.id >> 8), static_cast<uint8_t>(h.id),
          static_cast<uint8_t>(0xC0 | (h.version & 0x1F) << 1 | (h.current ? 1 : 0)), 0, 0};
}

// Sets section_length, section_number / last_section_number and the CRC_32 of each section.
SectionBytesList Finish(SectionBytesList sections) {
  for (size_t i = 0; i < sections.size(); ++i) {
    Section& s = sections[i];
    if (s[1] & 0x80) {
      s[6] = static_cast<uint8_t>(i);
      s[7] = static_cast<uint8_t>(sections.size() - 1);
    }
    const size_t length = s.size() + 4 - 3;
    s[1] = static_cast<uint8_t>((s[1] & 0xF0) | length >> 8);
    s[2] = static_cast<uint8_t>(length);
    const uint32_t crc = Crc32Mpeg(s.data(), s.size());
    for (int k = 3; k >= 0; --k) s.push_back(static_cast<uint8_t>(crc >> (8 * k)));
  }
  return sections;
}

// Items of a loop of `header` bytes and 4 of CRC_32, put into sections of at most 1024 bytes,
// each item whole.
SectionBytesList Split(const Section& begin, const std::vector<std::vector<uint8_t>>& items) {
  SectionBytesList out{begin};
  for (const auto& item : items) {
    if (out.back().size() + item.size() + 4 > kMaxSection && out.back().size() > begin.size()) out.push_back(begin);
    out.back().insert(out.back().end(), item.begin(), item.end());
  }
  return out;
}

Header ReadHeader(Checked<DocNode>& c, uint8_t tableId, uint8_t byte1, const char* idName, std::optional<uint64_t> idDefault) {
  Header h{tableId, byte1, 0, 0, true};
  h.version = static_cast<uint8_t>(c.Number("version", 5, 0));
  h.current = c.Bool("current", true);
  if (idName) h.id = static_cast<uint16_t>(c.Number(idName, 16, idDefault));
  return h;
}

std::vector<uint8_t> Loop12(uint8_t top, const std::vector<std::vector<uint8_t>>& parts) {
  const size_t n = Total(parts);
  std::vector<uint8_t> out{static_cast<uint8_t>(top | n >> 8), static_cast<uint8_t>(n)};
  for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

std::string RunningStatusList() { return "undefined, not-running, starting, pausing, running, off-air"; }

struct CompiledTable {
  std::string name;
  SectionBytesList sections;
};

CompiledTable CompileTable(DocNode e) {
  Checked<DocNode> c(e);
  std::string name = e.Name();
  for (char& ch : name) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
  if (name == "PAT") {
    const Header h = ReadHeader(c, 0x00, 0xB0, "transport_stream_id", std::nullopt);
    std::vector<std::vector<uint8_t>> entries;
    if (c.Attr("network_PID")) {
      const auto pid = c.Number("network_PID", 13, std::nullopt);
      entries.push_back({0, 0, static_cast<uint8_t>(0xE0 | pid >> 8), static_cast<uint8_t>(pid)});
    }
    for (DocNode s : c.Children("service")) {
      Checked<DocNode> sc(s);
      const auto id = sc.Number("service_id", 16, std::nullopt), pid = sc.Number("program_map_PID", 13, std::nullopt);
      sc.Done();
      entries.push_back({static_cast<uint8_t>(id >> 8), static_cast<uint8_t>(id), static_cast<uint8_t>(0xE0 | pid >> 8),
                         static_cast<uint8_t>(pid)});
    }
    c.Done();
    return {name, Finish(Split(Begin(h), entries))};
  }
  if (name == "CAT") {
    const Header h = ReadHeader(c, 0x01, 0xB0, nullptr, std::nullopt);
    Header hh = h;
    hh.id = 0xFFFF;
    const auto descriptors = CompileDescriptors(c, {});
    c.Done();
    return {name, Finish(Split(Begin(hh), descriptors))};
  }
  if (name == "PMT") {
    const Header h = ReadHeader(c, 0x02, 0xB0, "service_id", std::nullopt);
    const auto pcr = c.Number("PCR_PID", 13, 0x1FFF);
    Section s = Begin(h);
    s.push_back(static_cast<uint8_t>(0xE0 | pcr >> 8));
    s.push_back(static_cast<uint8_t>(pcr));
    const auto info = Loop12(0xF0, CompileDescriptors(c, {"component"}));
    s.insert(s.end(), info.begin(), info.end());
    for (DocNode comp : c.Children("component")) {
      Checked<DocNode> cc(comp);
      const auto type = cc.Number("stream_type", 8, std::nullopt), pid = cc.Number("elementary_PID", 13, std::nullopt);
      s.push_back(static_cast<uint8_t>(type));
      s.push_back(static_cast<uint8_t>(0xE0 | pid >> 8));
      s.push_back(static_cast<uint8_t>(pid));
      const auto es = Loop12(0xF0, CompileDescriptors(cc, {}));
      cc.Done();
      s.insert(s.end(), es.begin(), es.end());
    }
    c.Done();
    if (s.size() + 4 > kMaxSection) Refuse(e, "<PMT>: longer than one section of 1024 bytes");
    return {name, Finish({s})};
  }
  if (name == "SDT") {
    const uint64_t tsid = c.Number("transport_stream_id", 16, std::nullopt);
    Header h = ReadHeader(c, 0x42, 0xF0, nullptr, std::nullopt);
    h.id = static_cast<uint16_t>(tsid);
    const auto onid = c.Number("original_network_id", 16, std::nullopt);
    if (!c.Bool("actual", true)) h.tableId = 0x46;
    Section begin = Begin(h);
    begin.push_back(static_cast<uint8_t>(onid >> 8));
    begin.push_back(static_cast<uint8_t>(onid));
    begin.push_back(0xFF);
    std::vector<std::vector<uint8_t>> services;
    for (DocNode sv : c.Children("service")) {
      Checked<DocNode> sc(sv);
      const auto id = sc.Number("service_id", 16, std::nullopt);
      const bool schedule = sc.Bool("EIT_schedule", false), pf = sc.Bool("EIT_present_following", false);
      int status = 0;
      if (const char* a = sc.Attr("running_status")) {
        status = -1;
        for (int i = 0; i < 6; ++i)
          if (Trim(a) == kRunningStatus[i]) status = i;
        if (status < 0) {
          const auto n = ReadUnsigned(a);
          if (!n || *n > 7) Refuse(sv, "<service>: running_status must be one of " + RunningStatusList() + ", or 0 to 7");
          status = static_cast<int>(*n);
        }
      }
      const bool ca = sc.Bool("CA_mode", false);
      const auto loop = Loop12(static_cast<uint8_t>(status << 5 | (ca ? 0x10 : 0)), CompileDescriptors(sc, {}));
      sc.Done();
      std::vector<uint8_t> entry{static_cast<uint8_t>(id >> 8), static_cast<uint8_t>(id),
                                 static_cast<uint8_t>(0xFC | (schedule ? 2 : 0) | (pf ? 1 : 0))};
      entry.insert(entry.end(), loop.begin(), loop.end());
      services.push_back(std::move(entry));
    }
    c.Done();
    return {name, Finish(Split(begin, services))};
  }
  if (name == "NIT" || name == "BAT") {
    const bool nit = name == "NIT";
    Header h = ReadHeader(c, nit ? 0x40 : 0x4A, 0xF0, nit ? "network_id" : "bouquet_id", std::nullopt);
    if (nit && !c.Bool("actual", true)) h.tableId = 0x41;
    const auto descriptors = CompileDescriptors(c, {"transport_stream"});
    struct Stream {
      std::vector<uint8_t> bytes;
      std::optional<uint64_t> preferred;
    };
    std::vector<Stream> streams;
    for (DocNode ts : c.Children("transport_stream")) {
      Checked<DocNode> tc(ts);
      const auto tsid = tc.Number("transport_stream_id", 16, std::nullopt);
      const auto onid = tc.Number("original_network_id", 16, std::nullopt);
      std::optional<uint64_t> preferred;
      if (tc.Attr("preferred_section")) preferred = tc.Number("preferred_section", 8, std::nullopt);
      const auto loop = Loop12(0xF0, CompileDescriptors(tc, {}));
      tc.Done();
      std::vector<uint8_t> b{static_cast<uint8_t>(tsid >> 8), static_cast<uint8_t>(tsid), static_cast<uint8_t>(onid >> 8),
                             static_cast<uint8_t>(onid)};
      b.insert(b.end(), loop.begin(), loop.end());
      streams.push_back({std::move(b), preferred});
    }
    c.Done();
    // Descriptors first, as many sections as they need; then each stream in its preferred
    // section when it fits there, else in the first with room.
    struct Body {
      std::vector<std::vector<uint8_t>> descriptors, streams;
      size_t size = 12;  // header, two loop lengths
    };
    std::vector<Body> bodies(1);
    for (const auto& d : descriptors) {
      if (bodies.back().size + d.size() + 4 > kMaxSection && !bodies.back().descriptors.empty()) bodies.emplace_back();
      bodies.back().descriptors.push_back(d);
      bodies.back().size += d.size();
    }
    auto place = [&](size_t i, const std::vector<uint8_t>& b) {
      while (bodies.size() <= i) bodies.emplace_back();
      if (bodies[i].size + b.size() + 4 > kMaxSection && !bodies[i].streams.empty() ) return false;
      bodies[i].streams.push_back(b);
      bodies[i].size += b.size();
      return true;
    };
    for (const Stream& s : streams) {
      size_t i = s.preferred ? static_cast<size_t>(*s.preferred) : 0;
      while (!place(i, s.bytes)) ++i;
    }
    SectionBytesList sections;
    for (const Body& b : bodies) {
      Section s = Begin(h);
      const auto d = Loop12(0xF0, b.descriptors), t = Loop12(0xF0, b.streams);
      s.insert(s.end(), d.begin(), d.end());
      s.insert(s.end(), t.begin(), t.end());
      sections.push_back(std::move(s));
    }
    return {name, Finish(std::move(sections))};
  }
  if (name == "TDT" || name == "TOT") {
    const char* a = c.Attr("UTC_time");
    uint8_t utc[5];
    if (!a) Refuse(e, Where(e) + ": attribute UTC_time is missing");
    if (!UtcFromText(a, utc)) Refuse(e, Where(e) + ": UTC_time must be YYYY-MM-DD hh:mm:ss");
    Section s{static_cast<uint8_t>(name == "TDT" ? 0x70 : 0x73), 0x70, 0};
    s.insert(s.end(), utc, utc + 5);
    if (name == "TDT") {
      c.Done();
      s[2] = 5;
      return {name, {s}};
    }
    const auto loop = Loop12(0xF0, CompileDescriptors(c, {}));
    c.Done();
    s.insert(s.end(), loop.begin(), loop.end());
    return {name, Finish({s})};
  }
  Refuse(e, Format("%s: unknown table", Where(e).c_str()));
}

std::string LineColumn(std::string_view text, ptrdiff_t offset) {
  int line = 1, column = 1;
  for (ptrdiff_t i = 0; i < offset && static_cast<size_t>(i) < text.size(); ++i) {
    if (text[static_cast<size_t>(i)] == '\n') {
      ++line;
      column = 1;
    } else {
      ++column;
    }
  }
  return Format("line %d, column %d: ", line, column);
}

std::vector<CompiledTable> CompileDocument(std::string_view text, std::string& error) {
  pugi::xml_document doc;
  const pugi::xml_parse_result r = doc.load_buffer(text.data(), text.size(), pugi::parse_default, pugi::encoding_utf8);
  if (!r) {
    error = LineColumn(text, r.offset) + r.description();
    return {};
  }
  const pugi::xml_node root = doc.document_element();
  if (!SameName(root.name(), "tsduck")) {
    error = LineColumn(text, root.offset_debug() - 1) + "the root element must be <tsduck>";
    return {};
  }
  std::vector<CompiledTable> out;
  try {
    for (pugi::xml_node t : root.children())
      if (t.type() == pugi::node_element) out.push_back(CompileTable(DocNode(t)));
  } catch (const XmlError& x) {
    error = LineColumn(text, x.offset) + x.what();
    return {};
  }
  return out;
}

Packets Joined(const SectionBytesList& sections, uint16_t pid) {
  Packets out;
  for (const Section& s : sections) {
    const Packets p = PacketsOf(s, pid);
    out.insert(out.end(), p.begin(), p.end());
  }
  return out;
}

}  // namespace

SectionBytesList SectionsOf(const PortTables& t) {
  SectionBytesList out;
  Append(out, TableSections(t.pat));
  Append(out, TableSections(t.cat));
  for (const PmtEntry& p : t.pmts) Append(out, TableSections(p.packets));
  Append(out, TableSections(t.nit));
  Append(out, TableSections(t.sdt));
  Append(out, TableSections(t.bat));
  for (size_t at = 0; at + kPacketSize <= t.time.size(); at += kPacketSize) {
    Packets one(t.time.begin() + static_cast<long>(at), t.time.begin() + static_cast<long>(at + kPacketSize));
    Append(out, TableSections(one));
  }
  return out;
}

std::string SectionsToXml(const SectionBytesList& sections) {
  std::vector<TableKey> order;
  std::map<TableKey, std::vector<const Section*>> tables;
  for (const Section& s : sections) {
    if (s.size() < 8) continue;
    const bool isLong = (s[1] & 0x80) != 0 && s.size() >= 12;
    const TableKey key{s[0], isLong ? U16(s, 3) : uint16_t{0}, isLong ? static_cast<uint8_t>((s[5] >> 1) & 0x1F) : uint8_t{0}};
    auto& list = tables[key];
    if (list.empty()) order.push_back(key);
    list.push_back(&s);
  }
  std::string text;
  size_t bytes = 0;
  for (const Section& s : sections) bytes += s.size();
  text.reserve(bytes * 24);  // about what an entry-dense table takes as text
  XmlOut out(text);
  Scratch scratch;
  out.Open("tsduck");
  for (const TableKey& k : order) {
    auto& list = tables[k];
    std::stable_sort(list.begin(), list.end(), [](const Section* a, const Section* b) { return (*a)[6] < (*b)[6]; });
    PutTable(out, scratch, list);
  }
  out.Close();
  out.End();
  return text;
}

SectionBytesList CompileXmlSections(std::string_view text, std::string& error) {
  SectionBytesList out;
  for (CompiledTable& t : CompileDocument(text, error)) Append(out, std::move(t.sections));
  return out;
}

XmlTables CompileXml(std::string_view text) {
  XmlTables x;
  std::vector<CompiledTable> tables = CompileDocument(text, x.error);
  if (!x.Ok()) return x;
  std::map<uint16_t, uint16_t> pmtPids;  // program_number -> PID, from the PAT
  std::optional<uint16_t> networkPid;
  for (const CompiledTable& t : tables)
    if (t.name == "PAT")
      for (const Section& s : t.sections)
        for (size_t at = 8; at + 4 <= s.size() - 4; at += 4) {
          const uint16_t program = U16(s, at), pid = U16(s, at + 2) & 0x1FFF;
          if (program == 0) networkPid = pid;
          else pmtPids[program] = pid;
        }
  Packets tdt, tot;
  for (const CompiledTable& t : tables) {
    const uint16_t id = t.sections.empty() ? 0 : U16(t.sections[0], 3);
    if (t.name == "PAT") x.tables.pat = Joined(t.sections, kPatPid);
    else if (t.name == "CAT") x.tables.cat = Joined(t.sections, kCatPid);
    else if (t.name == "NIT") x.tables.nit = Joined(t.sections, networkPid.value_or(kNitPid));
    else if (t.name == "SDT") x.tables.sdt = Joined(t.sections, kSdtBatPid);
    else if (t.name == "BAT") x.tables.bat = Joined(t.sections, kSdtBatPid);
    else if (t.name == "TDT") tdt = Joined(t.sections, kTdtTotPid);
    else if (t.name == "TOT") tot = Joined(t.sections, kTdtTotPid);
    else if (t.name == "PMT") {
      const auto it = pmtPids.find(id);
      if (it == pmtPids.end()) {
        x.report.push_back(Format("PMT of program 0x%04X left out: the PAT gives it no PID", id));
        continue;
      }
      x.tables.pmts.push_back({it->second, id, Joined(t.sections, it->second)});
    }
    x.report.push_back(Format("%s: %d section%s", t.name.c_str(), static_cast<int>(t.sections.size()),
                              t.sections.size() == 1 ? "" : "s"));
  }
  x.tables.time = tdt;
  x.tables.time.insert(x.tables.time.end(), tot.begin(), tot.end());
  return x;
}

}  // namespace quorvelin
