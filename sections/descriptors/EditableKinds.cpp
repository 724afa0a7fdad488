#include "sections/descriptors/EditableKinds.h"

#include "sections/descriptors/CaDescriptor.h"
#include "sections/descriptors/Delivery.h"
#include "sections/descriptors/GenericHex.h"
#include "sections/descriptors/Linkage.h"
#include "sections/descriptors/LogicalChannels.h"
#include "sections/descriptors/Names.h"
#include "sections/descriptors/ServiceDescriptor.h"
#include "sections/descriptors/ServiceList.h"

namespace quorvelin {
namespace {

// The write of a record whose payload is T.
template <class T, void (*Write)(SectionWriter&, const T&)>
void WriteAs(SectionWriter& w, const NodeRecord& r) {
  if (const auto* p = r.As<T>()) Write(w, *p);
}
constexpr auto kWriteName = WriteAs<NameDescriptor, WriteName>;
constexpr auto kWriteList = WriteAs<EntryListDescriptor, WriteEntryList>;
constexpr auto kWriteLinkage = WriteAs<LinkageDescriptor, WriteLinkage>;
constexpr auto kWriteCa = WriteAs<CaDescriptor, WriteCa>;
constexpr auto kWriteService = WriteAs<SdtServiceDescriptor, WriteServiceDescriptor>;
constexpr auto kWriteCable = WriteAs<CableDelivery, WriteDelivery>;
constexpr auto kWriteSatellite = WriteAs<SatelliteDelivery, WriteDelivery>;
constexpr auto kWriteTerrestrial = WriteAs<TerrestrialDelivery, WriteDelivery>;

ItemHandle AddNetworkName(TableTreeCtrl& t, ItemHandle holder, NodeKind kind, const DescriptorBytes& d,
                          ItemHandle after) {
  return AddName(t, holder, kind, d, kNetworkNameKind.name, "network_name: ", DisplayName(d.data), after);
}
ItemHandle AddBouquetName(TableTreeCtrl& t, ItemHandle holder, NodeKind kind, const DescriptorBytes& d,
                          ItemHandle after) {
  return AddName(t, holder, kind, d, kBouquetNameKind.name, "bouquet_name: ", DisplayName(d.data), after);
}
ItemHandle AddList(TableTreeCtrl& t, ItemHandle holder, NodeKind kind, const DescriptorBytes& d, ItemHandle after) {
  return AddServiceList(t, holder, kind, d, after);
}
ItemHandle AddChannels(TableTreeCtrl& t, ItemHandle holder, NodeKind, const DescriptorBytes& d, ItemHandle after) {
  return AddLogicalChannels(t, holder, d, after);
}
ItemHandle AddLink(TableTreeCtrl& t, ItemHandle holder, NodeKind kind, const DescriptorBytes& d, ItemHandle after) {
  return d.data.size() < kLinkageFixedLength ? kNoItem : AddLinkage(t, holder, kind, d, after);
}
ItemHandle AddCaItem(TableTreeCtrl& t, ItemHandle holder, NodeKind kind, const DescriptorBytes& d, ItemHandle after) {
  return IsCaDescriptor(d.tag, d.length()) ? AddCa(t, holder, kind, d, after) : kNoItem;
}
ItemHandle AddService(TableTreeCtrl& t, ItemHandle holder, NodeKind, const DescriptorBytes& d, ItemHandle after) {
  const auto named = ReadServiceDescriptor(d);
  return named ? AddServiceDescriptor(t, holder, *named, after) : kNoItem;
}
ItemHandle AddDeliveryItem(TableTreeCtrl& t, ItemHandle holder, NodeKind, const DescriptorBytes& d, ItemHandle after) {
  return AddDelivery(t, holder, d, after);
}

using K = NodeKind;
// One line per editable kind and loop it may stand in.
constexpr EditableKind kEditable[] = {
    {&kNetworkNameKind, K::NitNetworkDescriptorList, K::NitNetworkName, AddNetworkName, kWriteName, true},
    {&kNetworkNameKind, K::NitTransportDescriptorList, K::NitTransportNetworkName, AddNetworkName, kWriteName, true},
    {&kServiceListKind, K::NitNetworkDescriptorList, K::NitServiceList, AddList, kWriteList, true},
    {&kServiceListKind, K::NitTransportDescriptorList, K::NitServiceList, AddList, kWriteList, true},
    {&kServiceListKind, K::BatTransportDescriptorList, K::BatServiceList, AddList, kWriteList, true},
    {&kLinkageKind, K::NitNetworkDescriptorList, K::NitLinkageDescriptor, AddLink, kWriteLinkage, false},
    {&kLinkageKind, K::SdtServiceDescriptorList, K::SdtLinkageDescriptor, AddLink, kWriteLinkage, false},
    {&kEacemLogicalChannelKind, K::NitTransportDescriptorList, K::NitLogicalChannels, AddChannels, kWriteList, true},
    {&kCableDeliveryKind, K::NitTransportDescriptorList, K::NitCableDelivery, AddDeliveryItem, kWriteCable, true},
    {&kSatelliteDeliveryKind, K::NitTransportDescriptorList, K::NitSatelliteDelivery, AddDeliveryItem, kWriteSatellite,
     true},
    {&kTerrestrialDeliveryKind, K::NitTransportDescriptorList, K::NitTerrestrialDelivery, AddDeliveryItem,
     kWriteTerrestrial, true},
    {&kBouquetNameKind, K::BatBouquetDescriptorList, K::BatBouquetName, AddBouquetName, kWriteName, true},
    {&kServiceKind, K::SdtServiceDescriptorList, K::SdtServiceDescriptor, AddService, kWriteService, true},
    {&kCaKind, K::CatDescriptorList, K::CatCaDescriptor, AddCaItem, kWriteCa, false},
    {&kCaKind, K::PmtProgramInfoList, K::PmtCaDescriptor, AddCaItem, kWriteCa, false},
    {&kCaKind, K::PmtEsDescriptorList, K::PmtCaDescriptor, AddCaItem, kWriteCa, false},
};

// How a loop keeps a descriptor of no editable kind: its record kind and lines.
struct HexLoop {
  NodeKind holder, record;
  const HexLines* lines;
  bool modify = false;  // the hex page changes it in place
};
constexpr HexLoop kHexLoops[] = {
    {K::NitNetworkDescriptorList, K::NitNetworkDescriptor, &kHexLines},
    {K::NitTransportDescriptorList, K::NitTransportDescriptor, &kHexLines},
    {K::BatBouquetDescriptorList, K::BatDescriptor, &kHexLines, true},
    {K::BatTransportDescriptorList, K::BatDescriptor, &kHexLines, true},
    {K::SdtServiceDescriptorList, K::SdtDescriptor, &kHexLines},
    {K::CatDescriptorList, K::CatDescriptor, &kHexLines},
    {K::PmtProgramInfoList, K::PmtProgramInfoDescriptor, &kProgramInfoHexLines},
    {K::PmtEsDescriptorList, K::PmtEsDescriptor, &kHexLines},
};

const HexLoop* FindHexLoop(NodeKind holder) {
  for (const HexLoop& l : kHexLoops)
    if (l.holder == holder) return &l;
  return nullptr;
}

}  // namespace

const EditableKind* FindEditableKind(NodeKind holder, uint8_t tag) {
  for (const EditableKind& k : kEditable)
    if (k.holder == holder && k.kind->tag == tag) return &k;
  return nullptr;
}

const EditableKind* FindEditableKind(NodeKind record) {
  for (const EditableKind& k : kEditable)
    if (k.record == record) return &k;
  return nullptr;
}

bool IsDescriptorKind(NodeKind record) {
  for (const HexLoop& l : kHexLoops)
    if (l.record == record) return true;
  return FindEditableKind(record) != nullptr;
}

NodeKind HexDescriptorKind(NodeKind holder) {
  const HexLoop* hex = FindHexLoop(holder);
  return hex ? hex->record : NodeKind::None;
}

bool IsModifiedInPlace(NodeKind record) {
  for (const HexLoop& l : kHexLoops)
    if (l.record == record) return l.modify;
  const EditableKind* k = FindEditableKind(record);
  return k && k->modify;
}

ItemHandle AddLoopDescriptor(TableTreeCtrl& tree, ItemHandle holder, const DescriptorBytes& d, ItemHandle after) {
  const NodeKind loop = tree.KindOf(holder);
  if (const EditableKind* k = FindEditableKind(loop, d.tag))
    if (const ItemHandle item = k->add(tree, holder, k->record, d, after)) return item;
  const HexLoop* hex = FindHexLoop(loop);
  if (!hex) return kNoItem;
  return AddHexDescriptor(tree, holder, hex->record, d, *hex->lines, after);
}

ItemHandle AddLoopDescriptor(TableTreeCtrl& tree, ItemHandle holder, const NodeRecord& record, ItemHandle after) {
  const auto bytes = LoopDescriptorBytes(record);
  if (!bytes || bytes->size() < 2) return kNoItem;
  const DescriptorBytes d{(*bytes)[0], std::span<const uint8_t>(*bytes).subspan(2)};
  return AddLoopDescriptor(tree, holder, d, after);
}

void WriteLoopDescriptor(SectionWriter& w, const NodeRecord& record) {
  if (const EditableKind* k = FindEditableKind(record.kind))
    k->write(w, record);
  else if (const auto* g = record.As<GenericDescriptor>())
    WriteDescriptor(w, *g);
}

std::optional<std::vector<uint8_t>> LoopDescriptorBytes(const NodeRecord& record) {
  SectionWriter w(kMaxSectionBytes);
  WriteLoopDescriptor(w, record);
  if (w.size() < 2 || w.overflowed()) return std::nullopt;
  return std::vector<uint8_t>(w.data(), w.data() + w.size());
}

}  // namespace quorvelin
