// Helpers of the NIT, BAT and table file tests: hand-made loop sections.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "SectionTestSupport.h"
#include "sections/LoopSections.h"
#include "sections/Packets.h"

namespace quorvelin::testing {

using Bytes = std::vector<uint8_t>;

// tag, length, data
inline Bytes Descriptor(uint8_t tag, const Bytes& data) {
  Bytes d{tag, static_cast<uint8_t>(data.size())};
  d.insert(d.end(), data.begin(), data.end());
  return d;
}

inline Bytes Join(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

inline void PutLength12(Bytes& b, size_t value) {
  b.push_back(static_cast<uint8_t>(0xF0 | ((value >> 8) & 0x0F)));
  b.push_back(static_cast<uint8_t>(value & 0xFF));
}

// A well-formed NIT or BAT section with correct lengths and CRC_32, described piece by piece.
class TestSection {
 public:
  explicit TestSection(uint8_t tableId = 0x40) : tableId_(tableId) {}
  TestSection& Id(uint16_t id) { return id_ = id, *this; }
  TestSection& Version(uint8_t v) { return version_ = v, *this; }
  TestSection& Numbers(uint8_t number, uint8_t last) { return number_ = number, last_ = last, *this; }
  TestSection& First(const Bytes& descriptors) { return first_ = descriptors, *this; }
  TestSection& Stream(uint16_t tsId, uint16_t onId, const Bytes& descriptors) {
    Bytes e{static_cast<uint8_t>(tsId >> 8), static_cast<uint8_t>(tsId), static_cast<uint8_t>(onId >> 8),
            static_cast<uint8_t>(onId)};
    PutLength12(e, descriptors.size());
    e.insert(e.end(), descriptors.begin(), descriptors.end());
    streams_.insert(streams_.end(), e.begin(), e.end());
    return *this;
  }

  Bytes Make() const {
    Bytes s{tableId_,
            0xF0,
            0x00,
            static_cast<uint8_t>(id_ >> 8),
            static_cast<uint8_t>(id_),
            static_cast<uint8_t>(0xC1 | (version_ & 0x1F) << 1),
            number_,
            last_};
    PutLength12(s, first_.size());
    s.insert(s.end(), first_.begin(), first_.end());
    PutLength12(s, streams_.size());
    s.insert(s.end(), streams_.begin(), streams_.end());
    const size_t sectionLength = s.size() + 1;
    s[1] = static_cast<uint8_t>(0xF0 | (sectionLength >> 8));
    s[2] = static_cast<uint8_t>(sectionLength);
    const uint32_t crc = Crc32Mpeg(s.data(), s.size());
    for (int shift = 24; shift >= 0; shift -= 8) s.push_back(static_cast<uint8_t>(crc >> shift));
    return s;
  }

 private:
  uint8_t tableId_;
  uint16_t id_ = 0x1001;
  uint8_t version_ = 3, number_ = 0, last_ = 0;
  Bytes first_, streams_;
};

inline Bytes ReadFileBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

// Lines of the item and everything below it, as DumpTree shows them.
inline std::string Subtree(const TableTreeCtrl& tree, ItemHandle item) { return DumpTree(tree, item); }

// The n-th child (from 0) of `item`.
inline ItemHandle Child(const TableTreeCtrl& tree, ItemHandle item, int n) { return tree.ChildAt(item, n); }

// Puts a NIT or BAT branch together record by record, keeping its loop lengths as the dialogs do.
class LoopBranch {
 public:
  LoopBranch(TableTreeCtrl& tree, const LoopFamily& family, int port) : tree_(tree), f_(family), port_(port) {}

  ItemHandle Section(uint16_t id, uint8_t version, uint8_t number) {
    LoopSectionHeader h;
    h.table_id = f_.tableId;
    h.section_syntax_indicator = 1;
    h.id = id;
    h.version_number = version;
    h.current_next_indicator = 1;
    h.section_number = number;
    return tree_.InsertRecordItem("section", kImageLine, tree_.Root(port_, f_.table), MakeRecord(f_.section, h));
  }
  void First(ItemHandle section, NodeKind kind, Payload descriptor) {
    auto record = std::make_unique<NodeRecord>(kind, std::move(descriptor));
    Header(section).descriptors_length.add(SectionSize(*record));
    tree_.InsertRecordItem("descriptor", kImageLine, Holder(section, f_.firstList), std::move(record));
  }
  ItemHandle Stream(ItemHandle section, uint16_t tsId, uint16_t onId) {
    TransportStreamEntry e;
    e.transport_stream_id = tsId;
    e.original_network_id = onId;
    Header(section).transport_stream_loop_length.add(6);
    return tree_.InsertRecordItem("stream", kImageLine, Holder(section, f_.streamList), MakeRecord(f_.stream, e));
  }
  void StreamDescriptor(ItemHandle section, ItemHandle stream, NodeKind kind, Payload descriptor) {
    auto record = std::make_unique<NodeRecord>(kind, std::move(descriptor));
    const int size = SectionSize(*record);
    Header(section).transport_stream_loop_length.add(size);
    tree_.RecordOf(stream)->As<TransportStreamEntry>()->transport_descriptors_length.add(size);
    tree_.InsertRecordItem("descriptor", kImageLine, Holder(stream, f_.streamDescriptors), std::move(record));
  }

 private:
  LoopSectionHeader& Header(ItemHandle section) { return *tree_.RecordOf(section)->As<LoopSectionHeader>(); }
  ItemHandle Holder(ItemHandle parent, NodeKind kind) {
    const ItemHandle h = tree_.FindDirectChildOfKind(parent, kind);
    return h != kNoItem ? h : tree_.InsertRecordItem("holder", kImageLine, parent, MakeHolder(kind));
  }

  TableTreeCtrl& tree_;
  const LoopFamily& f_;
  int port_;
};

inline NameDescriptor Name(uint8_t tag, const std::string& text) {
  NameDescriptor n;
  n.tag = tag;
  n.length = static_cast<uint8_t>(text.size());
  std::copy(text.begin(), text.end(), n.name.begin());
  return n;
}

inline EntryListDescriptor Entries(uint8_t tag, const Bytes& entries) {
  return EntryListDescriptor{tag, static_cast<uint8_t>(entries.size()), entries};
}

}  // namespace quorvelin::testing
