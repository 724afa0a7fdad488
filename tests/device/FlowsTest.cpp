// Refresh, Submit and SetChannel against a device held in memory.
#include "device/Flows.h"

#include <gtest/gtest.h>

#include "device/DeviceTestSupport.h"
#include "device/StoreExchange.h"
#include "tools/devsim/SampleMultiplex.h"

namespace quorvelin {
namespace {

using Exchange = testing::StoreExchange::Exchange;

struct Flow {
  Flow() : exchange(store, tree) {
    devsim::LoadSample(store);
    tree.portMode = 1;
  }
  // Selects the port node and submits.
  bool SubmitOf(int port) {
    tree.SelectItem(tree.PortNode(port));
    return Submit(tree, exchange, ui);
  }
  testing::TempDir dir;  // the dumps of the reads
  devsim::DeviceStore store;
  TableTreeCtrl tree;
  RecordingUi ui;
  testing::StoreExchange exchange;
};

Exchange Read(uint16_t pid, int port, size_t size, uint8_t selector = 0, bool bat = false) {
  return {false, pid, selector, port, bat, size, {}};
}

TEST(Refresh, ReadsEveryTableInOrder) {
  Flow f;
  Refresh(f.tree, f.exchange);
  const std::vector<Exchange> expected = {
      Read(0x0000, 1, 4096), Read(0x0000, 2, 4096),
      Read(0x0100, 1, 2048), Read(0x0200, 1, 2048, 2), Read(0x0200, 1, 2048, 3),  // shared PID: by index
      Read(0x0400, 2, 2048), Read(0x0410, 2, 2048),
      Read(0x0011, 1, 4096), Read(0x0011, 2, 4096), Read(0x0001, 1, 4096), Read(0x0001, 2, 4096),
      Read(0x0010, 1, 5120), Read(0x0010, 2, 5120),
      Read(0x0011, 1, 204800, 0, true), Read(0x0011, 2, 204800, 0, true),
      Read(0x0014, 1, 4096), Read(0x0014, 1, 4096), Read(0x0014, 2, 4096), Read(0x0014, 2, 4096)};
  EXPECT_EQ(f.exchange.log, expected);
  EXPECT_EQ(f.tree.programCount, (std::array<int, 2>{4, 3}));
  for (int port : {1, 2})
    for (int t = 0; t < kTableCount; ++t)
      EXPECT_TRUE(f.tree.ItemHasChildren(f.tree.Root(port, static_cast<Table>(t)))) << port << ' ' << t;
  EXPECT_EQ(f.tree.ChildCount(f.tree.Root(1, Table::Pmt)), 3);
  EXPECT_EQ(f.tree.ChildCount(f.tree.Root(1, Table::Nit)), 2);
  EXPECT_EQ(f.tree.ChildCount(f.tree.Root(1, Table::Bat)), 2);
  // A second Refresh starts from scratch.
  const std::string first = DumpTree(f.tree);
  Refresh(f.tree, f.exchange);
  EXPECT_EQ(DumpTree(f.tree), first);
  EXPECT_TRUE(f.ui.messages.empty());
}

TEST(Refresh, ASilentDeviceLeavesEmptyRootsAndNoMessage) {
  Flow f;
  f.exchange.answering = false;
  Refresh(f.tree, f.exchange);
  EXPECT_EQ(DumpTree(f.tree), "PortA\n  PAT\n  PMT\n  SDT\n  CAT\n  NIT\n  TDT\n  TOT\n  BAT\n"
                              "PortB\n  PAT\n  PMT\n  SDT\n  CAT\n  NIT\n  TDT\n  TOT\n  BAT\n");
  EXPECT_TRUE(f.ui.messages.empty());
  f.tree.portMode = 0;
  Refresh(f.tree, f.exchange);
  EXPECT_EQ(f.tree.ItemCount(), 0u);
}

TEST(SetChannel, TheNewChannelNamesThePortAndAddressesEveryRequest) {
  Flow f;
  f.tree.portMode = 2;
  f.store.SetPort(3, devsim::SamplePortB());
  ApplyChannel(f.tree, f.exchange, 4);
  EXPECT_EQ(f.tree.GetItemText(f.tree.PortNode(1)), "Port4");
  EXPECT_EQ(f.tree.ChildCount(f.tree.Root(1, Table::Pmt)), 2);
  f.store.SetPort(3, {});
  ASSERT_TRUE(f.SubmitOf(1));
  EXPECT_EQ(f.store.Port(3).pat, devsim::SamplePortB().pat);  // written back to port index 3
  EXPECT_TRUE(f.store.Port(0).pmts.size() == 3);               // port A untouched
}

Exchange Write(uint16_t pid, size_t size, uint8_t selector = 0, bool bat = false) {
  return {true, pid, selector, 1, bat, size, {}};
}

std::vector<Exchange> WithoutPackets(std::vector<Exchange> e, int* port = nullptr) {
  for (Exchange& x : e) {
    x.packets.clear();
    if (port) x.port = *port;
  }
  return e;
}

TEST(Submit, WritesThePortInOrderAndTheDeviceGetsItsTablesBack) {
  Flow f;
  Refresh(f.tree, f.exchange);
  f.exchange.log.clear();
  f.store.SetPort(0, {});
  ASSERT_TRUE(f.SubmitOf(1));
  const std::vector<Exchange> expected = {
      Write(0x0000, 188),         Write(0xFFFF, 1024, 1), Write(0xFFFF, 1024, 2),
      Write(0xFFFF, 1024, 3),     Write(0x0011, 204800),  Write(0x0001, 1024),
      Write(0x0010, 204800),      Write(0x0011, 204800, 0, true), Write(0x0014, 1024, 0, true)};
  EXPECT_EQ(WithoutPackets(f.exchange.log), expected);
  devsim::PortTables sample = devsim::SamplePortA(), got = f.store.Port(0);
  ASSERT_EQ(got.time.size(), 2 * kPacketSize);
  EXPECT_EQ(got.time[5], 0x70);
  EXPECT_EQ(got.time[188 + 3], 0x11);  // the TOT packet counts on from the TDT packet
  EXPECT_EQ(got.time[188 + 5], 0x73);
  got.time.clear();  // a TDT carries the time of the moment it is built
  sample.time.clear();
  EXPECT_EQ(got, sample);
  EXPECT_TRUE(f.ui.messages.empty());
}

TEST(Submit, PortTwoWritesEverySlotNumberedBySlot) {
  Flow f;
  Refresh(f.tree, f.exchange);
  f.tree.programCount[1] = 4;  // more than the PAT now lists: the extra slots go out empty
  f.exchange.log.clear();
  ASSERT_TRUE(f.SubmitOf(2));
  std::vector<Exchange> pmts;
  for (const Exchange& e : f.exchange.Writes())
    if (e.pid == 0xFFFF) pmts.push_back(e);
  ASSERT_EQ(pmts.size(), 4u);
  for (size_t i = 0; i < pmts.size(); ++i) EXPECT_EQ(pmts[i].selector, i + 1);
  EXPECT_EQ(pmts[1].packets.size(), kPacketSize);
  EXPECT_TRUE(pmts[3].packets.empty());
  for (const Exchange& e : f.exchange.log) EXPECT_EQ(e.port, 2);
}

TEST(Submit, FailedWritesStopPortOneAtOnceAndPortTwoOnlyFromTheNit) {
  Flow f;
  Refresh(f.tree, f.exchange);
  f.exchange.log.clear();
  f.exchange.failWrite = [](const Exchange& e) { return e.pid == 0x0011 && !e.bat; };
  EXPECT_FALSE(f.SubmitOf(1));
  EXPECT_EQ(f.exchange.Writes().back().pid, 0x0011);  // nothing after the failed SDT write
  ASSERT_EQ(f.ui.messages.size(), 1u);
  EXPECT_EQ(f.ui.messages[0].text, "Save to Device error,please repeat!");
  EXPECT_EQ(f.ui.messages[0].caption, "system information");
  EXPECT_EQ(f.ui.messages[0].icon, MsgIcon::Error);

  f.exchange.log.clear();
  f.ui.messages.clear();
  f.exchange.failWrite = [](const Exchange& e) { return e.pid == 0x0000 || e.pid == 0xFFFF || e.pid == 0x0001; };
  EXPECT_TRUE(f.SubmitOf(2));  // port 2 does not look at PAT, PMT, SDT and CAT
  EXPECT_EQ(f.exchange.Writes().back().pid, 0x0014);
  EXPECT_TRUE(f.ui.messages.empty());
  f.exchange.log.clear();
  f.exchange.failWrite = [](const Exchange& e) { return e.pid == 0x0010; };
  EXPECT_FALSE(f.SubmitOf(2));
  EXPECT_EQ(f.exchange.Writes().back().pid, 0x0010);
  EXPECT_EQ(f.ui.messages.size(), 1u);
}

TEST(Submit, WithoutPatNeitherPatNorPmtsAreWritten) {
  Flow f;
  Refresh(f.tree, f.exchange);
  f.tree.DeleteItem(f.tree.GetChildItem(f.tree.Root(1, Table::Pat)));
  f.exchange.log.clear();
  ASSERT_TRUE(f.SubmitOf(1));
  EXPECT_EQ(f.exchange.Writes().front().pid, 0x0011);
  EXPECT_EQ(f.exchange.Writes().size(), 5u);
}

TEST(Submit, TimeTablesGoTogetherAndOnlyBehindATdt) {
  Flow f;
  Refresh(f.tree, f.exchange);
  auto timeWrite = [&] {
    f.exchange.log.clear();
    EXPECT_TRUE(f.SubmitOf(1));
    return f.exchange.Writes().back();
  };
  EXPECT_EQ(timeWrite().packets.size(), 2 * kPacketSize);
  f.tree.DeleteChildren(f.tree.Root(1, Table::Tot));
  const Exchange tdtOnly = timeWrite();
  ASSERT_EQ(tdtOnly.packets.size(), kPacketSize);
  EXPECT_EQ(tdtOnly.packets[5], 0x70);
  Refresh(f.tree, f.exchange);
  f.tree.DeleteChildren(f.tree.Root(1, Table::Tdt));
  EXPECT_TRUE(timeWrite().packets.empty());  // a TOT alone carries no packet
  f.tree.DeleteChildren(f.tree.Root(1, Table::Tot));
  const Exchange none = timeWrite();
  EXPECT_TRUE(none.packets.empty());
  EXPECT_EQ(none.size, 1024u);
}

TEST(Submit, ATableTooLongForItsAreaIsRefusedBeforeAnythingIsSent) {
  Flow f;
  Refresh(f.tree, f.exchange);
  const ItemHandle list = f.tree.FindChildOfKind(f.tree.Root(1, Table::Pat), NodeKind::PatProgramList);
  ASSERT_NE(list, kNoItem);
  for (int i = 0; i < 40; ++i) {
    PatProgram p;
    p.program_number = static_cast<uint16_t>(0x1000 + i);
    p.pid.set(0x1000 + static_cast<uint32_t>(i));
    f.tree.InsertRecordItem("program", kImageLine, list, MakeRecord(NodeKind::PatProgram, p));
  }
  f.exchange.log.clear();
  EXPECT_FALSE(f.SubmitOf(1));
  EXPECT_TRUE(f.exchange.Writes().empty());
  ASSERT_EQ(f.ui.messages.size(), 1u);
  EXPECT_NE(f.ui.messages[0].text.find("PAT"), std::string::npos) << f.ui.messages[0].text;
}

TEST(Submit, OnlyItemsOfAPortSubmit) {
  Flow f;
  Refresh(f.tree, f.exchange);
  f.exchange.log.clear();
  f.tree.SelectItem(kNoItem);
  EXPECT_FALSE(Submit(f.tree, f.exchange, f.ui));
  f.tree.SelectItem(f.tree.Root(2, Table::Nit));
  EXPECT_TRUE(Submit(f.tree, f.exchange, f.ui));
  for (const Exchange& e : f.exchange.log) EXPECT_EQ(e.port, 2);
}

}  // namespace
}  // namespace quorvelin
