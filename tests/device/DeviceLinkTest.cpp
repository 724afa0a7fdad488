// The link against the simulated device and against a bare socket playing the device.
#include "device/DeviceLink.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <future>

#include "device/DeviceTestSupport.h"
#include "tools/devsim/ExchangeFileHost.h"
#include "tools/devsim/SampleMultiplex.h"
#include "tools/devsim/Simulator.h"

namespace quorvelin {
namespace {

using namespace std::chrono_literals;
using devsim::Simulator;
using devsim::SimulatorOptions;
using testing::NumberedPackets;

LinkOptions ShortWaits() {
  LinkOptions o;
  o.timeouts.readDatagram = 300ms;
  o.timeouts.writeReply = 300ms;
  o.timeouts.nitWriteReply = 300ms;
  o.timeouts.chunkReply = 300ms;
  o.timeouts.hostPoll = 1ms;
  return o;
}

std::unique_ptr<Simulator> StartSimulator(SimulatorOptions options = {}) {
  std::string error;
  auto sim = devsim::StartOnFreeLoopback(options, error);
  EXPECT_TRUE(sim) << error;
  if (sim) devsim::LoadSample(sim->Store());
  return sim;
}

// What a read of `size` bytes delivers for a table held as `packets`.
std::vector<uint8_t> SectionsOf(const std::vector<uint8_t>& packets, size_t size) {
  std::vector<uint8_t> buffer(std::max(size, packets.size() + kFrameHeaderSize), 0);
  std::copy(packets.begin(), packets.end(), buffer.begin() + kFrameHeaderSize);
  UnpackPacketsWithHeader(static_cast<int>(packets.size() / kPacketSize), buffer.data(), buffer.size());
  buffer.resize(size);
  return buffer;
}

struct LinkFixture {
  explicit LinkFixture(uint32_t address, int protocol = 0, LinkOptions options = ShortWaits()) {
    tree.deviceAddress = address;
    tree.protocolMode = protocol;
    link = std::make_unique<DeviceLink>(tree, ui, options);
  }
  TableTreeCtrl tree;
  RecordingUi ui;
  std::unique_ptr<DeviceLink> link;
};

TEST(DeviceLinkUdp, ReadsEveryTableOfTheSampleInBothFramings) {
  for (const bool fragmented : {false, true}) {
    SimulatorOptions so;
    so.fragmented = fragmented;
    so.packetsPerDatagram = 1;  // long answers span several datagrams
    auto sim = StartSimulator(so);
    ASSERT_TRUE(sim);
    LinkFixture f(sim->Address().address, fragmented ? 0x47 : 0);
    const devsim::PortTables a = devsim::SamplePortA();
    std::vector<uint8_t> buffer(204800);
    ASSERT_TRUE(f.link->ReadTable(buffer.data(), 4096, 0x0000, 0, 1, false));
    EXPECT_EQ(std::vector<uint8_t>(buffer.begin(), buffer.begin() + 4096), SectionsOf(a.pat, 4096));
    ASSERT_TRUE(f.link->ReadTable(buffer.data(), 204800, 0x0011, 0, 1, true));
    EXPECT_EQ(buffer, SectionsOf(a.bat, 204800));
    ASSERT_TRUE(f.link->ReadTable(buffer.data(), 5120, 0x0010, 0, 1, false));
    EXPECT_EQ(std::vector<uint8_t>(buffer.begin(), buffer.begin() + 5120), SectionsOf(a.nit, 5120));
    // The shared PMT PID: selector 3 names the third program that is not the NIT entry.
    ASSERT_TRUE(f.link->ReadTable(buffer.data(), 2048, 0x0200, 3, 1, false));
    EXPECT_EQ(std::vector<uint8_t>(buffer.begin(), buffer.begin() + 2048), SectionsOf(a.pmts[2].packets, 2048));
    ASSERT_TRUE(f.link->ReadTable(buffer.data(), 4096, 0x0014, 0, 2, false));
    EXPECT_EQ(buffer[0], 0x70);
    EXPECT_EQ(buffer[184], 0x73);
    EXPECT_TRUE(f.ui.messages.empty());
  }
}

TEST(DeviceLinkUdp, WritesLandWhereTheHeaderSays) {
  for (const int protocol : {0, 0x47}) {
    auto sim = StartSimulator();
    ASSERT_TRUE(sim);
    LinkFixture f(sim->Address().address, protocol);
    const auto eight = NumberedPackets(8, 0x0010);  // two chunks in the plain framing
    EXPECT_TRUE(f.link->WriteTable(eight.data(), eight.size(), 0x0010, 2, 0));
    EXPECT_EQ(sim->Store().Port(1).nit, eight);
    f.tree.batFlag = 1;
    const auto bat = NumberedPackets(3, 0x0011, 9);
    EXPECT_TRUE(f.link->WriteTable(bat.data(), bat.size(), 0x0011, 1, 0));
    f.tree.batFlag = 0;
    const auto sdt = NumberedPackets(1, 0x0011, 3);
    EXPECT_TRUE(f.link->WriteTable(sdt.data(), 204800 < sdt.size() ? 0 : sdt.size(), 0x0011, 1, 0));
    EXPECT_EQ(sim->Store().Port(0).bat, bat);
    EXPECT_EQ(sim->Store().Port(0).sdt, sdt);
    // With a channel number the port index is channel - 1 whatever the port argument.
    f.tree.channelNumber = 3;
    const auto cat = NumberedPackets(1, 0x0001);
    EXPECT_TRUE(f.link->WriteTable(cat.data(), cat.size(), 0x0001, 2, 0));
    EXPECT_EQ(sim->Store().Port(2).cat, cat);
    // Only the run of whole packets starting with 0x47 goes: none here, so an empty table.
    std::vector<uint8_t> filler(1024, 0xFF);
    EXPECT_TRUE(f.link->WriteTable(filler.data(), filler.size(), 0x0001, 1, 0));
    EXPECT_TRUE(sim->Store().Port(2).cat.empty());
  }
}

// A bare socket plays the device; the link runs beside it.
struct BareDevice {
  BareDevice() : socket(testing::BindFreeLoopback(kDeviceUdpPort, where)) {}
  std::optional<std::pair<Datagram, Endpoint>> Receive(std::chrono::milliseconds wait = 2000ms) {
    Datagram d(20000);
    const auto r = socket.ReceiveUntil(d.data(), d.size(), DeadlineAfter(wait));
    if (!r) return std::nullopt;
    d.resize(r->length);
    return std::make_pair(d, r->from);
  }
  void Send(const Endpoint& to, const Datagram& d) { socket.SendTo(to, d.data(), d.size()); }
  Endpoint where;
  UdpSocket socket;
};

Datagram Reply(const Datagram& request) { return Datagram(request.begin(), request.begin() + 4) = {request[0], request[1], request[2], request[3], 0, 0}; }

TEST(DeviceLinkUdp, LongPlainWriteWaitsForAReplyToEachChunk) {
  BareDevice device;
  ASSERT_TRUE(device.socket.IsOpen());
  LinkFixture f(device.where.address);
  const auto packets = NumberedPackets(11, 0x0011);
  auto write = std::async(std::launch::async, [&] { return f.link->WriteTable(packets.data(), packets.size(), 0x11, 1, 0); });
  std::vector<Datagram> seen;
  for (int i = 0; i < 3; ++i) {
    auto got = device.Receive();
    ASSERT_TRUE(got);
    seen.push_back(got->first);
    device.Send(got->second, Reply(got->first));
  }
  EXPECT_TRUE(write.get());
  ASSERT_EQ(seen.size(), 3u);
  EXPECT_EQ(seen[2].size(), 6u + 188 + 3);
  EXPECT_EQ(std::vector<uint8_t>(seen[2].end() - 3, seen[2].end()), (std::vector<uint8_t>{0, 0, 10}));
}

TEST(DeviceLinkUdp, OnlyTheDeviceAddressAnswers) {
  BareDevice device;
  ASSERT_TRUE(device.socket.IsOpen());
  Endpoint otherWhere;
  UdpSocket other = testing::BindFreeLoopback(0, otherWhere, 200);
  ASSERT_TRUE(other.IsOpen());
  LinkFixture f(device.where.address);
  const auto good = NumberedPackets(1, 0);
  std::vector<uint8_t> buffer(4096);
  auto read = std::async(std::launch::async, [&] { return f.link->ReadTable(buffer.data(), 4096, 0, 0, 1, false); });
  auto request = device.Receive();
  ASSERT_TRUE(request);
  FrameHeader h{};
  std::copy(request->first.begin(), request->first.end(), h.begin());
  SetAnnouncedLength(h.data(), 188);
  const auto forged = PlainDatagrams(h, NumberedPackets(1, 0, 99).data(), 188, 5);
  other.SendTo(request->second, forged[0].data(), forged[0].size());
  const auto real = PlainDatagrams(h, good.data(), 188, 5);
  device.Send(request->second, real[0]);
  ASSERT_TRUE(read.get());
  EXPECT_TRUE(std::equal(good.begin() + 5, good.end(), buffer.begin()));
}

TEST(DeviceLinkUdp, SilenceFailsTheExchangeAfterItsWait) {
  BareDevice device;
  ASSERT_TRUE(device.socket.IsOpen());
  LinkOptions o = ShortWaits();
  o.timeouts.readDatagram = 50ms;
  o.timeouts.writeReply = 50ms;
  o.timeouts.nitWriteReply = 2000ms;
  LinkFixture f(device.where.address, 0, o);
  std::vector<uint8_t> buffer(4096, 0x33);
  EXPECT_FALSE(f.link->ReadTable(buffer.data(), buffer.size(), 1, 0, 1, false));
  EXPECT_TRUE(std::all_of(buffer.begin(), buffer.end(), [](uint8_t b) { return b == 0; }));
  // A reply 300 ms late misses the ordinary wait but makes the NIT's longer one.
  const auto packets = NumberedPackets(1, 0x10);
  for (const uint16_t pid : {uint16_t{0x0001}, kNitPid}) {
    auto write = std::async(std::launch::async, [&] { return f.link->WriteTable(packets.data(), packets.size(), pid, 1, 0); });
    auto got = device.Receive();
    ASSERT_TRUE(got);
    std::this_thread::sleep_for(300ms);
    device.Send(got->second, Reply(got->first));
    EXPECT_EQ(write.get(), pid == kNitPid) << pid;
  }
  EXPECT_TRUE(f.ui.messages.empty());
}

TEST(DeviceLinkUdp, ReportsASocketTheSystemRefuses) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the sanitizers' runtime checks memory through descriptors of its own";
#endif
  TableTreeCtrl tree;
  tree.deviceAddress = testing::Loopback(9);
  RecordingUi ui;
  rlimit old{};
  ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &old), 0);
  rlimit none = old;
  none.rlim_cur = 3;  // stdin, stdout and stderr only
  ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &none), 0);
  DeviceLink link(tree, ui, ShortWaits());
  setrlimit(RLIMIT_NOFILE, &old);
  EXPECT_FALSE(link.HasSocket());
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, "\xb4\xb4\xbd\xa8\xcc\xd7\xbd\xd3\xd7\xd6\xca\xa7\xb0\xdc");
  EXPECT_EQ(ui.messages[0].caption, "\xcf\xb5\xcd\xb3\xcf\xfb\xcf\xa2");
  EXPECT_EQ(ui.messages[0].icon, MsgIcon::Error);
  std::vector<uint8_t> buffer(4096);
  EXPECT_FALSE(link.ReadTable(buffer.data(), buffer.size(), 0, 0, 1, false));
}

TEST(DeviceLinkFile, ReadsAndWritesThroughTheHost) {
  testing::TempDir dir;
  devsim::DeviceStore store;
  devsim::LoadSample(store);
  devsim::ExchangeFileHost host(store, "Quorvelin");
  host.SetSlowPolls(2);
  LinkFixture f(0);
  std::vector<std::string> calls;
  f.link->SetHostCallbacks([&] { calls.push_back("first"); return host.AnswerReady(); },
                           [&] { calls.push_back("second"); return host.CarryRequest(); });
  std::vector<uint8_t> buffer(5120);
  ASSERT_TRUE(f.link->ReadTable(buffer.data(), buffer.size(), 0x0010, 0, 1, false));
  EXPECT_EQ(buffer, SectionsOf(devsim::SamplePortA().nit, 5120));
  EXPECT_EQ(calls, (std::vector<std::string>{"second", "second", "second", "first"}));
  const auto packets = NumberedPackets(2, 0x0001);
  ASSERT_TRUE(f.link->WriteTable(packets.data(), packets.size(), 0x0001, 2, 0));
  EXPECT_EQ(store.Port(1).cat, packets);
  EXPECT_EQ(host.Requests(), 2);
  EXPECT_TRUE(f.ui.messages.empty());
}

TEST(DeviceLinkFile, AHostThatNeverAnswersKeepsTheEditorPolling) {
  testing::TempDir dir;
  LinkOptions o = ShortWaits();
  o.timeouts.hostPoll = 2ms;
  o.timeouts.hostLimit = 60ms;  // the editor itself waits without end; the test cannot
  LinkFixture f(0, 0, o);
  int second = 0, first = 0;
  f.link->SetHostCallbacks([&] { return ++first, true; }, [&] { return ++second, false; });
  std::vector<uint8_t> buffer(4096);
  EXPECT_FALSE(f.link->ReadTable(buffer.data(), buffer.size(), 0, 0, 1, false));
  EXPECT_GT(second, 5);
  EXPECT_EQ(first, 0);
}

TEST(DeviceLinkFile, WithoutHostOrFileTheExchangeFails) {
  testing::TempDir dir;
  LinkFixture none(0);
  std::vector<uint8_t> buffer(4096);
  EXPECT_FALSE(none.link->ReadTable(buffer.data(), buffer.size(), 0, 0, 1, false));
  EXPECT_FALSE(none.link->WriteTable(buffer.data(), 0, 0, 1, 0));
  LinkOptions o = ShortWaits();
  o.exchangeFile = "missing/Quorvelin";
  LinkFixture blocked(0, 0, o);
  blocked.link->SetHostCallbacks([] { return true; }, [] { return true; });
  EXPECT_FALSE(blocked.link->ReadTable(buffer.data(), buffer.size(), 0, 0, 1, false));
  EXPECT_FALSE(blocked.link->WriteTable(buffer.data(), 0, 0, 1, 0));
  ASSERT_EQ(blocked.ui.messages.size(), 2u);
  EXPECT_EQ(blocked.ui.messages[0].text, "\xb4\xf2\xbf\xaa\xce\xc4\xbc\xfe\xca\xa7\xb0\xdc");
  EXPECT_EQ(blocked.ui.messages[0].caption, kApplicationTitle);
}

}  // namespace
}  // namespace quorvelin
