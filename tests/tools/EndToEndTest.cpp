// The editor's flows, the headless commands and the two programs as a user starts them, against
// simulated devices over loopback.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <fstream>
#include <sstream>

#include "EndToEndSupport.h"
#include "device/ScriptedDevice.h"
#include "sections/SectionTestSupport.h"
#include "tools/devsim/ExchangeFileHost.h"
#include "tools/launcher/HeadlessCommands.h"

extern char** environ;

namespace quorvelin {
namespace {

using namespace testing;

std::string SampleDump() { return DumpTree(SampleTree().tree); }

// A program of the build started with its standard output on a pipe; killed when the object goes.
struct Program {
  explicit Program(std::vector<std::string> args) {
    args[0] = std::string(QUORVELIN_BINARY_DIR) + "/tools/" + args[0];
    int fds[2] = {-1, -1};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (::pipe2(fds, O_CLOEXEC) == 0) posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[1]);
    out = ::fdopen(fds[0], "r");
  }
  ~Program() {
    if (pid > 0) ::kill(pid, SIGKILL), Wait();
    if (out) ::fclose(out);
  }
  // Output up to the next line end, or up to the end of the output.
  std::string Line() {
    std::string text;
    for (int c; (c = std::fgetc(out)) != EOF && c != '\n';) text += static_cast<char>(c);
    return text;
  }
  int Wait() {
    int status = 0;
    ::waitpid(std::exchange(pid, -1), &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }
  pid_t pid = -1;
  FILE* out = nullptr;
};

// The launcher run on a command line of words separated by blanks: exit status and output.
struct Launch {
  explicit Launch(const std::string& line) {
    std::istringstream words(line);
    std::ostringstream o, e;
    status = RunLauncher({std::istream_iterator<std::string>(words), {}}, o, e);
    out = o.str(), err = e.str();
  }
  int status;
  std::string out, err;
};

TEST(EndToEnd, RefreshGivesTheFullTreeInEveryFraming) {
  TempDir dir;
  const std::string expected = SampleDump();
  Endpoint free;
  { UdpSocket probe = BindFreeLoopback(kDeviceUdpPort, free, 60); }  // an address nobody serves
  const std::string address = Ipv4Text(free.address);
  Program devsim(
      {"devsim/quorvelin-devsim", "--listen", address, "--packets-per-datagram", "2", "--save-dir", dir.Path()});
  ASSERT_TRUE(devsim.pid > 0 && devsim.out);
  EXPECT_EQ(devsim.Line(), "quorvelin-devsim ready on " + address + ":2007 (plain framing, 2 ports)");
  Editor plain(free.address);  // the NIT and BAT answers span several datagrams
  EXPECT_TRUE(Refresh(plain.tree, *plain.link));
  EXPECT_EQ(DumpTree(plain.tree), expected);
  ::kill(devsim.pid, SIGTERM);  // serves until a signal, then saves its ports
  EXPECT_EQ(devsim.Wait(), 0);
  std::ifstream saved(dir.Path() + "/port2.ts", std::ios::binary);
  EXPECT_EQ(devsim::Packets(std::istreambuf_iterator<char>(saved), {}), SampleTree().store.PortStream(1));
  devsim::SimulatorOptions o;
  o.fragmented = true;
  auto sim = StartDevice(o);
  ASSERT_TRUE(sim);
  Editor fragmented(sim->Address().address, kFragmentedProtocol);
  EXPECT_TRUE(Refresh(fragmented.tree, *fragmented.link));
  EXPECT_EQ(DumpTree(fragmented.tree), expected);
  devsim::DeviceStore store;  // the exchange file, carried by the host's callbacks
  devsim::LoadSample(store);
  devsim::ExchangeFileHost host(store, kExchangeFileName);
  host.SetSlowPolls(2);
  Editor e(0);
  std::string calls;
  e.link->SetHostCallbacks([&] { return calls += '1', host.AnswerReady(); },
                           [&] { return calls += '2', host.CarryRequest(); });
  Refresh(e.tree, *e.link);
  EXPECT_EQ(DumpTree(e.tree), expected);
  EXPECT_EQ(calls.substr(0, 4), "2221");
  const auto packets = NumberedPackets(2, 0x0001);
  ASSERT_TRUE(e.link->WriteTable(packets.data(), packets.size(), 0x0001, 0, 2, false));
  EXPECT_EQ(store.Port(1).cat, packets);
  EXPECT_EQ(host.Requests(), 19 + 1);
}

// What tshark prints in full of a capture, with the project's dissector loaded and IPv4 header
// checksums checked.
std::string Dissected(const std::string& pcap) {
  const std::string command = "tshark -o ip.check_checksum:TRUE -X lua_script:" QUORVELIN_SOURCE_DIR
                              "/tools/wireshark/quorvelin.lua -V -r " + pcap + " 2>&1";
  std::string text;
  if (FILE* p = ::popen(command.c_str(), "r")) {
    std::array<char, 65536> block;
    for (size_t n; (n = std::fread(block.data(), 1, block.size(), p)) > 0;) text.append(block.data(), n);
    ::pclose(p);
  }
  return text;
}

TEST(EndToEnd, CopyAndDumpInBothFramings) {
  TempDir dir;
  for (const std::string framing : {"", " --fragmented"}) {
    devsim::SimulatorOptions o;
    o.fragmented = !framing.empty();
    auto source = StartDevice(o), target = StartDevice(o, false);
    ASSERT_TRUE(source && target);
    const std::string from = Ipv4Text(source->Address().address), to = Ipv4Text(target->Address().address);
    const Launch copy("copy --from " + from + " --to " + to + framing);
    ASSERT_EQ(copy.status, 0) << copy.err;
    for (int index : {0, 1})
      EXPECT_EQ(WithoutTimes(target->Store().Port(index)), WithoutTimes(source->Store().Port(index)));
    EXPECT_NE(copy.out.find("PortB BAT: 1 packet written"), std::string::npos) << copy.out;
    EXPECT_NE(copy.out.find("copied to " + to), std::string::npos);
    EXPECT_EQ(copy.err, "");
    EXPECT_EQ(Launch("dump --device " + from + framing).out, SampleDump());
    // One port, the channel in the request: channel 2 of this device is its port B.
    const Launch one("dump --port-mode 2 --channel 2 --device " + from + framing);
    EXPECT_EQ(one.out.rfind("Port2\n  PAT\n", 0), 0u) << one.out.substr(0, 40);
    EXPECT_NE(one.out.find("transport_stream_id: 0x2"), std::string::npos);
  }
  const Launch demo("demo");  // the built-in device on a free loopback address
  EXPECT_EQ(demo.out.rfind("simulated device on 127.0.0.", 0), 0u);
  EXPECT_EQ(demo.out.substr(demo.out.find('\n') + 1), SampleDump());
  const Launch one("demo --port-mode 2 --channel 2 --fragmented");  // its port B, in fragments
  EXPECT_EQ(one.out.find("\nPort2\n  PAT\n"), one.out.find('\n')) << one.out.substr(0, 60);
  EXPECT_NE(one.out.find("transport_stream_id: 0x2"), std::string::npos);
}

// A port as real networks fill it, beyond what the editor's own dialogs make: a two-section SDT
// with Latin-1 and ISO/IEC 8859-5 names, three bouquets (one of two sections), a NIT of twelve
// sections with low-priority terrestrial delivery without time slicing and 14-bit logical
// channel numbers, a 2-byte private CAT descriptor and a TOT of two regions.
devsim::PortTables UnusualPort() {
  auto packets = [](std::initializer_list<Bytes> sections, uint16_t pid) {
    Bytes out;
    for (const Bytes& s : sections) out = Join({out, Packetized(s, pid)});
    return out;
  };
  auto service = [](uint16_t id, const Bytes& name) {
    const Bytes d = Descriptor(0x48, Join({{0x01, 0x00, static_cast<uint8_t>(name.size())}, name}));
    return Join({Hex(Format("%04x fc %02x %02x", id, unsigned(0x80 | d.size() >> 8), unsigned(d.size() & 0xFF))), d});
  };
  auto sdt = [&](int number, const Bytes& services) {
    return WithCrc(Join({Hex(Format("42 f000 0101 c1 %02x 01 2000 ff", number)), services}));
  };
  devsim::PortTables t;
  t.pat = packets({WithCrc(Hex("00 b000 0101 c1 00 00 0000 e010 0001 e100"))}, 0x0000);
  t.pmts = {{0x100, 1, packets({WithCrc(Hex("02 b000 0001 c1 00 00 e101 f000 1b e101 f000"))}, 0x100)}};
  t.sdt = packets({sdt(0, service(1, Hex("10 00 01 43 61 66 e9"))), sdt(1, service(2, Hex("01 bc d8 e0")))}, 0x0011);
  t.cat = packets({WithCrc(Join({Hex("01 b000 ffff c1 00 00"), Descriptor(0x09, Hex("0100 e0c1")), Hex("80 00")}))},
                  0x0001);
  Bytes nit;
  for (int n = 0; n < 12; ++n) {
    Bytes streams;
    for (int ts = 0; ts < 8; ++ts) {
      Bytes lcns = Hex("5f04 00000028");
      Bytes entries;
      for (int k = 0; k < 20; ++k) entries = Join({entries, Hex(Format("%04x %04x", k + 1, 0x8000 | (0x3000 + k)))});
      const Bytes delivery = Descriptor(0x5A, Hex("0474d5a0 1f 41 08 ffffffff"));  // priority 0, no time slicing
      streams = Join({streams, Stream(static_cast<uint16_t>(n * 8 + ts), 0x2000,
                                      Join({delivery, lcns, Descriptor(0x83, entries)}))});
    }
    nit = Join({nit, Packetized(LoopSection(0x40, static_cast<uint8_t>(n), 11, Descriptor(0x40, Hex("4e6574")), streams,
                                            0x2000),
                                0x0010)});
  }
  t.nit = nit;
  auto bouquet = [](uint16_t id, uint8_t number, uint8_t last) {
    return LoopSection(0x4A, number, last, Descriptor(0x47, Hex("42 31")),
                       Stream(0x0101, 0x2000, Descriptor(0x41, Hex(Format("0001 01 %04x 02", id)))), id);
  };
  t.bat = packets({bouquet(0x1001, 0, 0), bouquet(0x1002, 0, 1), bouquet(0x1002, 1, 1), bouquet(0x1003, 0, 0)}, 0x0011);
  const Bytes regions = Hex("581a 444555 02 0100 c079124500 0200 444555 0a 0200 c079124500 0100");
  t.time = Join({packets({Hex("70 7005 ebd1235958")}, 0x0014),
                 packets({WithCrc(Join({Hex("73 7000 ebd1235958"), Loop12(regions)}))}, 0x0014)});
  t.time[kPacketSize + 3] = 0x11;  // the TOT's packet counts on from the TDT's on PID 0x0014
  return t;
}

// In either framing; the copy's datagrams kept with --pcap, as Wireshark shows them: the device
// protocol's fields and the tables decoded by Wireshark's own dissectors.
TEST(EndToEnd, ACopyGivesBackEverySectionOfAnUnusualPort) {
  const bool tshark = std::system("tshark --version >/dev/null 2>&1") == 0;
  TempDir dir;
  auto timeless = [](devsim::PortTables t) {  // and the two-region TOT's CRC_32 at 188 + 5 + 38
    t = WithoutTimes(t);
    if (t.time.size() >= 235) std::fill(t.time.begin() + 231, t.time.begin() + 235, uint8_t{0});
    return t;
  };
  for (const std::string framing : {"", " --fragmented"}) {
    devsim::SimulatorOptions o;
    o.fragmented = !framing.empty();
    auto source = StartDevice(o), target = StartDevice(o, false);
    ASSERT_TRUE(source && target);
    source->Store().SetPort(0, UnusualPort());
    const std::string to = Address(*target);
    const Launch copy("copy --pcap copy.pcap --from " + Address(*source) + " --to " + to + framing);
    ASSERT_EQ(copy.status, 0) << copy.err << copy.out;
    for (int index : {0, 1}) EXPECT_EQ(timeless(target->Store().Port(index)), timeless(source->Store().Port(index)));
    if (!tshark) continue;
    const std::string shown = Dissected("copy.pcap");
    std::vector<std::string> lines{
        "Dst: " + to + "\n", "Src Port: 2007", "Command: read (0xa3)", "Command: write (0xa4)", "Port index: 1",
        "Selector: 1", "PID: 0xffff", "BAT marker (0x40 in byte 4): True", "Status byte: 0xa4",
        "[Message: BAT acknowledgement]", "[Message: write reply]", "MPEG2 Program Association Table",
        "MPEG2 Program Map Table", "DVB Service Description Table", "MPEG2 Conditional Access Table",
        "DVB Network Information Table", "  Section Number: 11\n", "DVB Bouquet Association Table",
        "DVB Time and Date Table", "DVB Time Offset Table", "[Header checksum status: Good]"};
    // Answers over several datagrams and writes in chunks, or messages of several fragments.
    for (const char* line : framing.empty() ? std::vector<const char*>{"Continuation: more datagrams follow (1)",
                                                                       "Index of the first packet: 5"}
                                            : std::vector<const char*>{"Fragment: 2\n", "[Put together in frame: "})
      lines.push_back(line);
    for (const std::string& line : lines) EXPECT_NE(shown.find(line), std::string::npos) << line << framing;
    for (const char* wrong : {"status: Bad", "Malformed", "Lua: Error"})
      EXPECT_EQ(shown.find(wrong), std::string::npos) << wrong << framing;
  }
  if (!tshark) GTEST_SKIP() << "tshark is not installed: the copy's capture was not dissected (scripts/setup)";
}

// A copy from a device that loses a quarter of its datagrams, or answers later than the wait, to a
// spare that loses datagrams too: either every table is on the spare as on the source, or the copy
// fails and says so; a source table that is not read leaves the spare untouched (or, with
// --partial, left out and named, exit status 3).
TEST(EndToEnd, ACopyOverABadLinkIsExactOrWritesNothing) {
  TempDir dir;
  const std::string waits = " --read-timeout-ms 40 --write-timeout-ms 40 --nit-timeout-ms 40";
  int exact = 0;
  for (int run = 0; run < 6; ++run) {
    devsim::SimulatorOptions lossy, spare;
    lossy.faults = run < 4 ? devsim::FaultRates{.loss = 0.25} : devsim::FaultRates{.delayMs = 60};
    lossy.seed = spare.seed = static_cast<uint32_t>(run + 1);
    lossy.fragmented = spare.fragmented = run % 2 == 1;
    spare.faults.loss = run < 4 ? 0.1 : 0;
    auto source = StartDevice(lossy), target = StartDevice(spare, false);
    ASSERT_TRUE(source && target);
    const Launch copy("copy --from " + Ipv4Text(source->Address().address) + " --to " +
                      Ipv4Text(target->Address().address) + waits + (run % 2 ? " --fragmented" : ""));
    bool same = true;
    for (int index : {0, 1}) same = same && WithoutTimes(target->Store().Port(index)) == WithoutTimes(source->Store().Port(index));
    EXPECT_EQ(copy.status == 0, same) << run << copy.out << copy.err;
    const bool undone = target->Store().Port(0) == PortTables{} && target->Store().Port(1) == PortTables{};
    EXPECT_TRUE(copy.status == 0 || undone || copy.err.find("could not all be written back") != std::string::npos)
        << run << copy.err;
    exact += same;
  }
  EXPECT_GE(exact, 4);

  ScriptedDevice partial(false, SampleTables().first);
  partial.mute = Key(0, 0, 0x11);  // the SDT of port A is never answered
  for (const std::string option : {"", " --partial"}) {
    auto target = StartDevice({}, false);
    const Launch copy("copy --from " + Ipv4Text(partial.Address()) + " --to " + Ipv4Text(target->Address().address) +
                      waits + option);
    EXPECT_EQ(copy.status, option.empty() ? 1 : 3) << copy.out << copy.err;
    EXPECT_NE(copy.err.find("not read from " + Ipv4Text(partial.Address()) + ": PortA SDT (no answer)"),
              std::string::npos) << copy.err;
    EXPECT_TRUE(target->Store().Port(0).sdt.empty());
    EXPECT_EQ(target->Store().Port(0).nit.empty(), option.empty());
  }
}

TEST(EndToEnd, ASilentDeviceOrABadArgumentFailsTheCommand) {
  TempDir dir;
  auto source = StartDevice();
  Endpoint silent;
  UdpSocket bound = BindFreeLoopback(kDeviceUdpPort, silent, 150);  // takes requests, never answers
  ASSERT_TRUE(source && bound.IsOpen());
  const std::string from = Ipv4Text(source->Address().address), to = Ipv4Text(silent.address);
  const Launch copy("copy --from " + from + " --to " + to + " --read-timeout-ms 30 --write-timeout-ms 30");
  EXPECT_EQ(copy.status, 1);
  EXPECT_EQ(copy.err, "The device at " + to + " does not answer.\n");
  for (const std::string& command : {"dump --device " + to, "copy --from " + to + " --to " + from}) {
    const Launch run(command + " --read-timeout-ms 50");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "The device at " + to + " does not answer.\n");
  }
  bound.Drain();  // a capture file that cannot be written: said, and nothing sent
  const Launch unwritable("dump --device " + to + " --pcap " + dir.Path() + "/none/exchange.pcap");
  EXPECT_EQ(unwritable.status, 2);
  EXPECT_EQ(unwritable.err, "quorvelin: cannot write the capture file " + dir.Path() +
                                "/none/exchange.pcap: No such file or directory; nothing was sent\n");
  std::array<uint8_t, 16> area;
  EXPECT_FALSE(bound.ReceiveUntil(area.data(), area.size(), SteadyClock::now()));
  for (const char* bad : {"", "dump", "dump --device 300.1.1.1", "copy --from 127.0.0.1", "frobnicate",
                          "dump --device 127.0.0.1 --channel 3", "dump --device 127.0.0.1 --read-timeout-ms 0",
                          "diff 127.0.0.1", "sync --from 127.0.0.1", "sync --from A --to B --tables NIT,EIT", "audit"}) {
    const Launch run(bad);
    EXPECT_EQ(run.status, 2) << bad;
    EXPECT_NE(run.err.find("usage: quorvelin"), std::string::npos);
  }
}

}  // namespace
}  // namespace quorvelin
