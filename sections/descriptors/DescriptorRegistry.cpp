#include "sections/descriptors/DescriptorRegistry.h"

#include <strings.h>

#include <array>
#include <cstring>
#include <utility>

#include "sections/descriptors/Names.h"
#include "util/Number.h"

namespace quorvelin {

namespace {

constexpr std::array kKinds = {
#define QUORVELIN_DESCRIPTOR_KIND(kind) &kind,
#include "sections/descriptors/DescriptorKinds.def"
#undef QUORVELIN_DESCRIPTOR_KIND
};

constexpr uint8_t kFirstPrivateTag = 0x80;

std::string CodeText(const std::vector<uint8_t>& bytes) {
  std::string text;
  for (const uint8_t b : bytes) text += b >= 0x20 && b < 0x7F ? static_cast<char>(b) : '.';
  return text;
}

void AddGroupLines(TableTreeCtrl& tree, ItemHandle parent, const Group& g, const Group& root) {
  for (const Value& v : g.values) {
    const Field& f = *v.field;
    switch (f.op) {
      case Op::Bits:
        if (f.show != Show::Implicit) tree.InsertLine(std::string(f.name) + ": " + FieldText(f, v.number, root), parent);
        break;
      case Op::Reserved:
        break;
      case Op::Char3:
        tree.InsertLine(std::string(f.name) + ": " + CodeText(v.bytes), parent);
        break;
      case Op::Text8:
      case Op::TextRest:
        tree.InsertLine(std::string(f.name) + ": " + DisplayName(v.bytes), parent);
        break;
      case Op::BytesRest:
        if (!v.bytes.empty()) {
          std::string line = std::string(f.name) + "(hex):";
          AppendHexBytes(line, v.bytes);
          tree.InsertLine(std::move(line), parent);
        }
        break;
      case Op::Loop:
      case Op::Loop8:
        for (const Group& e : v.entries) AddGroupLines(tree, tree.InsertTextItem(f.name, parent), e, root);
        break;
      case Op::Opt:
      case Op::Unless:
      case Op::IfMore:
        for (const Group& part : v.entries)
          AddGroupLines(tree, f.name ? tree.InsertTextItem(f.name, parent) : parent, part, root);
        break;
    }
  }
}

}  // namespace

std::span<const DescriptorKind* const> DescriptorKinds() { return kKinds; }

const DescriptorKind* FindDescriptorKind(uint8_t tag, std::span<const uint8_t> data, uint32_t specifier) {
  for (const DescriptorKind* k : kKinds) {
    if (k->tag != tag) continue;
    if (tag >= kFirstPrivateTag && k->specifier != specifier) continue;
    if (k->extension >= 0 && (data.empty() || data[0] != k->extension)) continue;
    if (k->accepts && !k->accepts(LayoutBytes(*k, data))) continue;
    return k;
  }
  return nullptr;
}

const DescriptorKind* FindDescriptorKind(std::string_view xmlElement) {
  const auto same = [&](const char* name) {  // element names do not depend on case
    return name && xmlElement.size() == std::strlen(name) && strncasecmp(xmlElement.data(), name, xmlElement.size()) == 0;
  };
  for (const DescriptorKind* k : kKinds)
    if (same(k->xml) || same(k->xmlAlias)) return k;
  return nullptr;
}

std::span<const uint8_t> LayoutBytes(const DescriptorKind& kind, std::span<const uint8_t> data) {
  return kind.extension >= 0 && !data.empty() ? data.subspan(1) : data;
}

std::optional<Group> DecodeDescriptor(const DescriptorKind& kind, std::span<const uint8_t> data) {
  return DecodeLayout(kind.layout, LayoutBytes(kind, data));
}

std::optional<std::vector<uint8_t>> EncodeDescriptor(const DescriptorKind& kind, const Group& group) {
  auto body = EncodeLayout(group);
  const size_t extension = kind.extension >= 0 ? 1 : 0;
  if (!body || body->size() + extension > 255) return std::nullopt;
  std::vector<uint8_t> bytes{kind.tag, static_cast<uint8_t>(body->size() + extension)};
  if (extension) bytes.push_back(static_cast<uint8_t>(kind.extension));
  bytes.insert(bytes.end(), body->begin(), body->end());
  return bytes;
}

uint32_t SpecifierAfter(uint32_t specifier, uint8_t tag, std::span<const uint8_t> data) {
  if (tag != kPrivateDataSpecifierTag || data.size() < 4) return specifier;
  return uint32_t{data[0]} << 24 | uint32_t{data[1]} << 16 | uint32_t{data[2]} << 8 | data[3];
}

uint32_t SpecifierBefore(const TableTreeCtrl& tree, ItemHandle item) {
  for (ItemHandle h = tree.GetPrevSiblingItem(item); h != kNoItem; h = tree.GetPrevSiblingItem(h)) {
    const auto* g = PayloadOf<GenericDescriptor>(tree, h);
    if (g && g->tag == kPrivateDataSpecifierTag && g->data.size() >= 4) return SpecifierAfter(0, g->tag, g->data);
  }
  return 0;
}

void AddDecodedLines(TableTreeCtrl& tree, ItemHandle item, const DescriptorBytes& d) {
  const DescriptorKind* kind = FindDescriptorKind(d.tag, d.data, d.tag >= kFirstPrivateTag ? SpecifierBefore(tree, item) : 0);
  if (!kind) return;
  const std::optional<Group> g = DecodeDescriptor(*kind, d.data);
  if (!g) {
    tree.InsertLine(Format("%s: the bytes do not fit, shown in hex only", kind->name), item);
    return;
  }
  AddGroupLines(tree, tree.InsertTextItem(kind->name, item), *g, *g);
}

}  // namespace quorvelin
