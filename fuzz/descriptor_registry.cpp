// Descriptor bytes of any kind: the first input byte picks the kind of the registry, the rest is
// its data. Decoded fields, their lines and their XML never read past the data; a decoded kind
// writes back to the same bytes, and its XML compiles back to them too.
#include <cstdlib>

#include "SectionFuzzing.h"
#include "sections/Packets.h"
#include "sections/TsduckXml.h"
#include "sections/descriptors/DescriptorRegistry.h"
#include "sections/descriptors/GenericHex.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace quorvelin;
  if (size < 1 || size > 256) return 0;
  const auto kinds = DescriptorKinds();
  const DescriptorKind& kind = *kinds[data[0] % kinds.size()];
  // The data on the heap of its exact size, so that a read past it is caught.
  std::vector<uint8_t> bytes(data + 1, data + size);
  if (kind.extension >= 0 && !bytes.empty()) bytes[0] = static_cast<uint8_t>(kind.extension);

  fuzzing::FreshTree t;
  const ItemHandle holder = t.tree.InsertTextItem("loop", kNoItem);
  if (kind.specifier) {
    const uint8_t s = static_cast<uint8_t>(kind.specifier);
    static const std::vector<uint8_t> pds{0, 0, 0, 0};
    std::vector<uint8_t> p = pds;
    p[3] = s;
    AddHexDescriptor(t.tree, holder, NodeKind::CatDescriptor, {kPrivateDataSpecifierTag, p}, kHexLines);
  }
  AddHexDescriptor(t.tree, holder, NodeKind::CatDescriptor, {kind.tag, bytes}, kHexLines);

  if (const auto g = DecodeDescriptor(kind, bytes)) {
    const auto back = EncodeDescriptor(kind, *g);
    if (!back || back->size() != bytes.size() + 2) std::abort();
  }
  if (bytes.size() <= 255) {
    std::vector<uint8_t> section{0x01, 0xB0, 0, 0xFF, 0xFF, 0xC1, 0, 0, kind.tag, static_cast<uint8_t>(bytes.size())};
    section.insert(section.end(), bytes.begin(), bytes.end());
    const size_t length = section.size() + 1;
    section[1] = static_cast<uint8_t>(0xB0 | length >> 8);
    section[2] = static_cast<uint8_t>(length);
    const uint32_t crc = Crc32Mpeg(section.data(), section.size());
    for (int k = 24; k >= 0; k -= 8) section.push_back(static_cast<uint8_t>(crc >> k));
    std::string error;
    const SectionBytesList back = CompileXmlSections(SectionsToXml({section}), error);
    if (!error.empty() || back.size() != 1 || back[0] != section) std::abort();
  }
  return 0;
}
