// The editor's flows and the headless commands against simulated devices over loopback.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <sstream>

#include "EndToEndSupport.h"
#include "device/StoreExchange.h"
#include "sections/BatSections.h"
#include "sections/CatSections.h"
#include "sections/NitSections.h"
#include "sections/PatSections.h"
#include "sections/PmtSections.h"
#include "sections/SdtSections.h"
#include "tools/devsim/ExchangeFileHost.h"
#include "tools/launcher/HeadlessCommands.h"
#include "util/TextCode.h"

namespace quorvelin {
namespace {

using namespace testing;

std::string SampleDump() { return DumpTree(SampleTree().tree); }

TEST(EndToEnd, RefreshGivesTheFullTreeInEveryFraming) {
  TempDir dir;
  const std::string expected = SampleDump();
  {
    devsim::SimulatorOptions plain;
    plain.packetsPerDatagram = 2;  // the NIT and BAT answers span several datagrams
    auto sim = StartDevice(plain);
    ASSERT_TRUE(sim);
    Editor e(sim->Address().address);
    Refresh(e.tree, *e.link);
    EXPECT_EQ(DumpTree(e.tree), expected);
  }
  {
    devsim::SimulatorOptions fragmented;
    fragmented.fragmented = true;
    auto sim = StartDevice(fragmented);
    ASSERT_TRUE(sim);
    Editor e(sim->Address().address, kFragmentedProtocol);
    Refresh(e.tree, *e.link);
    EXPECT_EQ(DumpTree(e.tree), expected);
  }
  {
    devsim::DeviceStore store;
    devsim::LoadSample(store);
    devsim::ExchangeFileHost host(store, kExchangeFileName);
    Editor e(0);
    e.link->SetHostCallbacks([&] { return host.AnswerReady(); }, [&] { return host.CarryRequest(); });
    Refresh(e.tree, *e.link);
    EXPECT_EQ(DumpTree(e.tree), expected);
    EXPECT_EQ(host.Requests(), 19);
  }
  EXPECT_NE(expected.find("service_name: \xd0\xc2\xce\xc5\xc6\xb5\xb5\xc0"), std::string::npos);
}

// Builds every table of the port with the builders, in the order the device keeps them.
devsim::PortTables BuiltTables(TableTreeCtrl& tree, int port) {
  devsim::PortTables t;
  std::vector<uint8_t> area(204800, 0xFF);
  auto taken = [&](const BuildResult& r) {
    devsim::Packets p(area.begin(), area.begin() + static_cast<long>(CountPackets(area.data(), r.ok ? area.size() : 0)));
    std::fill(area.begin(), area.end(), 0xFF);
    return p;
  };
  t.pat = taken(BuildPat(tree, port, area.data(), area.size()));
  const BuildResult pmts = BuildPmts(tree, port, area.data(), 65536);
  EXPECT_TRUE(pmts.ok) << pmts.error;
  for (size_t slot = 0; slot < 64 && area[slot * 1024] == 0x47; ++slot) {
    devsim::Packets p(area.begin() + static_cast<long>(slot * 1024),
                      area.begin() + static_cast<long>(slot * 1024 + CountPackets(area.data() + slot * 1024, 1024)));
    t.pmts.push_back({PacketPid(p.data()), static_cast<uint16_t>(p[8] << 8 | p[9]), p});
  }
  std::fill(area.begin(), area.end(), 0xFF);
  t.sdt = taken(BuildSdt(tree, port, area.data(), area.size()));
  t.cat = taken(BuildCat(tree, port, area.data(), 1024));
  t.nit = taken(BuildNit(tree, port, area.data(), area.size()));
  t.bat = taken(BuildBat(tree, port, area.data(), area.size()));
  return t;
}

devsim::Packets SavedPort(const std::string& dir, int n) {
  std::ifstream in(dir + "/port" + std::to_string(n) + ".ts", std::ios::binary);
  return devsim::Packets(std::istreambuf_iterator<char>(in), {});
}

TEST(EndToEnd, SubmitStoresExactlyWhatTheBuildersMade) {
  TempDir dir;
  for (const bool fragmented : {false, true}) {
    devsim::SimulatorOptions options;
    options.fragmented = fragmented;
    auto source = StartDevice(options);
    options.saveDir = dir.Path();
    auto target = StartDevice(options, false);
    ASSERT_TRUE(source && target);
    Editor e(source->Address().address, fragmented ? kFragmentedProtocol : 0);
    Refresh(e.tree, *e.link);
    ASSERT_EQ(DumpTree(e.tree), SampleDump());
    e.tree.deviceAddress = target->Address().address;
    for (int port : {1, 2}) {
      ASSERT_TRUE(SubmitPort(e.tree, *e.link, e.ui, port)) << port;
      devsim::PortTables stored = target->Store().Port(port - 1);
      stored.time.clear();  // the builders' times are those of the moment
      EXPECT_EQ(stored, BuiltTables(e.tree, port));
      EXPECT_EQ(SavedPort(dir.Path(), port), target->Store().PortStream(port - 1));
    }
    EXPECT_TRUE(e.ui.messages.empty());
  }
}

TEST(EndToEnd, CopyReproducesEveryTableBitForBit) {
  TempDir dir;
  auto source = StartDevice();
  auto target = StartDevice({}, false);
  ASSERT_TRUE(source && target);
  std::ostringstream out, err;
  const int status = RunLauncher({"copy", "--from", Ipv4Text(source->Address().address), "--to",
                                  Ipv4Text(target->Address().address), "--read-timeout-ms", "300"},
                                 out, err);
  ASSERT_EQ(status, 0) << err.str();
  for (int index : {0, 1}) EXPECT_EQ(WithoutTimes(target->Store().Port(index)), WithoutTimes(source->Store().Port(index)));
  EXPECT_NE(out.str().find("PortA PAT: 1 packet written"), std::string::npos) << out.str();
  EXPECT_NE(out.str().find("PortB BAT: 1 packet written"), std::string::npos);
  EXPECT_NE(out.str().find("copied to " + Ipv4Text(target->Address().address)), std::string::npos);
  EXPECT_TRUE(err.str().empty()) << err.str();
}

TEST(EndToEnd, CopyToADeviceThatDoesNotAnswerFails) {
  TempDir dir;
  auto source = StartDevice();
  Endpoint silentWhere;
  UdpSocket silent = BindFreeLoopback(kDeviceUdpPort, silentWhere, 150);
  ASSERT_TRUE(source && silent.IsOpen());
  std::ostringstream out, err;
  const int status = RunLauncher({"copy", "--from", Ipv4Text(source->Address().address), "--to",
                                  Ipv4Text(silentWhere.address), "--write-timeout-ms", "30", "--nit-timeout-ms", "30"},
                                 out, err);
  EXPECT_EQ(status, 1);
  EXPECT_NE(out.str().find("PortA PAT: 1 packet NOT written"), std::string::npos) << out.str();
  EXPECT_NE(err.str().find("Save to Device error,please repeat!"), std::string::npos) << err.str();
  EXPECT_NE(err.str().find("copying PortA to " + Ipv4Text(silentWhere.address) + " failed"), std::string::npos);
}

TEST(EndToEnd, DumpPrintsTheTreeAsTheEditorShowsIt) {
  TempDir dir;
  devsim::SimulatorOptions fragmented;
  fragmented.fragmented = true;
  auto sim = StartDevice(fragmented);
  ASSERT_TRUE(sim);
  std::ostringstream out, err;
  EXPECT_EQ(RunLauncher({"dump", "--device", Ipv4Text(sim->Address().address), "--fragmented"}, out, err), 0);
  EXPECT_EQ(out.str(), Cp936ToUtf8(SampleDump()));
  EXPECT_NE(out.str().find("service_name: 新闻频道"), std::string::npos);
  // One port, the channel in the request: channel 2 of this device is its port B.
  std::ostringstream one, oneErr;
  EXPECT_EQ(RunLauncher({"dump", "--device", Ipv4Text(sim->Address().address), "--fragmented", "--port-mode", "2",
                         "--channel", "2"},
                        one, oneErr),
            0);
  EXPECT_EQ(one.str().rfind("Port2\n  PAT\n", 0), 0u) << one.str().substr(0, 40);
  EXPECT_NE(one.str().find("transport_stream_id: 0x2"), std::string::npos);
}

TEST(EndToEnd, CommandLineMistakesAreReported) {
  std::ostringstream out, err;
  EXPECT_EQ(RunLauncher({}, out, err), 2);
  EXPECT_EQ(RunLauncher({"dump"}, out, err), 2);
  EXPECT_EQ(RunLauncher({"dump", "--device", "300.1.1.1"}, out, err), 2);
  EXPECT_EQ(RunLauncher({"copy", "--from", "127.0.0.1"}, out, err), 2);
  EXPECT_EQ(RunLauncher({"dump", "--device", "127.0.0.1", "--channel", "3"}, out, err), 2);
  EXPECT_EQ(RunLauncher({"frobnicate"}, out, err), 2);
  EXPECT_NE(err.str().find("usage: quorvelin"), std::string::npos);
}

TEST(EndToEnd, DemoDumpsTheBuiltInDevice) {
  TempDir dir;
  std::ostringstream out, err;
  ASSERT_EQ(RunLauncher({"demo"}, out, err), 0) << err.str();
  EXPECT_EQ(out.str().rfind("simulated device on 127.0.0.", 0), 0u);
  EXPECT_NE(out.str().find(Cp936ToUtf8(SampleDump())), std::string::npos);
}

}  // namespace
}  // namespace quorvelin
