#include "tools/launcher/HeadlessCommands.h"

#include <ostream>

#include "device/Flows.h"
#include "tools/common/Arguments.h"
#include "tools/devsim/SampleMultiplex.h"
#include "tools/devsim/Simulator.h"
#include "tools/launcher/ConsoleUi.h"
#include "util/Number.h"
#include "util/TextCode.h"

namespace quorvelin {
namespace {

std::string PortName(const TableTreeCtrl& tree, int port) {
  if (tree.channelNumber != -1) return Format("Port%d", tree.channelNumber);
  return port == 2 ? "PortB" : "PortA";
}

// Forwards every exchange to the link and says what each write carried.
class ReportingExchange : public TableExchange {
 public:
  ReportingExchange(TableExchange& link, const TableTreeCtrl& tree, std::ostream& out)
      : link_(link), tree_(tree), out_(out) {}
  bool ReadTable(uint8_t* buffer, size_t size, uint16_t pid, uint8_t selector, int port, bool bat) override {
    return link_.ReadTable(buffer, size, pid, selector, port, bat);
  }
  bool WriteTable(const uint8_t* packets, size_t length, uint16_t pid, int port, uint8_t selector) override {
    const bool ok = link_.WriteTable(packets, length, pid, port, selector);
    const size_t count = CountPackets(packets, length) / kPacketSize;
    out_ << PortName(tree_, port) << ' ' << TableName(pid, selector) << ": " << count
         << (count == 1 ? " packet" : " packets") << (ok ? " written" : " NOT written") << '\n';
    failures_ += ok ? 0 : 1;
    return ok;
  }
  int Failures() const { return failures_; }

 private:
  std::string TableName(uint16_t pid, uint8_t selector) const {
    switch (pid) {
      case kPatPid:
        return "PAT";
      case kCatPid:
        return "CAT";
      case kNitPid:
        return "NIT";
      case kSdtBatPid:
        return tree_.batFlag == 1 ? "BAT" : "SDT";
      case kTimePid:
        return "TDT/TOT";
      default:
        return Format("PMT %d", selector);
    }
  }
  TableExchange& link_;
  const TableTreeCtrl& tree_;
  std::ostream& out_;
  int failures_ = 0;
};

void PrepareTree(TableTreeCtrl& tree, const HeadlessOptions& o, uint32_t address) {
  tree.deviceAddress = address;
  tree.portMode = o.portMode;
  tree.channelNumber = o.channelNumber != -1 ? o.channelNumber : (o.portMode == 3 ? 1 : -1);
  tree.protocolMode = o.fragmented ? kFragmentedProtocol : 0;
}

int TablesShown(const TableTreeCtrl& tree) {
  int n = 0;
  for (int port : {1, 2})
    for (int t = 0; t < kTableCount; ++t) {
      const ItemHandle root = tree.Root(port, static_cast<Table>(t));
      if (root != kNoItem && tree.ItemHasChildren(root)) ++n;
    }
  return n;
}

// Refresh of the device at `address`; false, with a message, when not one table came.
bool ReadDevice(TableTreeCtrl& tree, DeviceLink& link, uint32_t address, std::ostream& err) {
  if (!link.HasSocket()) return false;
  if (!Refresh(tree, link)) {
    err << SilentDeviceText(address) << '\n';
    return false;
  }
  if (TablesShown(tree) > 0) return true;
  err << "quorvelin: no table could be read from " << Ipv4Text(address) << '\n';
  return false;
}

bool TakeAddress(const std::optional<std::string>& text, uint32_t& into) {
  const auto a = text ? ParseIpv4(text->c_str()) : std::nullopt;
  if (a && *a != 0) into = *a;
  return a && *a != 0;
}

}  // namespace

const char* const kLauncherUsage =
    "usage: quorvelin demo [--port-mode N] [--channel N] [--fragmented]\n"
    "       quorvelin dump --device ADDR [options]\n"
    "       quorvelin copy --from ADDR --to ADDR [options]\n"
    "options:\n"
    "  --port-mode N          1: ports A and B (default); 2 or 3: one port, the channel\n"
    "  --channel N            the channel of a one-port device (default 1)\n"
    "  --fragmented           fragmented transfer (protocol mode 0x47)\n"
    "  --udp-port N           the device's UDP port (default 2007)\n"
    "  --read-timeout-ms N    wait for each datagram of an answer (default 1000)\n"
    "  --write-timeout-ms N   wait for the reply to a write (default 1000)\n"
    "  --nit-timeout-ms N     wait for the reply to a NIT write (default 50000)\n";

std::optional<HeadlessOptions> ParseHeadlessArguments(const std::vector<std::string>& args, std::string& error) {
  if (args.empty()) {
    error = "no command";
    return std::nullopt;
  }
  HeadlessOptions o;
  o.command = args[0];
  if (o.command != "dump" && o.command != "copy" && o.command != "demo") {
    error = "unknown command " + o.command;
    return std::nullopt;
  }
  ArgumentReader reader(args, 1);
  while (!reader.Done()) {
    const std::string& a = reader.Option();
    const auto value = [&] { return reader.Value(); };
    const auto integer = [&](long low, long high, auto store) { return reader.Integer(low, high, store); };
    const auto milliseconds = [&](std::chrono::milliseconds& into) {
      return integer(1, 3600000, [&](long n) { into = std::chrono::milliseconds(n); });
    };
    bool ok = true, known = true;
    auto& t = o.link.timeouts;
    if (a == "--device" || a == "--from") {
      ok = TakeAddress(value(), o.device);
    } else if (a == "--to") {
      ok = TakeAddress(value(), o.target);
    } else if (a == "--port-mode") {
      ok = integer(1, 3, [&](long n) { o.portMode = static_cast<int>(n); });
    } else if (a == "--channel") {
      ok = integer(1, 32, [&](long n) { o.channelNumber = static_cast<int>(n); });
    } else if (a == "--fragmented") {
      o.fragmented = true;
    } else if (a == "--udp-port") {
      ok = integer(1, 65535, [&](long n) { o.link.udpPort = static_cast<uint16_t>(n); });
    } else if (a == "--read-timeout-ms") {
      ok = milliseconds(t.readDatagram);
    } else if (a == "--write-timeout-ms") {
      ok = milliseconds(t.writeReply) && (t.chunkReply = t.writeReply, true);
    } else if (a == "--nit-timeout-ms") {
      ok = milliseconds(t.nitWriteReply);
    } else {
      known = ok = false;
    }
    if (!ok) {
      error = OptionError(a, known);
      return std::nullopt;
    }
  }
  if (o.channelNumber != -1 && o.portMode == 1) {
    error = "--channel needs --port-mode 2 or 3";
    return std::nullopt;
  }
  if ((o.command == "dump" && o.device == 0) || (o.command == "copy" && (o.device == 0 || o.target == 0))) {
    error = o.command == "dump" ? "dump needs --device ADDR" : "copy needs --from ADDR and --to ADDR";
    return std::nullopt;
  }
  return o;
}

int RunDump(const HeadlessOptions& options, std::ostream& out, std::ostream& err) {
  TableTreeCtrl tree;
  PrepareTree(tree, options, options.device);
  ConsoleUi ui(err);
  DeviceLink link(tree, ui, options.link);
  const bool read = ReadDevice(tree, link, options.device, err);
  out << Cp936ToUtf8(DumpTree(tree));
  return read ? 0 : 1;
}

int RunCopy(const HeadlessOptions& options, std::ostream& out, std::ostream& err) {
  TableTreeCtrl tree;
  PrepareTree(tree, options, options.device);
  ConsoleUi ui(err);
  DeviceLink link(tree, ui, options.link);
  if (!ReadDevice(tree, link, options.device, err)) return 1;
  out << "read " << TablesShown(tree) << " tables from " << Ipv4Text(options.device) << '\n';
  tree.deviceAddress = options.target;
  ReportingExchange reporting(link, tree, out);
  const std::vector<int> ports = options.portMode == 1 ? std::vector<int>{1, 2} : std::vector<int>{1};
  for (int port : ports) {
    if (!SubmitPort(tree, reporting, ui, port)) {
      err << "quorvelin: copying " << PortName(tree, port) << " to " << Ipv4Text(options.target) << " failed\n";
      return 1;
    }
  }
  if (reporting.Failures() > 0) {
    err << "quorvelin: " << reporting.Failures() << " writes to " << Ipv4Text(options.target) << " failed\n";
    return 1;
  }
  out << "copied to " << Ipv4Text(options.target) << '\n';
  return 0;
}

int RunDemo(const HeadlessOptions& options, std::ostream& out, std::ostream& err) {
  std::string error;
  devsim::SimulatorOptions simulator;
  simulator.fragmented = options.fragmented;  // the device answers in the framing the reader asks for
  auto sim = devsim::StartOnFreeLoopback(simulator, error);
  if (!sim) {
    err << "quorvelin: " << error << '\n';
    return 1;
  }
  devsim::LoadSample(sim->Store());
  HeadlessOptions dump = options;
  dump.device = sim->Address().address;
  out << "simulated device on " << Ipv4Text(dump.device) << '\n';
  return RunDump(dump, out, err);
}

int RunLauncher(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  if (!args.empty() && (args[0] == "--help" || args[0] == "-h" || args[0] == "help")) {
    out << kLauncherUsage;
    return 0;
  }
  std::string error;
  const auto options = ParseHeadlessArguments(args, error);
  if (!options) {
    err << "quorvelin: " << error << '\n' << kLauncherUsage;
    return 2;
  }
  if (options->command == "dump") return RunDump(*options, out, err);
  if (options->command == "copy") return RunCopy(*options, out, err);
  return RunDemo(*options, out, err);
}

}  // namespace quorvelin
