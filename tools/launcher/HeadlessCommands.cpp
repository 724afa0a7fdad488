#include "tools/launcher/HeadlessCommands.h"

#include <charconv>
#include <ostream>
#include <set>
#include <sstream>

#include "device/Flows.h"
#include "device/PcapWriter.h"
#include "sections/DumpFiles.h"
#include "tools/common/Arguments.h"
#include "tools/devsim/SampleMultiplex.h"
#include "tools/devsim/Simulator.h"
#include "tools/launcher/BackupRestore.h"
#include "tools/launcher/ConsoleUi.h"
#include "tools/launcher/DeviceSession.h"
#include "tools/launcher/TreeDiff.h"
#include "util/Number.h"

namespace quorvelin {
namespace {

bool TakeAddress(const std::optional<std::string>& text, uint32_t& into) {
  const auto a = text ? ParseIpv4(text->c_str()) : std::nullopt;
  if (a && *a != 0) into = *a;
  return a && *a != 0;
}

// --port A or B (two ports), or N, the channel of a one-port device.
bool TakePort(const std::optional<std::string>& text, HeadlessOptions& o) {
  if (!text) return false;
  if (*text == "A" || *text == "a" || *text == "B" || *text == "b") {
    o.port = (*text == "B" || *text == "b") ? 2 : 1;
    return true;
  }
  const auto channel = ParseInteger(*text, 1, 32);
  if (!channel) return false;
  o.port = 1;
  o.channelNumber = static_cast<int>(*channel);
  if (o.portMode == 1) o.portMode = 3;
  return true;
}

std::optional<long> ParseHexInteger(const std::string& digits, long high) {
  long v = 0;
  const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), v, 16);
  if (ec != std::errc() || end != digits.data() + digits.size() || digits.empty() || v > high) return std::nullopt;
  return v;
}

}  // namespace

const char* const kLauncherUsage =
    "usage: quorvelin demo [--port-mode N] [--channel N] [--fragmented]\n"
    "       quorvelin dump --device ADDR [options]\n"
    "       quorvelin copy --from ADDR --to ADDR [--partial] [--bump | --keep-version] [options]\n"
    "       quorvelin backup --device ADDR --out DIR [options]\n"
    "       quorvelin restore --device ADDR --port A|B|N --from FILE.ts|FILE.xml [--bouquet ID] [--whole-port]\n"
    "                         [--bump | --keep-version] [options]\n"
    "       quorvelin diff A B [--tables LIST] [options]\n"
    "       quorvelin sync --from SOURCE [--from-port A|B|N] --to ADDR[,ADDR...] | --to-list FILE\n"
    "                      [--tables LIST] [--bouquet ID] [--version N] [--dry-run] [--in-flight N] [options]\n"
    "       quorvelin audit --devices FILE [--tables LIST] [--reference ADDR|FILE] [--json] [options]\n"
    "       quorvelin export --device ADDR | --from FILE.ts  --port A|B|N --xml FILE.xml [--bouquet ID] [options]\n"
    "copy writes nothing when a table of the source could not be read; --partial copies what was\n"
    "read and exits with 3. restore leaves the tables the capture lacks as they are; --whole-port\n"
    "writes them empty. copy and restore write a table whose content differs from what the device\n"
    "holds under the same version_number with that version_number + 1 (--bump, the default);\n"
    "--keep-version writes the version_number as it is.\n"
    "diff compares the tree lines of each table of A and B (each a device address, a backup folder\n"
    "or a .ts file) and exits with 1 when they differ. sync writes the tables of the source port\n"
    "(default NIT,BAT) to every port of every device, reads each back and exits with 0 only when\n"
    "every device verified. audit reads every device (default NIT,BAT) and names per table the\n"
    "devices that differ from the reference (default: the majority) and their differing lines.\n"
    "A device list holds one address a line, each optionally followed by\n"
    "--port-mode N, --channel N, --fragmented; '#' starts a comment.\n"
    "  --tables LIST          tables by name: PAT,PMT,SDT,CAT,NIT,TDT,TOT,BAT\n"
    "options:\n"
    "  --port-mode N          1: ports A and B (default); 2 or 3: one port, the channel\n"
    "  --channel N            the channel of a one-port device (default 1)\n"
    "  --fragmented           fragmented transfer (protocol mode 0x47)\n"
    "  --udp-port N           the device's UDP port (default 2007)\n"
    "  --read-timeout-ms N    wait for each datagram of an answer (default 1000)\n"
    "  --write-timeout-ms N   wait for the reply to a write (default 1000)\n"
    "  --nit-timeout-ms N     wait for the reply to a NIT write (default 50000)\n"
    "  --dump-dir DIR         keep the raw bytes of each read in DIR (default: tables/ in\n"
    "                         $XDG_CACHE_HOME/quorvelin, ~/.cache/quorvelin when unset)\n"
    "  --pcap FILE            write every datagram to and from the devices to FILE (pcap)\n";

std::optional<HeadlessOptions> ParseHeadlessArguments(const std::vector<std::string>& args, std::string& error) {
  if (args.empty()) {
    error = "no command";
    return std::nullopt;
  }
  HeadlessOptions o;
  o.command = args[0];
  static const std::set<std::string> kCommands = {"dump", "copy",  "backup", "restore", "export",
                                                  "diff", "sync", "audit",  "demo"};
  if (kCommands.count(o.command) == 0) {
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
    const bool sync = o.command == "sync", audit = o.command == "audit";
    const bool fromFile = o.command == "restore" || o.command == "export";
    if (o.command == "diff" && a.rfind("--", 0) != 0) {
      o.operands.push_back(a);
    } else if (a == "--tables" && (o.command == "diff" || sync || audit)) {
      const auto v = value();
      const auto set = v ? ParseTableList(*v) : std::nullopt;
      ok = set.has_value();
      if (ok) o.tables = *set;
    } else if (a == "--from" && sync) {
      const auto v = value();
      ok = v && !v->empty();
      if (ok) o.source = *v;
    } else if (a == "--to" && sync) {
      const auto v = value();
      std::istringstream list(v.value_or(""));
      for (std::string address; std::getline(list, address, ',');) o.devices.push_back(address);
      ok = !o.devices.empty();
    } else if ((a == "--to-list" && sync) || (a == "--devices" && audit)) {
      const auto v = value();
      ok = v && !v->empty();
      if (ok) o.deviceList = *v;
    } else if (a == "--from-port" && sync) {
      HeadlessOptions port;
      ok = TakePort(value(), port);
      o.fromPort = port.port;
      o.fromChannel = port.channelNumber;
    } else if (a == "--dry-run" && sync) {
      o.dryRun = true;
    } else if (a == "--version" && sync) {
      ok = integer(0, 31, [&](long n) { o.version = static_cast<int>(n); });
    } else if (a == "--reference" && audit) {
      const auto v = value();
      ok = v && !v->empty();
      if (ok) o.reference = *v;
    } else if (a == "--json" && audit) {
      o.json = true;
    } else if (a == "--in-flight" && (sync || audit)) {
      ok = integer(1, 1024, [&](long n) { o.inFlight = static_cast<int>(n); });
    } else if (a == "--from" && fromFile) {
      const auto v = value();
      ok = v && !v->empty();
      if (ok) o.file = *v;
    } else if (a == "--out" && o.command == "backup") {
      const auto v = value();
      ok = v && !v->empty();
      if (ok) o.directory = *v;
    } else if (a == "--xml" && o.command == "export") {
      const auto v = value();
      ok = v && !v->empty();
      if (ok) o.xml = *v;
    } else if (a == "--port" && fromFile) {
      ok = TakePort(value(), o);
    } else if (a == "--bouquet" && (fromFile || sync)) {
      const auto v = value();
      const auto id = v ? ParseInteger(*v, 0, 0xFFFF) : std::nullopt;
      const auto hex = v && v->rfind("0x", 0) == 0 ? ParseHexInteger(v->substr(2), 0xFFFF) : std::nullopt;
      ok = id || hex;
      if (ok) o.bouquet = static_cast<uint16_t>(hex ? *hex : *id);
    } else if (a == "--whole-port" && o.command == "restore") {
      o.wholePort = true;
    } else if ((a == "--bump" || a == "--keep-version") && (o.command == "copy" || o.command == "restore")) {
      o.versions = a == "--bump" ? VersionRule::Raise : VersionRule::Keep;
    } else if (a == "--partial" && o.command == "copy") {
      o.partial = true;
    } else if (a == "--device" || a == "--from") {
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
    } else if (a == "--dump-dir") {
      const auto v = value();
      ok = v && !v->empty();
      if (ok) o.dumpDirectory = *v;
    } else if (a == "--pcap") {
      const auto v = value();
      ok = v && !v->empty();
      if (ok) o.pcapFile = *v;
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
  if (o.command == "backup" && (o.device == 0 || o.directory.empty())) {
    error = "backup needs --device ADDR and --out DIR";
    return std::nullopt;
  }
  if (o.command == "restore" && (o.device == 0 || o.file.empty() || o.port == 0)) {
    error = "restore needs --device ADDR, --port A|B|N and --from FILE.ts";
    return std::nullopt;
  }
  if (o.command == "diff" && o.operands.size() != 2) {
    error = "diff needs two sides: A B (each a device address, a backup folder or a .ts file)";
    return std::nullopt;
  }
  if (o.command == "sync" && (o.source.empty() || (o.devices.empty() && o.deviceList.empty()))) {
    error = "sync needs --from SOURCE and --to ADDR[,ADDR...] or --to-list FILE";
    return std::nullopt;
  }
  if (o.command == "audit" && o.deviceList.empty()) {
    error = "audit needs --devices FILE";
    return std::nullopt;
  }
  if (o.command == "export" && ((o.device == 0) == o.file.empty() || o.xml.empty() || o.port == 0)) {
    error = "export needs --device ADDR or --from FILE.ts, --port A|B|N and --xml FILE.xml";
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
  PrepareTree(tree, options);
  ConsoleUi ui(err);
  DeviceLink link(ui, LinkFor(options, options.device));
  const bool read = ReadDevice(tree, link, options.device, err);
  out << DumpTree(tree);
  return read ? 0 : 1;
}

int RunCopy(const HeadlessOptions& options, std::ostream& out, std::ostream& err) {
  TableTreeCtrl tree;
  PrepareTree(tree, options);
  ConsoleUi ui(err);
  DeviceLink link(ui, LinkFor(options, options.device));
  if (!ReadDevice(tree, link, options.device, err)) return 1;
  out << "read " << TablesShown(tree) << " tables from " << Ipv4Text(options.device) << '\n';
  const std::vector<std::string> unread = TablesNotRead(tree);
  if (!unread.empty()) {
    err << "quorvelin: not read from " << Ipv4Text(options.device) << ": " << JoinNames(unread) << '\n';
    if (!options.partial) {
      err << "quorvelin: nothing was written to " << Ipv4Text(options.target)
          << " (--partial copies the tables that were read)\n";
      return 1;
    }
  }
  // What the spare holds now, so that a copy that fails part way can be undone.
  TableTreeCtrl spare;
  PrepareTree(spare, options);
  link.Settings().deviceAddress = options.target;
  if (!ReadEveryTable(spare, link, options.target, "nothing was written (a copy that failed could not be undone)", err))
    return 1;
  ReportingExchange reporting(link, tree, out);
  const std::vector<int> ports = options.portMode == 1 ? std::vector<int>{1, 2} : std::vector<int>{1};
  for (size_t i = 0; i < ports.size(); ++i) {
    const PortSubmit result = SubmitPortAndVerify(tree, reporting, ui, ports[i], nullptr, {options.versions, &spare});
    out << result.text << '\n';
    if (result.verified) continue;
    err << "quorvelin: copying " << PortName(tree, ports[i]) << " to " << Ipv4Text(options.target) << " failed\n";
    bool undone = true;
    for (size_t j = 0; j <= i; ++j) undone = SubmitPortAndVerify(spare, link, ui, ports[j]).verified && undone;
    err << (undone ? "quorvelin: the tables " + Ipv4Text(options.target) + " held before were written back\n"
                   : "quorvelin: the tables " + Ipv4Text(options.target) +
                         " held before could not all be written back: " + JoinNames(TablesNotRead(spare)) + "\n");
    return 1;
  }
  if (!unread.empty()) {
    out << "copied to " << Ipv4Text(options.target) << " except " << JoinNames(unread) << '\n';
    return 3;
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

bool OpenPcap(HeadlessOptions& options, std::ostream& err) {
  if (options.pcapFile.empty()) return true;
  std::string error;
  options.link.pcap = PcapWriter::Create(options.pcapFile, error);
  if (!options.link.pcap) err << "quorvelin: " << error << "; nothing was sent\n";
  return options.link.pcap != nullptr;
}

int RunLauncher(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  if (!args.empty() && (args[0] == "--help" || args[0] == "-h" || args[0] == "help")) {
    out << kLauncherUsage;
    return 0;
  }
  std::string error;
  auto options = ParseHeadlessArguments(args, error);
  if (!options) {
    err << "quorvelin: " << error << '\n' << kLauncherUsage;
    return 2;
  }
  if (!OpenPcap(*options, err)) return 2;
  SetDumpDirectory(options->dumpDirectory);
  if (options->command == "dump") return RunDump(*options, out, err);
  if (options->command == "copy") return RunCopy(*options, out, err);
  if (options->command == "diff") return RunDiff(*options, out, err);
  if (options->command == "sync") return RunSync(*options, out, err);
  if (options->command == "audit") return RunAudit(*options, out, err);
  if (options->command == "backup") return RunBackup(*options, out, err);
  if (options->command == "restore") return RunRestore(*options, out, err);
  if (options->command == "export") return RunExport(*options, out, err);
  return RunDemo(*options, out, err);
}

}  // namespace quorvelin
