#include "tools/devsim/CommandLine.h"


#include "tools/common/Arguments.h"
#include "tools/devsim/SampleMultiplex.h"

namespace quorvelin::devsim {
namespace {

constexpr int kMaxPorts = 32;

std::optional<double> Probability(const std::string& text) {
  try {
    size_t used = 0;
    const double p = std::stod(text, &used);
    if (used != text.size() || p < 0 || p > 1) return std::nullopt;
    return p;
  } catch (...) {
    return std::nullopt;
  }
}

// "A", "B" or a port number 1..32 to a port index.
std::optional<int> PortIndexOf(const std::string& text) {
  if (text == "A" || text == "a") return 0;
  if (text == "B" || text == "b") return 1;
  const auto n = ParseInteger(text, 1, kMaxPorts);
  return n ? std::optional<int>(static_cast<int>(*n) - 1) : std::nullopt;
}

}  // namespace

const char* const kDevsimUsage =
    "usage: quorvelin-devsim [options]\n"
    "  --listen ADDR          IPv4 address to serve on (default 127.0.0.1)\n"
    "  --listen FIRST-LAST    one device per address of the range, each with its own tables\n"
    "                         (all loaded alike) and, with --save-dir DIR, saved in DIR/ADDR\n"
    "  --udp-port N           UDP port (default 2007)\n"
    "  --sample               the built-in two-port multiplex (default without --load)\n"
    "  --load PORT=FILE.ts    tables of a port (A, B or 1..32) from transport packets; repeatable\n"
    "  --save-dir DIR         write DIR/portN.ts after every write and on exit (DIR created if missing)\n"
    "  --fragmented           answer reads in the fragmented framing\n"
    "  --refuse-writes        take no write and answer none (a read-only device)\n"
    "  --packets-per-datagram N  packets per plain answer datagram (default 5)\n"
    "  --loss P --duplicate P --truncate P --oversize P --spoof P   fault probabilities (0..1)\n"
    "  --delay-ms N           send every datagram N ms late\n"
    "  --seed N               seed of the fault injection\n";

std::optional<DevsimCommandLine> ParseDevsimArguments(const std::vector<std::string>& args, std::string& error) {
  DevsimCommandLine line;
  bool sample = false;
  ArgumentReader reader(args, 0);
  while (!reader.Done()) {
    const std::string& a = reader.Option();
    auto value = [&] { return reader.Value(); };
    auto integer = [&](long low, long high, auto store) { return reader.Integer(low, high, store); };
    auto probability = [&](double& into) {
      const auto v = value();
      const auto p = v ? Probability(*v) : std::nullopt;
      if (p) into = *p;
      return p.has_value();
    };
    bool ok = true, known = true;
    if (a == "--help" || a == "-h") {
      line.help = true;
    } else if (a == "--sample") {
      sample = true;
    } else if (a == "--refuse-writes") {
      line.simulator.refuseWrites = true;
    } else if (a == "--fragmented") {
      line.simulator.fragmented = true;
    } else if (a == "--listen") {
      const auto v = value();
      const auto address = v ? ParseIpv4(v->c_str()) : std::nullopt;
      line.range = v && !address ? ParseAddressRange(*v) : std::nullopt;
      ok = address.has_value() || line.range.has_value();
      if (address) line.simulator.listen.address = *address;
    } else if (a == "--udp-port") {
      ok = integer(0, 65535, [&](long n) { line.simulator.listen.port = static_cast<uint16_t>(n); });
    } else if (a == "--packets-per-datagram") {
      ok = integer(1, 50, [&](long n) { line.simulator.packetsPerDatagram = static_cast<size_t>(n); });
    } else if (a == "--delay-ms") {
      ok = integer(0, 600000, [&](long n) { line.simulator.faults.delayMs = static_cast<int>(n); });
    } else if (a == "--seed") {
      ok = integer(0, 0xFFFFFFFFL, [&](long n) { line.simulator.seed = static_cast<uint32_t>(n); });
    } else if (a == "--save-dir") {
      const auto v = value();
      ok = v.has_value() && !v->empty();
      if (ok) line.simulator.saveDir = *v;
    } else if (a == "--load") {
      const auto v = value();
      const size_t eq = v ? v->find('=') : std::string::npos;
      const auto port = eq != std::string::npos ? PortIndexOf(v->substr(0, eq)) : std::nullopt;
      ok = port.has_value() && eq + 1 < v->size();
      if (ok) line.loads.emplace_back(*port, v->substr(eq + 1));
    } else if (a == "--loss") {
      ok = probability(line.simulator.faults.loss);
    } else if (a == "--duplicate") {
      ok = probability(line.simulator.faults.duplicate);
    } else if (a == "--truncate") {
      ok = probability(line.simulator.faults.truncate);
    } else if (a == "--oversize") {
      ok = probability(line.simulator.faults.oversize);
    } else if (a == "--spoof") {
      ok = probability(line.simulator.faults.spoof);
    } else {
      known = ok = false;
    }
    if (!ok) {
      error = OptionError(a, known);
      return std::nullopt;
    }
  }
  if (sample && !line.loads.empty()) {
    error = "--sample and --load exclude each other";
    return std::nullopt;
  }
  return line;
}

bool LoadTables(const DevsimCommandLine& line, DeviceStore& store, std::string& error) {
  if (line.loads.empty()) {
    LoadSample(store);
    return true;
  }
  for (const auto& [port, path] : line.loads) {
    PortTables tables = store.Port(port);
    if (!LoadTransportFile(path, tables, error)) return false;
    store.SetPort(port, std::move(tables));
  }
  return true;
}

void CopyTables(const DeviceStore& from, SimulatorRange& range) {
  for (auto& sim : range.Devices())
    for (int port : from.PortIndices()) sim->Store().SetPort(port, from.Port(port));
}

}  // namespace quorvelin::devsim
