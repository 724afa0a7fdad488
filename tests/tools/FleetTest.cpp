// diff, sync and the simulated fleet: a device against its own backup, a sync to simulated
// devices of which one is dead, one refuses writes and one has a single port, read back from the
// devices' own stores.
#include <arpa/inet.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <tuple>

#include "EndToEndSupport.h"
#include "sections/Packets.h"
#include "tools/devsim/CommandLine.h"
#include "tools/devsim/SampleMultiplex.h"
#include "tools/launcher/HeadlessCommands.h"

namespace quorvelin::testing {
namespace {

using ::testing::HasSubstr;

// `count` sample devices on a free block 127.B.C.1.. of loopback.
std::unique_ptr<devsim::SimulatorRange> StartRange(int count) {
  for (int i = 0; i < 40; ++i) {
    const uint32_t block = 0x7F000000u | (static_cast<uint32_t>(10 + (::getpid() + i * 7) % 240) << 16) |
                           (static_cast<uint32_t>(i) << 8);
    auto range = std::make_unique<devsim::SimulatorRange>(htonl(block | 1), htonl(block | static_cast<uint32_t>(count)),
                                                          devsim::SimulatorOptions{});
    devsim::DeviceStore sample;
    devsim::LoadSample(sample);
    devsim::CopyTables(sample, *range);
    std::string error;
    if (range->Start(error)) return range;
  }
  ADD_FAILURE() << "no free loopback block";
  return nullptr;
}

const std::vector<std::string> kQuick = {"--read-timeout-ms", "150", "--write-timeout-ms", "150", "--nit-timeout-ms", "150"};

std::vector<std::string> With(std::vector<std::string> args, const std::vector<std::string>& more = kQuick) {
  args.insert(args.end(), more.begin(), more.end());
  return args;
}

// A device and its own backup are the same; after one field changed on the device, its line.
TEST(Fleet, DiffOfADeviceAndItsBackupShowsOnlyWhatChanged) {
  const auto device = StartDevice();
  TempDir dir;
  ASSERT_EQ(Command({"backup", "--device", Address(*device), "--out", "saved"}).status, 0);
  const Launched same = Command({"diff", Address(*device), "saved"});
  EXPECT_EQ(same.status, 0) << same.out << same.err;
  EXPECT_EQ(same.out, "");
  ASSERT_EQ(Command({"export", "--from", "saved/portB.ts", "--port", "A", "--xml", "b.xml"}).status, 0);
  const Launched asXml = Command({"diff", "saved/portB.ts", "b.xml"});  // a TSDuck XML file as one side
  EXPECT_EQ(std::tie(asXml.status, asXml.out), std::tuple(0, std::string())) << asXml.err;
  devsim::PortTables b = device->Store().Port(1);  // port B's BAT, one section in one packet
  const std::string name = "Sports";
  *std::search(b.bat.begin(), b.bat.end(), name.begin(), name.end()) = 'T';
  const size_t end = 8 + (((b.bat[6] & 0x0F) << 8) | b.bat[7]);
  const uint32_t crc = Crc32Mpeg(&b.bat[5], end - 9);
  for (size_t i = 0; i < 4; ++i) b.bat[end - 4 + i] = static_cast<uint8_t>(crc >> (24 - 8 * i));
  device->Store().SetPort(1, b);
  const Launched edited = Command({"diff", Address(*device), "saved"});
  EXPECT_EQ(edited.status, 1);
  EXPECT_EQ(edited.out, "--- " + Address(*device) + "\n+++ saved\n@@ PortB BAT @@\n BAT\n"
                        "   Section 0: bouquet_id: 0x1002, version_number: 0x0\n     bouquet_descriptors:\n"
                        "       descriptor_tag: 0x47 =>bouquet_name_descriptor\n"
                        "-        bouquet_name: Tports Pack\n+        bouquet_name: Sports Pack\n");
}

void WriteList(const char* path, const std::string& lines) { std::ofstream(path) << lines; }

// version_number of the first section of a table held as packets.
int FirstVersion(const devsim::Packets& table) { return table.size() > 10 ? (table[10] >> 1) & 0x1F : -1; }

// Port B's NIT and BAT of a sample device synchronised to a fleet: two-port devices take them on
// port A (port B holds them already: nothing is written there), a one-port device on channel 2
// holds them too; a dead device and one that refuses writes are named and make the exit status 1;
// nothing else changes.
TEST(Fleet, SyncWritesTheSourcePortToEveryPortOfEveryDeviceAndNamesTheFailures) {
  const auto source = StartDevice();
  devsim::SimulatorOptions readOnly;
  readOnly.refuseWrites = true;
  const auto refusing = StartDevice(readOnly);
  const auto range = StartRange(3);
  ASSERT_TRUE(range);
  auto& fleet = range->Devices();
  const std::string dead = Ipv4Text(htonl(ntohl(fleet[0]->Address().address) + 200));
  TempDir dir;
  WriteList("devices.txt", "# the network\n" + Address(*fleet[0]) + "\n" + Address(*fleet[1]) + "  # two ports\n" +
                               Address(*fleet[2]) + " --port-mode 3 --channel 2\n" + dead + "\n" + Address(*refusing) + "\n");
  const devsim::PortTables a = source->Store().Port(0), b = source->Store().Port(1);
  const Launched sync = Command(With({"sync", "--from", Address(*source), "--from-port", "B", "--to-list", "devices.txt"}));
  EXPECT_EQ(sync.status, 1) << sync.out << sync.err;
  for (const std::string& line : std::vector<std::string>{Address(*fleet[0]) + ": written and verified, changed PortA NIT and PortA BAT",
                                 Address(*fleet[2]) + ": holds the source's tables, verified by its read; nothing written",
                                 dead + ": did not answer",
                                 Address(*refusing) + ": NOT written: Submit of PortA failed: PortA NIT not answered",
                                 "5 devices: 2 written and verified, 1 held the source's tables, 0 differ, 1 not written, 1 did not answer"})
    EXPECT_THAT(sync.out, HasSubstr(line + "\n"));
  for (int device : {0, 1})
    for (int port : {0, 1}) {
      devsim::PortTables expected = port == 0 ? a : b;
      expected.nit = b.nit, expected.bat = b.bat;
      EXPECT_EQ(WithoutTimes(fleet[device]->Store().Port(port)), WithoutTimes(expected)) << device << port;
    }
  EXPECT_EQ(fleet[2]->Store().Port(0), a);
  EXPECT_EQ(fleet[2]->Store().Writes(), 0);
  EXPECT_EQ(refusing->Store().Port(0), a);

  // A dry run says what a sync of port A would change and writes nothing; --version gives every
  // device the same version_number.
  const int writes = fleet[0]->Store().Writes();
  const Launched dry = Command(With({"sync", "--from", Address(*source), "--to", Address(*fleet[0]) + "," + Address(*fleet[2]),
                                    "--dry-run", "--tables", "NIT"}));
  EXPECT_EQ(dry.status, 0) << dry.out << dry.err;
  EXPECT_THAT(dry.out, HasSubstr(Address(*fleet[0]) + ": would change PortA NIT and PortB NIT\n"));
  EXPECT_EQ(fleet[0]->Store().Writes(), writes);
  ASSERT_EQ(Command(With({"sync", "--from", Address(*source), "--to", Address(*fleet[1]), "--version", "9"})).status, 0);
  EXPECT_EQ(FirstVersion(fleet[1]->Store().Port(1).nit), 9);
  EXPECT_EQ(FirstVersion(fleet[1]->Store().Port(1).bat), 9);
}

// An audit of four one-port devices: one with another NIT under the same version_number, one with
// the same NIT under another version_number; a device that does not answer is named.
TEST(Fleet, AuditNamesTheDevicesThatDifferFromTheMajority) {
  const auto range = StartRange(4);
  ASSERT_TRUE(range);
  auto& fleet = range->Devices();
  devsim::PortTables other = fleet[1]->Store().Port(0);
  other.nit = fleet[1]->Store().Port(1).nit;
  fleet[1]->Store().SetPort(0, other);
  ASSERT_EQ(Command(With({"sync", "--from", Address(*fleet[0]), "--to", Address(*fleet[2]), "--version", "9"})).status, 0);
  TempDir dir;
  std::string list;
  for (const auto& sim : fleet) list += Address(*sim) + " --port-mode 3\n";
  WriteList("devices.txt", list + Ipv4Text(htonl(ntohl(fleet[0]->Address().address) + 200)) + "\n");
  const Launched audit = Command(With({"audit", "--devices", "devices.txt", "--tables", "NIT"}));
  EXPECT_EQ(audit.status, 1);
  for (const std::string& line : std::vector<std::string>{"NIT: 2 of 4 ports agree with the majority",
                                 Address(*fleet[1]) + " Port1 differs: other content under the same version_number",
                                 Address(*fleet[2]) + " Port1 differs: the same content under version_number 0x9"})
    EXPECT_THAT(audit.out, HasSubstr(line)) << audit.out;
  const Launched json = Command(With({"audit", "--devices", "devices.txt", "--tables", "NIT", "--json", "--reference",
                                     Address(*fleet[2])}));
  EXPECT_THAT(json.out, HasSubstr("\"agree\": 1, \"differ\": [{\"port\": \"" + Address(*fleet[0]) + " Port1\""));
}

}  // namespace
}  // namespace quorvelin::testing
