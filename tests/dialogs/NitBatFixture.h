// NIT and BAT branches laid out as the creation commands and dialogs make them, and a snapshot
// of the whole tree with its records for "nothing changed" checks.
#pragma once

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <type_traits>

#include "sections/BatSections.h"
#include "sections/NitSections.h"
#include "tree/TableTreeCtrl.h"
#include "util/Number.h"
#include "util/TextCode.h"
#include "util/Ui.h"

namespace quorvelin::test {

struct LoopSection {
  ItemHandle item = kNoItem, descriptorsLine = kNoItem, descriptors = kNoItem, loopLine = kNoItem, streams = kNoItem;
};
struct StreamItems {
  ItemHandle item = kNoItem, lengthLine = kNoItem;
};

inline std::string Hex(const uint8_t* p, size_t n) {
  std::string s;
  for (size_t i = 0; i < n; ++i) s += Format(i ? " %02X" : "%02X", p[i]);
  return s;
}
template <class C>
std::string Hex(const C& c) {
  return Hex(c.data(), c.size());
}

// Every field of a record, in declaration order.
inline std::string RecordText(const NodeRecord& r) {
  std::ostringstream o;
  o << std::hex << KindCode(r.kind) << ':';
  std::visit(
      [&o](const auto& p) {
        using T = std::decay_t<decltype(p)>;
        if constexpr (std::is_same_v<T, LoopSectionHeader>) {
          o << +p.table_id << ' ' << +p.section_syntax_indicator << ' ' << p.section_length.word << ' ' << p.id << ' '
            << +p.version_number << ' ' << +p.current_next_indicator << ' ' << +p.section_number << ' '
            << +p.last_section_number << ' ' << p.descriptors_length.word << ' ' << p.transport_stream_loop_length.word;
        } else if constexpr (std::is_same_v<T, TransportStreamEntry>) {
          o << p.transport_stream_id << ' ' << p.original_network_id << ' ' << p.transport_descriptors_length.word;
        } else if constexpr (std::is_same_v<T, GenericDescriptor> || std::is_same_v<T, EntryListDescriptor>) {
          o << +p.tag << ' ' << +p.length << ' ';
          if constexpr (std::is_same_v<T, GenericDescriptor>)
            o << Hex(p.data);
          else
            o << Hex(p.entries);
        } else if constexpr (std::is_same_v<T, NameDescriptor>) {
          o << +p.tag << ' ' << +p.length << ' ' << Hex(p.name);
        } else if constexpr (std::is_same_v<T, LinkageDescriptor>) {
          o << +p.tag << ' ' << +p.length << ' ' << p.transport_stream_id << ' ' << p.original_network_id << ' '
            << p.service_id << ' ' << +p.linkage_type << ' ' << Hex(p.private_data);
        } else if constexpr (std::is_same_v<T, CableDelivery>) {
          o << Hex(p.frequency) << ' ' << +p.fec_outer << ' ' << +p.modulation << ' ' << Hex(p.symbol_rate) << ' '
            << +p.fec_inner;
        } else if constexpr (std::is_same_v<T, SatelliteDelivery>) {
          o << Hex(p.frequency) << ' ' << Hex(p.orbital_position) << ' ' << +p.flags << ' ' << +p.modulation << ' '
            << Hex(p.symbol_rate) << ' ' << +p.fec_inner;
        } else if constexpr (std::is_same_v<T, TerrestrialDelivery>) {
          o << p.centre_frequency << ' ' << +p.a << ' ' << +p.b << ' ' << +p.c;
        } else if constexpr (!std::is_same_v<T, std::monostate>) {
          o << "other";
        }
      },
      r.payload);
  return o.str();
}

// What the NIT or BAT builder writes for a port.
struct BuiltTable {
  BuildResult result;
  std::vector<uint8_t> packets;  // whole packets
  std::vector<uint8_t> section;  // the first section, table_id to CRC_32
};

// The first section carried by the packets (payloads joined, pointer field dropped).
inline std::vector<uint8_t> FirstSection(const std::vector<uint8_t>& packets) {
  std::vector<uint8_t> payload;
  for (size_t at = 0; at + 188 <= packets.size(); at += 188)
    payload.insert(payload.end(), packets.begin() + static_cast<long>(at + (at == 0 ? 5 : 4)),
                   packets.begin() + static_cast<long>(at + 188));
  if (payload.size() < 3) return {};
  const size_t length = 3 + ((payload[1] & 0x0F) << 8 | payload[2]);
  if (length > payload.size()) return {};
  return std::vector<uint8_t>(payload.begin(), payload.begin() + static_cast<long>(length));
}

// Empty when every length field of the NIT or BAT section covers exactly the items behind it:
// the descriptors of the first loop, the stream entries and each stream's descriptors, up to
// the CRC_32. Otherwise what disagrees.
inline std::string LoopLengthsMismatch(const std::vector<uint8_t>& s) {
  const auto length12 = [&s](size_t at) { return static_cast<size_t>((s[at] & 0x0F) << 8 | s[at + 1]); };
  const auto walkDescriptors = [&s](size_t at, size_t end) {
    while (at + 2 <= end) at += 2 + s[at + 1];
    return at;
  };
  if (s.size() < 16) return "section shorter than 16 bytes";
  const size_t crc = s.size() - 4;
  size_t at = 10;
  const size_t firstEnd = at + length12(8);
  if (firstEnd + 2 > crc) return "first loop runs into the CRC";
  if (walkDescriptors(at, firstEnd) != firstEnd) return "first loop length splits a descriptor";
  at = firstEnd + 2;
  const size_t loopEnd = at + length12(firstEnd);
  if (loopEnd != crc) return Format("transport_stream_loop_length ends at %zu, the CRC starts at %zu", loopEnd, crc);
  while (at < loopEnd) {
    if (at + 6 > loopEnd) return "stream entry cut by the loop end";
    const size_t end = at + 6 + length12(at + 4);
    if (end > loopEnd) return "stream descriptors run past the loop";
    if (walkDescriptors(at + 6, end) != end) return "transport_descriptors_length splits a descriptor";
    at = end;
  }
  return "";
}

class NitBatTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetTextCode(0);
    tree.BuildRoots();
  }
  void TearDown() override { SetTextCode(0); }

  // A NIT section as its creation command lays it out; with `holders`, both loop holders too.
  LoopSection AddNitSection(uint16_t networkId = 0x3001, bool holders = true, int port = 1) {
    return AddLoopSection(false, networkId, holders, port);
  }
  // A BAT section as CAddBat lays it out; with `holders`, both loop holders too.
  LoopSection AddBatSection(uint16_t bouquetId = 0x1001, bool holders = true, int port = 1) {
    return AddLoopSection(true, bouquetId, holders, port);
  }

  // A transport stream as CNITAddTranStream adds it (loop length + 6, its line rewritten).
  StreamItems AddStream(const LoopSection& s, uint16_t tsid = 0x0001, uint16_t onid = 0x3001) {
    const bool bat = tree.KindOf(s.item) == NodeKind::BatSection;
    TransportStreamEntry e;
    e.transport_stream_id = tsid;
    e.original_network_id = onid;
    e.transport_descriptors_length.word = 0xF000;
    StreamItems st;
    st.item = tree.InsertRecordItem(Format("transport_stream_id: 0x%x", tsid), kImageLine, s.streams,
                                    MakeRecord(bat ? NodeKind::BatTransportStream : NodeKind::NitTransportStream, e));
    tree.InsertLine(Format("original_network_id: 0x%x", onid), st.item);
    st.lengthLine = tree.InsertLine("transport_descriptor_length: 0x0", st.item);
    Header(s.item).transport_stream_loop_length.add(6);
    tree.SetItemText(s.loopLine,
                     Format("stransport_stream_loop_length: 0x%x", Header(s.item).transport_stream_loop_length.get()));
    return st;
  }

  LoopSectionHeader& Header(ItemHandle section) { return *tree.RecordOf(section)->As<LoopSectionHeader>(); }
  TransportStreamEntry& Entry(ItemHandle stream) { return *tree.RecordOf(stream)->As<TransportStreamEntry>(); }
  template <class T>
  T& PayloadOf(ItemHandle item) {
    T* p = tree.RecordOf(item)->As<T>();
    EXPECT_NE(p, nullptr);
    return *p;
  }

  // Builds the port's NIT or BAT.
  BuiltTable Build(Table table, int port = 1) {
    BuiltTable built;
    std::vector<uint8_t> area(64 * 188, 0);
    built.result = table == Table::Bat ? BuildBat(tree, port, area.data(), area.size())
                                       : BuildNit(tree, port, area.data(), area.size());
    if (!built.result) return built;
    area.resize(static_cast<size_t>(built.result.count) * 188);
    built.packets = area;
    built.section = FirstSection(area);
    return built;
  }

  // Builds the port's table and checks that every length it wrote agrees with the items behind it.
  BuiltTable BuildWellFormed(Table table, int port = 1) {
    BuiltTable built = Build(table, port);
    EXPECT_TRUE(built.result) << built.result.error;
    EXPECT_EQ(LoopLengthsMismatch(built.section), "");
    return built;
  }

  ItemHandle Child(ItemHandle parent, int row) const { return tree.ChildAt(parent, row); }
  ItemHandle LastChild(ItemHandle parent) const { return tree.ChildAt(parent, tree.ChildCount(parent) - 1); }
  const std::string& TextOf(ItemHandle item) const { return tree.GetItemText(item); }
  std::string Lines(ItemHandle item) const { return DumpTree(tree, item); }

  // The whole tree, each item's record beside its text.
  std::string Snapshot() const {
    std::string out;
    SnapshotItems(tree.GetRootItem(), 0, out);
    return out;
  }

  TableTreeCtrl tree;
  RecordingUi ui;

 private:
  LoopSection AddLoopSection(bool bat, uint16_t id, bool holders, int port) {
    using K = NodeKind;
    LoopSection s;
    LoopSectionHeader h;
    h.table_id = bat ? 0x4A : 0x40;
    h.section_syntax_indicator = 1;
    h.id = id;
    h.current_next_indicator = 1;
    h.descriptors_length.word = 0xF000;
    h.transport_stream_loop_length.word = 0xF000;
    const ItemHandle root = tree.Root(port, bat ? Table::Bat : Table::Nit);
    s.item = bat ? tree.InsertRecordItem(Format("tableID: 0x4A,BouquetID:0x%x,version_number:0x0", id), kImageProgram,
                                         root, MakeRecord(K::BatSection, h))
                 : tree.InsertRecordItem("SECTION:0", kImageLine, root, MakeRecord(K::NitSection, h));
    tree.InsertLine(Format("table_id: 0x%x", h.table_id), s.item);
    tree.InsertLine("section_syntax_indicator: 0x1", s.item);
    tree.InsertLine("section_length: 0x0", s.item);
    tree.InsertLine(Format(bat ? "bouquet_id: 0x%x" : "network_id: 0x%x", id), s.item);
    tree.InsertLine("version_number: 0x0", s.item);
    tree.InsertLine("current_next_indicator: 0x1", s.item);
    tree.InsertLine("section_number: 0x0", s.item);
    tree.InsertLine("last_section_number: 0x0", s.item);
    s.descriptorsLine =
        tree.InsertLine(bat ? "bouquet_descriptors_length: 0x0 (0)" : "network_descriptors_length: 0x0", s.item);
    if (holders)
      s.descriptors =
          tree.InsertRecordItem(bat ? "bouquet_descriptors" : "network_descriptors", kImageLine, s.item,
                                MakeHolder(bat ? K::BatBouquetDescriptorList : K::NitNetworkDescriptorList));
    s.loopLine =
        tree.InsertLine(bat ? "transport_stream_loop_length: 0x0 (0)" : "transport_stream_loop_length: 0x0", s.item);
    if (holders)
      s.streams = tree.InsertRecordItem("transport_streams", kImageLine, s.item,
                                        MakeHolder(bat ? K::BatTransportStreamList : K::NitTransportStreamList));
    tree.InsertLine("crc_32: 0x0", s.item);
    return s;
  }

  void SnapshotItems(ItemHandle first, int depth, std::string& out) const {
    for (ItemHandle h = first; h != kNoItem; h = tree.GetNextSiblingItem(h)) {
      out.append(static_cast<size_t>(depth) * 2, ' ');
      out += tree.GetItemText(h);
      if (const NodeRecord* r = tree.RecordOf(h)) out += " [" + RecordText(*r) + "]";
      out += '\n';
      SnapshotItems(tree.GetChildItem(h), depth + 1, out);
    }
  }
};

// One NIT section with one transport stream, the stream selected (the transport descriptor pages).
class NitStreamTest : public NitBatTest {
 protected:
  void SetUp() override {
    NitBatTest::SetUp();
    section = AddNitSection(0x3001);
    stream = AddStream(section, 0x0001, 0x3001);
    tree.SelectItem(stream.item);
  }
  // The descriptor last added to the stream.
  ItemHandle NewDescriptor() { return LastChild(LastChild(stream.item)); }

  LoopSection section;
  StreamItems stream;
};

}  // namespace quorvelin::test
