// Hand-made table branches with consistent loop lengths, for the command tests.
#pragma once

#include <vector>

#include "tree/TableTreeCtrl.h"
#include "util/Number.h"

namespace quorvelin::test {

inline GenericDescriptor Descriptor(uint8_t tag, uint8_t length) {
  GenericDescriptor d;
  d.tag = tag;
  d.length = length;
  d.data.assign(length, 0xAB);
  return d;
}

// "Section 0:" of a PMT with program-info descriptors and one component with ES descriptors.
struct PmtBranch {
  ItemHandle program, section, infoLine, infoList, components, component, esLine, esList;
  std::vector<ItemHandle> infoDescriptors, esDescriptors;
};

inline PmtBranch AddPmt(TableTreeCtrl& t, int port, std::vector<uint8_t> infoLengths, std::vector<uint8_t> esLengths) {
  PmtBranch b{};
  b.program = t.InsertRecordItem("program: 0x1 (1) => pid: 0x100 (256)", kImageProgram, t.Root(port, Table::Pmt),
                                 MakeHolder(NodeKind::PmtProgram));
  PmtSectionHeader h;
  h.table_id = 2;
  int info = 0;
  for (uint8_t l : infoLengths) info += l + 2;
  h.program_info_length.word = static_cast<uint16_t>(0xF000 | info);
  b.section = t.InsertRecordItem("Section 0:", kImageSection, b.program, MakeRecord(NodeKind::PmtSection, h));
  t.InsertLine("table_id: 0x2", b.section);
  b.infoLine = t.InsertLine(Format("program_info_length: 0x%x (%d)", info, info), b.section);
  b.infoList = t.InsertRecordItem("program_info_descriptors", kImageLine, b.section,
                                  MakeHolder(NodeKind::PmtProgramInfoList));
  for (uint8_t l : infoLengths)
    b.infoDescriptors.push_back(t.InsertRecordItem("descriptor_tag: 5", kImageLine, b.infoList,
                                                   MakeRecord(NodeKind::PmtProgramInfoDescriptor, Descriptor(5, l))));
  b.components = t.InsertRecordItem("components", kImageLine, b.section, MakeHolder(NodeKind::PmtComponentList));
  PmtComponent c;
  int es = 0;
  for (uint8_t l : esLengths) es += l + 2;
  c.stream_type = 2;
  c.es_info_length.set(static_cast<uint32_t>(es));
  b.component = t.InsertRecordItem("stream type:  2", kImageVideo, b.components, MakeRecord(NodeKind::PmtComponent, c));
  t.InsertLine("elementary_pid: 0x101 (257)", b.component);
  b.esLine = t.InsertLine(Format("es_info_length: 0x%x (%d)", es, es), b.component);
  b.esList = t.InsertRecordItem("es descriptors", kImageLine, b.component, MakeHolder(NodeKind::PmtEsDescriptorList));
  for (uint8_t l : esLengths)
    b.esDescriptors.push_back(t.InsertRecordItem("descriptor_tag: 52", kImageLine, b.esList,
                                                 MakeRecord(NodeKind::PmtEsDescriptor, Descriptor(0x52, l))));
  t.InsertLine("crc_32: 0x0", b.section);
  return b;
}

struct SdtBranch {
  ItemHandle section, services, service, loopLine, descriptors;
  std::vector<ItemHandle> items;
};

inline SdtBranch AddSdt(TableTreeCtrl& t, int port, std::vector<uint8_t> lengths) {
  SdtBranch b{};
  b.section = t.InsertRecordItem("Section 0:", kImageSection, t.Root(port, Table::Sdt),
                                 MakeRecord(NodeKind::SdtSection, SdtSectionHeader{}));
  b.services = t.InsertRecordItem("services", kImageLine, b.section, MakeHolder(NodeKind::SdtServiceList));
  SdtService s;
  s.service_id = 1;
  int loop = 0;
  for (uint8_t l : lengths) loop += l + 2;
  s.descriptors_loop_length.set(static_cast<uint32_t>(loop));
  b.service = t.InsertRecordItem("service_id: 0x0001 (1)", kImageLine, b.services, MakeRecord(NodeKind::SdtService, s));
  b.loopLine = t.InsertLine(Format("descriptors_loop_length: 0x%x", loop), b.service);
  b.descriptors = t.InsertRecordItem("descriptors", kImageLine, b.service, MakeHolder(NodeKind::SdtServiceDescriptorList));
  for (uint8_t l : lengths)
    b.items.push_back(t.InsertRecordItem("descriptor_tag: 0x50", kImageLine, b.descriptors,
                                         MakeRecord(NodeKind::SdtDescriptor, Descriptor(0x50, l))));
  return b;
}

// One NIT or BAT section: a first loop of generic descriptors and streams of generic descriptors.
struct LoopBranch {
  ItemHandle section, firstLine, firstList, streamLine, streamList;
  std::vector<ItemHandle> firstDescriptors, streams, streamLengthLines, streamHolders;
  std::vector<std::vector<ItemHandle>> streamDescriptors;
};

inline LoopBranch AddLoopSection(TableTreeCtrl& t, int port, bool bat, std::vector<uint8_t> first,
                                 std::vector<std::vector<uint8_t>> streams) {
  using K = NodeKind;
  LoopBranch b{};
  LoopSectionHeader h;
  h.table_id = bat ? 0x4A : 0x40;
  int firstLen = 0;
  for (uint8_t l : first) firstLen += l + 2;
  int loopLen = 0;
  for (const auto& s : streams) {
    loopLen += 6;
    for (uint8_t l : s) loopLen += l + 2;
  }
  h.descriptors_length.word = static_cast<uint16_t>(0xF000 | firstLen);
  h.transport_stream_loop_length.word = static_cast<uint16_t>(0xF000 | loopLen);
  b.section = t.InsertRecordItem("SECTION:0", kImageLine, t.Root(port, bat ? Table::Bat : Table::Nit),
                                 MakeRecord(bat ? K::BatSection : K::NitSection, h));
  b.firstLine = t.InsertLine(Format(bat ? "bouquet_descriptors_length: 0x%x" : "network_descriptors_length: 0x%x",
                                    firstLen), b.section);
  b.firstList = t.InsertRecordItem(bat ? "bouquet_descriptors:" : "network_descriptors:", kImageLine, b.section,
                                   MakeHolder(bat ? K::BatBouquetDescriptorList : K::NitNetworkDescriptorList));
  for (uint8_t l : first)
    b.firstDescriptors.push_back(t.InsertRecordItem(
        "descriptor_tag: 0x5f", kImageLine, b.firstList,
        MakeRecord(bat ? K::BatDescriptor : K::NitNetworkDescriptor, Descriptor(0x5F, l))));
  b.streamLine = t.InsertLine(Format("transport_stream_loop_length: 0x%x", loopLen), b.section);
  b.streamList = t.InsertRecordItem("transport_streams:", kImageLine, b.section,
                                    MakeHolder(bat ? K::BatTransportStreamList : K::NitTransportStreamList));
  for (const auto& s : streams) {
    TransportStreamEntry e;
    int len = 0;
    for (uint8_t l : s) len += l + 2;
    e.transport_descriptors_length.word = static_cast<uint16_t>(0xF000 | len);
    const ItemHandle ts = t.InsertRecordItem("transport_stream_id: 0x1", kImageLine, b.streamList,
                                             MakeRecord(bat ? K::BatTransportStream : K::NitTransportStream, e));
    t.InsertLine("original_network_id: 0x1", ts);
    b.streamLengthLines.push_back(t.InsertLine(Format("transport_descriptor_length: 0x%x", len), ts));
    const ItemHandle holder = t.InsertRecordItem(
        "transport_descriptors:", kImageLine, ts,
        MakeHolder(bat ? K::BatTransportDescriptorList : K::NitTransportDescriptorList));
    std::vector<ItemHandle> ds;
    for (uint8_t l : s)
      ds.push_back(t.InsertRecordItem("descriptor_tag: 0x5f", kImageLine, holder,
                                      MakeRecord(bat ? K::BatDescriptor : K::NitTransportDescriptor,
                                                 Descriptor(0x5F, l))));
    b.streams.push_back(ts);
    b.streamHolders.push_back(holder);
    b.streamDescriptors.push_back(ds);
  }
  t.InsertLine("crc_32: 0x0", b.section);
  return b;
}

}  // namespace quorvelin::test
