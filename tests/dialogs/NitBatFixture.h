// A NIT and a BAT made by their creation dialogs on the first port, for tests that work on the
// items directly; the tree, its lines and its built bytes are those of MpegTree.
#pragma once

#include <string>
#include <vector>

#include "MpegFixture.h"
#include "dialogs/dvb/CAddBat.h"
#include "dialogs/dvb/CBATAddGather.h"
#include "dialogs/dvb/CNITAddGather.h"
#include "dialogs/dvb/CNITAddTranStream.h"
#include "sections/LoopSections.h"
#include "sections/NewSections.h"
#include "util/Number.h"
#include "util/TextCode.h"

namespace quorvelin::test {

struct LoopSection {
  ItemHandle item = kNoItem, descriptors = kNoItem, streams = kNoItem;
};
struct StreamItems {
  ItemHandle item = kNoItem;
};
struct BuiltTable {
  std::vector<uint8_t> packets;
};

// The bytes a NIT or BAT descriptor record goes out as.
inline std::string RecordText(const NodeRecord& r) {
  SectionWriter w(kMaxSectionBytes);
  WriteCommonDescriptor(w, r);
  return std::string(w.data(), w.data() + w.size());
}

class NitBatTest : public ::testing::Test {
 protected:
  // A section with both loop holders: NIT network 0x3001, or BAT bouquet 0x1001.
  LoopSection AddNitSection() {
    InsertNewNitSection(tree, tree.Root(1, Table::Nit), 0x3001, 0);
    return Holders(K::NitSection, Make<CNITAddGather>());
  }
  LoopSection AddBatSection() {
    const Fields ids{{CAddBat::kBouquetId, "4097"}, {CAddBat::kVersionNumber, "0"}};
    EXPECT_TRUE(RunOn(t_, {K::BatRoot}, Make<CAddBat>(), -1, ids));
    return Holders(K::BatSection, Make<CBATAddGather>());
  }
  // Transport stream 0x0001 of network 0x3001, added by its dialog.
  StreamItems AddStream(const LoopSection& s) {
    tree.SelectItem(s.streams);
    const Fields ids{{CNITAddTranStream::kTransportStreamId, "1"}, {CNITAddTranStream::kOriginalNetworkId, "0x3001"}};
    EXPECT_TRUE(RunOk(*Make<CNITAddTranStream>()(t_), -1, ids));
    return {LastChild(s.streams)};
  }
  // The packets of the port's table, which libdvbpsi reads without an error.
  BuiltTable BuildWellFormed(Table table) { return {BuiltPackets(tree, table)}; }  // DecodeOne checks them
  ItemHandle Child(ItemHandle parent, int row) const { return tree.ChildAt(parent, row); }
  ItemHandle LastChild(ItemHandle parent) const { return tree.ChildAt(parent, tree.ChildCount(parent) - 1); }
  const std::string& TextOf(ItemHandle item) const { return tree.GetItemText(item); }
  std::string Snapshot() { return t_.Snapshot(); }

  MpegTree t_;
  TableTreeCtrl& tree = t_.tree;
  RecordingUi& ui = t_.ui;

 private:
  LoopSection Holders(NodeKind kind, const Factory& gather) {
    LoopSection s{t_.Find({kind})};
    for (const char* type : {"#0", "#1"}) EXPECT_TRUE(RunOn(t_, {kind}, gather, -1, {{CNITAddGather::kType, type}}));
    s.descriptors = tree.GetNextSiblingItem(tree.ChildAt(s.item, 8));
    s.streams = tree.GetNextSiblingItem(tree.GetNextSiblingItem(s.descriptors));
    return s;
  }
};

// One NIT section with one transport stream, the stream selected (the transport descriptor pages).
class NitStreamTest : public NitBatTest {
 protected:
  void SetUp() override {
    section = AddNitSection();
    stream = AddStream(section);
    tree.SelectItem(stream.item);
  }
  // The descriptor last added to the stream.
  ItemHandle NewDescriptor() { return LastChild(LastChild(stream.item)); }

  LoopSection section;
  StreamItems stream;
};

}  // namespace quorvelin::test
