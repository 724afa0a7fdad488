// Refresh, Submit and SetChannel over loopback against the device scripted from the protocol's
// description, in both framings, and against a silent device.
#include <gtest/gtest.h>

#include "device/ScriptedDevice.h"
#include "device/StoreExchange.h"

namespace quorvelin {
namespace {

using namespace testing;
using namespace std::chrono_literals;

int Framing(bool fragmented) { return fragmented ? kFragmentedProtocol : 0; }
bool SubmitOf(Editor& e, int port) { return SubmitPort(e.tree, *e.link, e.ui, port); }

std::pair<Tables, Tables> Sample() { return SampleTables(); }

// The requests the device received with this command (0xA3 reads, 0xA4 writes).
std::vector<uint32_t> Requests(ScriptedDevice& device, uint8_t command) {
  std::vector<uint32_t> keys;
  for (const Bytes& d : device.Snapshot().received)
    if (d[1] == command) keys.push_back(KeyOf(d.data()));
  return keys;
}

TEST(Flows, RefreshAndSubmitCarryEveryTableInBothFramings) {
  TempDir dir;
  const std::string expected = DumpTree(SampleTree().tree);
  for (const bool fragmented : {false, true}) {
    const auto [held, back] = Sample();
    ScriptedDevice device(fragmented, held);
    Editor e(device.Address(), Framing(fragmented));
    ASSERT_TRUE(Refresh(e.tree, *e.link));
    EXPECT_EQ(DumpTree(e.tree), expected) << fragmented;
    const std::vector<uint32_t> reads = {Key(0, 0, 0),     Key(1, 0, 0),      Key(0, 0, 0x100),  Key(0, 2, 0x200),
                                         Key(0, 3, 0x200), Key(1, 0, 0x400),  Key(1, 0, 0x410),  Key(0, 0, 0x11),
                                         Key(1, 0, 0x11),  Key(0, 0, 1),      Key(1, 0, 1),      Key(0, 0, 0x10),
                                         Key(1, 0, 0x10),  Key(0, 0, 0x4011), Key(1, 0, 0x4011), Key(0, 0, 0x14),
                                         Key(0, 0, 0x14),  Key(1, 0, 0x14),   Key(1, 0, 0x14)};
    EXPECT_EQ(Requests(device, 0xA3), reads);
    ASSERT_TRUE(SubmitOf(e, 1) && SubmitOf(e, 2));
    const std::vector<uint32_t> writes = Requests(device, 0xA4);
    EXPECT_EQ(
        std::vector<uint32_t>(writes.begin(), writes.begin() + 9),
        (std::vector<uint32_t>{Key(0, 0, 0), Key(0, 1, 0xFFFF), Key(0, 2, 0xFFFF), Key(0, 3, 0xFFFF), Key(0, 0, 0x11),
                               Key(0, 0, 1), Key(0, 0, 0x10), Key(0, 0, 0x4011), Key(0, 0, 0x14)}));
    Tables written = device.Snapshot().written;
    for (const auto& [key, packets] : back) EXPECT_EQ(written[key], packets) << std::hex << key;
    EXPECT_EQ(written[Key(0, 0, 0x14)].size(), 2 * kPacketSize);
    EXPECT_TRUE(written.count(Key(1, 3, 0xFFFF)) && !written.count(Key(0, 4, 0xFFFF)));  // port B: every slot
    EXPECT_TRUE(e.ui.messages.empty());
    const size_t before = device.Snapshot().received.size();
    // A BAT of 11 packets: chunks of five, each acknowledged with two bytes; of 350 packets
    // fragmented: 47 fragments of exactly 1400 bytes, none empty behind them. Its selector goes as 0.
    const Bytes bat = NumberedPackets(fragmented ? 350 : 11, 0x0011);
    ASSERT_TRUE(e.link->WriteTable(bat.data(), bat.size(), 0x0011, 7, 2, true));
    const ScriptedDevice::Seen seen = device.Snapshot();
    EXPECT_EQ(seen.written.at(Key(1, 0, 0x4011)), bat);
    std::vector<Bytes> tails;
    for (size_t i = before; i < seen.received.size(); ++i)
      tails.push_back(Bytes(seen.received[i].end() - 3, seen.received[i].end()));
    EXPECT_EQ(tails.size(), fragmented ? 47u : 3u);
    EXPECT_TRUE(fragmented || tails == (std::vector<Bytes>{{1, 0, 0}, {1, 0, 5}, {0, 0, 10}}));
  }
}

// A device that answers later than the link waits: each request is asked again, the answer to
// the first attempt taken, and the answer to the second never taken for the next request's
// (the same PID and table_id on the other port); Submit's writes and read-back likewise. One
// that sends another table's answer first: passed over by its PID or its table_id.
TEST(Flows, LateAndStrayAnswersAreNeverTakenForTheRequest) {
  TempDir dir;
  const std::string expected = DumpTree(SampleTree().tree);
  for (const auto& [fragmented, late] : {std::pair{false, 60}, {true, 60}, {false, 0}, {true, 0}}) {
    ScriptedDevice device(fragmented, Sample().first);
    device.lateMs = late;
    device.stray = late == 0;
    Editor e(device.Address(), Framing(fragmented), QuickLink(40ms));
    ASSERT_TRUE(Refresh(e.tree, *e.link));
    EXPECT_EQ(JoinNames(TablesNotRead(e.tree)), "");
    EXPECT_TRUE(DumpTree(e.tree) == expected) << fragmented;
    e.tree.SelectItem(e.tree.Root(2, Table::Cat));
    const std::string submitted = SubmitAndVerify(e.tree, *e.link, e.ui);
    EXPECT_EQ(submitted.substr(0, submitted.find('(')), "Submitted PortB: 9 tables, 9 packets, verified ") << submitted;
  }
}

TEST(Flows, SilenceStopsRefreshAfterTwoReadsAnEmptyAnswerDoesNot) {
  TempDir dir;
  ScriptedDevice empty(false);  // holds nothing: answers every read with an empty answer
  Endpoint silent;
  UdpSocket bound = BindFreeLoopback(kDeviceUdpPort, silent, 60);  // takes requests, never answers
  for (const uint32_t address : {empty.Address(), silent.address}) {
    Editor e(address);
    Refresh(e.tree, *e.link, e.ui);
    std::string said;
    for (const auto& m : e.ui.messages) said += m.text + "\n";
    EXPECT_EQ(said, address == empty.Address() ? "" : "The device at " + Ipv4Text(address) + " does not answer.\n");
  }
  EXPECT_EQ(empty.Snapshot().received.size(), 14u);  // an empty answer is an answer: every read is tried
  int requests = 0;
  for (Bytes d(6); bound.ReceiveUntil(d.data(), d.size(), DeadlineAfter(0ms));) ++requests;
  EXPECT_EQ(requests, 2 * DeviceLink::kAttemptsUnheard);  // a silent device: two reads, no other
}

// A write without a reply is sent again, then counts as failed: port 1 stops there, port 2 goes
// on past a failed SDT or CAT and stops at the NIT; either way Submit fails and says what went out.
TEST(Flows, FailedWritesStopPortOneAtOnceAndPortTwoOnlyFromTheNit) {
  TempDir dir;
  ScriptedDevice device(false, Sample().first);
  Editor e(device.Address(), 0, QuickLink(100ms));
  Refresh(e.tree, *e.link);
  for (const auto& [mute, port, last] : {std::tuple{Key(0, 0, 0x11), 1, Key(0, 0, 0x11)},
                                         {Key(1, 0, 0x11), 2, Key(1, 0, 0x14)},
                                         {Key(1, 0, 0x10), 2, Key(1, 0, 0x10)}}) {
    device.mute = mute;
    const size_t before = Requests(device, 0xA4).size();
    EXPECT_FALSE(SubmitOf(e, port));
    const std::vector<uint32_t> writes = Requests(device, 0xA4);
    EXPECT_EQ(writes.back(), last);  // a stop: nothing after it
    EXPECT_EQ(std::count(writes.begin() + long(before), writes.end(), mute), DeviceLink::kAttempts);
  }
  ASSERT_EQ(e.ui.messages.size(), 3u);
  EXPECT_EQ(e.ui.messages[0].text + "|" + e.ui.messages[0].caption,
            "Save to Device error,please repeat!\nWritten: PortA PAT and PortA PMT.\n"
            "Not written: PortA SDT, PortA CAT, PortA NIT, PortA BAT and PortA TDT/TOT.|system information");
}

TEST(Flows, SubmitSendsOnlyWhatTheTreeHolds) {
  TempDir dir;
  ScriptedDevice device(false, Sample().first);
  Editor e(device.Address());
  Refresh(e.tree, *e.link);
  auto timeWrite = [&] { return SubmitOf(e, 1) ? device.Snapshot().written[Key(0, 0, 0x14)] : Bytes{1}; };
  e.tree.DeleteChildren(e.tree.Root(1, Table::Tot));
  const Bytes tdtOnly = timeWrite();
  EXPECT_TRUE(tdtOnly.size() == kPacketSize && tdtOnly[5] == 0x70);
  Refresh(e.tree, *e.link);
  e.tree.DeleteChildren(e.tree.Root(1, Table::Tdt));
  EXPECT_TRUE(timeWrite().empty());  // a TOT alone carries no packet
  e.tree.DeleteChildren(e.tree.Root(1, Table::Tot));
  EXPECT_TRUE(timeWrite().empty());
  const size_t writes = Requests(device, 0xA4).size();
  const ItemHandle list = e.tree.FindChildOfKind(e.tree.Root(1, Table::Pat), NodeKind::PatProgramList);
  for (int i = 0; i < 40; ++i) {
    PatProgram p;
    p.program_number = static_cast<uint16_t>(0x1000 + i);
    p.pid.set(0x1000 + static_cast<uint32_t>(i));
    e.tree.InsertRecordItem("program", kImageLine, list, MakeRecord(NodeKind::PatProgram, p));
  }
  EXPECT_FALSE(SubmitOf(e, 1));  // a PAT too long for its area: refused before anything is sent
  EXPECT_EQ(Requests(device, 0xA4).size(), writes);
  ASSERT_EQ(e.ui.messages.size(), 1u);
  EXPECT_NE(e.ui.messages[0].text.find("PAT"), std::string::npos) << e.ui.messages[0].text;
  e.tree.DeleteItem(e.tree.GetChildItem(e.tree.Root(1, Table::Pat)));
  e.tree.SelectItem(e.tree.Root(1, Table::Nit));
  EXPECT_TRUE(Submit(e.tree, *e.link, e.ui));
  EXPECT_EQ(Requests(device, 0xA4)[writes], Key(0, 0, 0x11));  // neither PAT nor PMTs
}

// A table nobody changed goes back with the bytes it came with, reserved bits included; once its
// branch changed it is built from its records, the reserved bits set.
TEST(Flows, AnUnchangedTableGoesBackAsItCameAChangedOneIsBuilt) {
  TempDir dir;
  struct Odd {
    int readPid, writeSelector, writePid;
    size_t at;  // section byte holding reserved bits, cleared on the device
    uint8_t keep;
  };
  const Odd odd[] = {{0x11, 0, 0x11, 10, 0x00},    // SDT reserved_future_use after original_network_id
                     {0x100, 1, 0xFFFF, 8, 0x1F},  // PMT bits above PCR_PID
                     {0x10, 0, 0x10, 8, 0x0F},     // NIT bits above network_descriptors_length
                     {0x01, 0, 0x01, 3, 0x00}};    // CAT reserved table_id_extension
  Tables held = Sample().first;
  for (const Odd& o : odd) {
    Bytes& packets = held[Key(0, 0, o.readPid)];
    uint8_t* section = packets.data() + 5;
    const size_t length = (section[1] & 0x0F) << 8 | section[2];
    section[o.at] &= o.keep;
    if (o.readPid == 0x01) section[o.at + 1] = 0;
    const uint32_t crc = Crc32Mpeg(section, length - 1);
    for (int i = 0; i < 4; ++i) section[length - 1 + i] = static_cast<uint8_t>(crc >> (24 - 8 * i));
  }
  ScriptedDevice device(false, held);
  Editor e(device.Address());
  ASSERT_TRUE(Refresh(e.tree, *e.link));
  ASSERT_TRUE(SubmitOf(e, 1));
  for (const Odd& o : odd)
    EXPECT_EQ(device.Snapshot().written[Key(0, o.writeSelector, o.writePid)], held[Key(0, 0, o.readPid)]) << o.readPid;
  for (Table t : {Table::Sdt, Table::Pmt, Table::Nit, Table::Cat}) {
    const ItemHandle first = e.tree.GetChildItem(e.tree.Root(1, t));
    e.tree.SetItemText(first, e.tree.GetItemText(first) + " ");
  }
  ASSERT_TRUE(SubmitOf(e, 1));
  for (const Odd& o : odd) {
    const Bytes written = device.Snapshot().written[Key(0, o.writeSelector, o.writePid)];
    EXPECT_EQ(written.at(5 + o.at) | o.keep, 0xFF) << o.readPid;
  }
}

// A receiver takes a changed table only under a new version_number: Submit asks before it writes
// the CAT whose CA_PID changed under the version_number the device holds, and raises it on Yes or
// --bump. A branch touched without a change, or a version_number the user changed, asks nothing.
TEST(Flows, AChangedTableUnderTheVersionTheDeviceHoldsIsRaisedWhenAgreed) {
  TempDir dir;
  struct Row {
    bool pid, version;  // CA_PID changed; version_number set to 5 by hand
    VersionRule rule;
    MsgAnswer answer;
    bool asked;
    int stored;  // version_number the device holds afterwards
  };
  const Row rows[] = {{true, false, VersionRule::Ask, MsgAnswer::Yes, true, 1},
                      {true, false, VersionRule::Ask, MsgAnswer::No, true, 0},
                      {true, false, VersionRule::Raise, MsgAnswer::No, false, 1},
                      {true, false, VersionRule::Keep, MsgAnswer::Yes, false, 0},
                      {false, false, VersionRule::Ask, MsgAnswer::Yes, false, 0},
                      {true, true, VersionRule::Ask, MsgAnswer::Yes, false, 5}};
  for (const Row& row : rows) {
    SampleTree s;
    const ItemHandle section = s.tree.GetChildItem(s.tree.Root(1, Table::Cat));
    const ItemHandle ca = s.tree.FindChildOfKind(s.tree.GetChildItem(section), NodeKind::CatCaDescriptor);
    ASSERT_NE(ca, kNoItem);
    if (row.pid) PayloadOf<CaDescriptor>(s.tree, ca)->ca_pid.set(0x903);
    s.tree.SetItemText(ca, s.tree.GetItemText(ca) + " ");
    if (row.version) PayloadOf<CatSectionHeader>(s.tree, section)->version_cni = 0x25;
    s.tree.SelectItem(section);
    RecordingUi ui;
    ui.answers.push_back(row.answer);
    const std::string result = SubmitAndVerify(s.tree, s.exchange, ui, nullptr, {row.rule});
    const auto questions = std::count_if(ui.messages.begin(), ui.messages.end(),
                                         [](const auto& m) { return m.buttons == MsgButtons::YesNo; });
    EXPECT_EQ(questions, row.asked ? 1 : 0) << result;
    if (row.asked) {
      EXPECT_EQ(ui.messages[0].text.rfind("PortA CAT (version_number 0) changed", 0), 0u);
    }
    const Bytes cat = s.store.Port(0).cat;
    EXPECT_EQ((cat.at(10) >> 1) & 0x1F, row.stored) << result;
    EXPECT_EQ(cat.at(17) << 8 | cat.at(18), row.pid ? 0xE903 : 0xE901);  // CA_PID with its reserved bits
  }
}

// The Refresh report names the read nobody answered. Submit reads the port back: a device that
// holds what was sent gives the branch back; one that keeps its old CAT is named, and the tree
// keeps what was sent.
TEST(Flows, TheReportsNameFailedReadsAndTablesTheDeviceDidNotTake) {
  TempDir dir;
  ScriptedDevice device(false, Sample().first);
  Editor e(device.Address());
  device.mute = Key(1, 0, 1);
  const std::string refresh = Refresh(e.tree, *e.link, e.ui);
  EXPECT_EQ(refresh.substr(0, refresh.find('(')), "Refresh: 15 tables read, PortB CAT not read ") << refresh;
  device.mute = 0xFFFFFFFF;
  e.tree.SelectItem(e.tree.Root(1, Table::Cat));
  const std::string same = SubmitAndVerify(e.tree, *e.link, e.ui);
  EXPECT_EQ(same.substr(0, same.find('(')), "Submitted PortA: 9 tables, 12 packets, verified ") << same;
  e.tree.DeleteChildren(e.tree.Root(1, Table::Cat));
  const std::string sent = DumpTree(e.tree);
  const std::string other = SubmitAndVerify(e.tree, *e.link, e.ui);
  EXPECT_NE(other.find("; PortA: the device holds other CAT than was sent ("), std::string::npos) << other;
  EXPECT_EQ(e.ui.LastText(), "PortA: the device holds other CAT than was sent; the tree keeps what was sent.");
  EXPECT_EQ(DumpTree(e.tree), sent);
  EXPECT_FALSE(e.tree.HasUnsubmittedEdits(1));
}

}  // namespace
}  // namespace quorvelin
