// quorvelin diff and quorvelin sync: tables compared between two sources, and the tables of one
// source port written to many devices at once.
#include <algorithm>
#include <array>
#include <map>
#include <optional>
#include <functional>
#include <ostream>
#include <sstream>

#include "device/Framing.h"
#include "sections/CaptureExchange.h"
#include "sections/DumpFiles.h"
#include "sections/Packets.h"
#include "sections/StreamWriter.h"
#include "sections/TableIds.h"
#include "tools/launcher/ConsoleUi.h"
#include "tools/launcher/DeviceSession.h"
#include "tools/launcher/Fleet.h"
#include "tools/launcher/TableSource.h"
#include "tools/launcher/TreeDiff.h"

namespace quorvelin {
namespace {

// The tables given, else `fallback`; the TDT and TOT go together (they are written in one).
TableSet TablesOr(const HeadlessOptions& o, std::initializer_list<Table> fallback) {
  TableSet set = o.tables;
  if (std::count(set.begin(), set.end(), true) == 0)
    for (Table t : fallback) set[static_cast<int>(t)] = true;
  auto& tdt = set[static_cast<int>(Table::Tdt)];
  auto& tot = set[static_cast<int>(Table::Tot)];
  tdt = tot = tdt || tot;
  return set;
}

// "PortA NIT", or "PortA / Port1 NIT" when the two ports are named differently.
std::string Where(const TableTreeCtrl& a, int portA, const TableTreeCtrl& b, int portB, Table table) {
  const std::string nameA = a.PortName(portA), nameB = b.PortName(portB);
  return (nameA == nameB ? nameA : nameA + " / " + nameB) + ' ' + TableTreeCtrl::TableName(table);
}

// The ports compared: one by one when both sides have as many; a side of one port against the
// port `port` (1: A, 2: B) of the other.
std::vector<std::pair<int, int>> PortPairs(const TableTreeCtrl& a, const TableTreeCtrl& b, int port) {
  const std::vector<int> pa = PortsOf(a), pb = PortsOf(b);
  if (pa.size() == pb.size()) {
    std::vector<std::pair<int, int>> pairs;
    for (size_t i = 0; i < pa.size(); ++i) pairs.push_back({pa[i], pb[i]});
    return pairs;
  }
  return pa.size() == 1 ? std::vector<std::pair<int, int>>{{1, port}} : std::vector<std::pair<int, int>>{{port, 1}};
}

// The table's sections with version_number `version` (CRC_32 computed anew).
Packets WithVersion(const Packets& table, uint16_t pid, uint8_t tableId, int version) {
  std::vector<uint8_t> bytes(table.size() + kFrameHeaderSize);
  PutAnswer(table, bytes.data(), bytes.size());
  Packets out;
  for (std::vector<uint8_t> s : AnswerSections(bytes.data(), bytes.size(), {tableId})) {
    s[5] = static_cast<uint8_t>((s[5] & 0xC1) | (version << 1));
    const uint32_t crc = Crc32Mpeg(s.data(), s.size() - 4);
    for (int i = 0; i < 4; ++i) s[s.size() - 4 + static_cast<size_t>(i)] = static_cast<uint8_t>(crc >> (24 - 8 * i));
    const Packets p = PacketsOf(s, pid);
    out.insert(out.end(), p.begin(), p.end());
  }
  return out;
}

struct DeviceResult {
  enum Kind { Verified, Unchanged, WouldChange, Differs, Silent, Failed } kind = Failed;
  std::string line;
};

// The chosen tables of every port of the device read, compared with the source's and, unless
// only trying, written and read back.
DeviceResult SyncDevice(const FleetDevice& device, const PortTables& source, const TableSet& tables, bool dryRun) {
  const HeadlessOptions& o = device.options;
  std::ostringstream messages;  // the flows' message boxes: the result line says what matters
  ConsoleUi ui(messages);
  TableTreeCtrl now, next;
  PrepareTree(now, o);
  PrepareTree(next, o);
  now.BuildRoots();
  next.BuildRoots();
  DeviceLink link(ui, LinkFor(o, o.device));
  DeviceResult r;
  const std::string name = device.name + ": ";
  if (!link.HasSocket()) return {DeviceResult::Failed, name + "no socket"};
  // The first table alone first: a device that does not answer it is not asked further.
  TableSet first{};
  first[static_cast<size_t>(std::find(tables.begin(), tables.end(), true) - tables.begin())] = true;
  RefreshPort(now, link, 1, &first);
  if (link.HeardNothing()) return {DeviceResult::Silent, name + "did not answer"};
  std::vector<std::string> changed;
  std::array<bool, 2> inStep{};  // by port: every chosen table read holds the source's bytes already
  for (int port : PortsOf(now)) {
    TableSet rest = tables;
    for (int t = 0; t < kTableCount && port == 1; ++t) rest[t] = tables[t] && !first[t];  // read already
    RefreshPort(now, link, port, &rest);
    CaptureExchange capture(source, port);
    RefreshPort(next, capture, port, &tables);
    inStep[port - 1] = true;
    for (int t = 0; t < kTableCount; ++t) {
      const auto table = static_cast<Table>(t);
      if (!tables[t]) {
        next.MarkNotRead(port, table, "not synchronised");
        continue;
      }
      const TableTreeCtrl::Sections *held = now.KeptSections(port, table), *wanted = next.KeptSections(port, table);
      // The time tables carry each device's own time: always written.
      inStep[port - 1] = inStep[port - 1] && table != Table::Tdt && table != Table::Tot && now.WasRead(port, table) &&
                         held && wanted && *held == *wanted;
      if (!now.WasRead(port, table))
        changed.push_back(now.PortName(port) + ' ' + TableTreeCtrl::TableName(table) + " (not read)");
      else if (!DiffLines(TableLines(now, port, table), TableLines(next, port, table)).empty())
        changed.push_back(now.PortName(port) + ' ' + TableTreeCtrl::TableName(table));
    }
  }
  if (link.DeviceSilent()) return {DeviceResult::Silent, name + "stopped answering"};
  if (dryRun) {
    if (changed.empty()) return {DeviceResult::Unchanged, name + "holds the source's tables"};
    return {DeviceResult::WouldChange, name + "would change " + JoinNames(changed)};
  }
  std::vector<std::string> differing, failed;
  int written = 0;
  for (int port : PortsOf(next)) {
    if (inStep[port - 1]) continue;  // verified by its read
    ++written;
    const PortSubmit result = SubmitPortAndVerify(next, link, ui, port, nullptr, {VersionRule::Keep});
    if (result.verified) continue;
    const size_t holds = result.text.find("the device holds other ");
    if (holds != std::string::npos)
      differing.push_back(result.text.substr(holds));
    else  // "Submit of PortA failed: PortA NIT not answered", without what was left and the time
      failed.push_back(result.text.substr(0, std::min(result.text.find("; "), result.text.find(" ("))));
    if (link.DeviceSilent()) break;
  }
  if (!failed.empty()) return {DeviceResult::Failed, name + "NOT written: " + JoinNames(failed)};
  if (!differing.empty()) return {DeviceResult::Differs, name + "differs after the write: " + JoinNames(differing)};
  if (written == 0) return {DeviceResult::Unchanged, name + "holds the source's tables, verified by its read; nothing written"};
  return {DeviceResult::Verified,
          name + "written and verified" + (changed.empty() ? ", unchanged" : ", changed " + JoinNames(changed))};
}

// A device of an audit: the lines of each table of each port read, by port name and table.
struct AuditRead {
  bool answered = false;
  std::vector<std::pair<std::string, std::array<std::optional<std::vector<std::string>>, kTableCount>>> ports;
};

AuditRead ReadForAudit(const HeadlessOptions& o, const TableSet& tables) {
  std::ostringstream messages;
  ConsoleUi ui(messages);
  TableTreeCtrl tree;
  PrepareTree(tree, o);
  tree.BuildRoots();
  DeviceLink link(ui, LinkFor(o, o.device));
  AuditRead r;
  if (!link.HasSocket()) return r;
  for (int port : PortsOf(tree)) {
    RefreshPort(tree, link, port, &tables);
    if (link.HeardNothing() && port == 1) return r;
    auto& [name, lines] = r.ports.emplace_back(tree.PortName(port), decltype(r.ports[0].second){});
    for (int t = 0; t < kTableCount; ++t)
      if (tables[t] && tree.WasRead(port, static_cast<Table>(t))) lines[t] = TableLines(tree, port, static_cast<Table>(t));
  }
  r.answered = !link.DeviceSilent();
  return r;
}

// The version_numbers of a table's sections ("0x3", or "0x3, 0x4" when they differ), and its
// lines without them.
std::string Versions(const std::vector<std::string>& lines) {
  std::vector<std::string> found;
  for (const std::string& line : lines)
    if (const size_t at = line.find("version_number:"); at != std::string::npos) {
      const size_t from = line.find_first_not_of(' ', at + 15);
      const std::string v = from == std::string::npos ? "" : line.substr(from, line.find_first_of(", ", from) - from);
      if (std::find(found.begin(), found.end(), v) == found.end()) found.push_back(v);
    }
  std::string joined;
  for (const std::string& v : found) joined += (joined.empty() ? "" : ", ") + v;
  return joined;
}
std::vector<std::string> WithoutVersions(std::vector<std::string> lines) {
  for (std::string& line : lines)
    if (const size_t at = line.find("version_number:"); at != std::string::npos)
      line.erase(at, line.find(',', at) == std::string::npos ? std::string::npos : line.find(',', at) - at);
  return lines;
}

std::string Json(const std::string& text) {
  std::string out = "\"";
  for (const char c : text) {
    if (c == '"' || c == '\\') out += '\\';
    if (static_cast<unsigned char>(c) < 0x20) out += Format("\\u%04x", c);
    else out += c;
  }
  return out + "\"";
}

std::string JsonList(const std::vector<std::string>& items) {
  std::string out = "[";
  for (size_t i = 0; i < items.size(); ++i) out += (i ? ", " : "") + Json(items[i]);
  return out + "]";
}

}  // namespace

int RunDiff(const HeadlessOptions& options, std::ostream& out, std::ostream& err) {
  const TableSource sides[2] = {ParseSource(options.operands[0]), ParseSource(options.operands[1])};
  TableTreeCtrl a, b;
  if (!LoadSource(sides[0], options, a, err) || !LoadSource(sides[1], options, b, err)) return 2;
  const TableSet tables = TablesOr(options, {Table::Pat, Table::Pmt, Table::Sdt, Table::Cat, Table::Nit, Table::Tdt,
                                             Table::Tot, Table::Bat});
  bool differ = false, unknown = false;
  for (const auto& [pa, pb] : PortPairs(a, b, options.port))
    for (int t = 0; t < kTableCount; ++t) {
      const auto table = static_cast<Table>(t);
      if (!tables[t]) continue;
      if (!a.WasRead(pa, table) || !b.WasRead(pb, table)) {
        const bool first = !a.WasRead(pa, table);
        err << "quorvelin: " << Where(a, pa, b, pb, table) << " not compared: not read from "
            << sides[first ? 0 : 1].text << " (" << (first ? a.NotReadReason(pa, table) : b.NotReadReason(pb, table))
            << ")\n";
        unknown = true;
        continue;
      }
      const std::vector<std::string> lines = DiffLines(TableLines(a, pa, table), TableLines(b, pb, table));
      if (lines.empty()) continue;
      if (!differ) out << "--- " << sides[0].text << "\n+++ " << sides[1].text << '\n';
      differ = true;
      out << "@@ " << Where(a, pa, b, pb, table) << " @@\n";
      for (const std::string& line : lines) out << line << '\n';
    }
  return unknown ? 2 : differ ? 1 : 0;
}

int RunSync(const HeadlessOptions& options, std::ostream& out, std::ostream& err) {
  const auto fleet = ReadFleet(options, err);
  if (!fleet) return 2;
  const TableSet tables = TablesOr(options, {Table::Nit, Table::Bat});
  HeadlessOptions from = options;
  from.channelNumber = options.fromChannel;
  if (options.fromChannel != -1) from.portMode = 3;
  const int fromPort = options.fromChannel != -1 ? 1 : options.fromPort;
  const TableSource source = ParseSource(options.source);
  CaptureLoad load = LoadSourcePort(source, from, fromPort, tables);
  if (!load.Ok()) {
    err << "quorvelin: " << options.source << ": " << load.error << '\n';
    return 1;
  }
  const TableSet held = HeldTables(load.tables);
  std::vector<std::string> missing;
  for (int t = 0; t < kTableCount; ++t)
    if (tables[t] && !held[t]) missing.push_back(TableTreeCtrl::TableName(static_cast<Table>(t)));
  if (!missing.empty()) {
    err << "quorvelin: " << options.source << " holds no " << JoinNames(missing) << "; nothing was written\n";
    return 1;
  }
  if (options.version) {
    load.tables.nit = WithVersion(load.tables.nit, kNitPid, kNitTableId, *options.version);
    load.tables.bat = WithVersion(load.tables.bat, kSdtBatPid, kBatTableId, *options.version);
  }
  const std::function<DeviceResult(size_t)> work = [&](size_t i) {
    return SyncDevice((*fleet)[i], load.tables, tables, options.dryRun);
  };
  const NoDumpFiles quiet;
  const std::vector<DeviceResult> results = ForEachDevice(fleet->size(), options.inFlight, work);
  int counts[6] = {};
  for (const DeviceResult& r : results) {
    out << r.line << '\n';
    ++counts[r.kind];
  }
  out << (options.dryRun ? "dry run, " : "") << fleet->size() << " devices: ";
  if (options.dryRun)
    out << counts[DeviceResult::WouldChange] << " would change, " << counts[DeviceResult::Unchanged]
        << " hold the source's tables, ";
  else
    out << counts[DeviceResult::Verified] << " written and verified, " << counts[DeviceResult::Unchanged]
        << " held the source's tables, " << counts[DeviceResult::Differs]
        << " differ, " << counts[DeviceResult::Failed] << " not written, ";
  out << counts[DeviceResult::Silent] << " did not answer\n";
  const int good = counts[DeviceResult::Unchanged] +
                   (options.dryRun ? counts[DeviceResult::WouldChange] : counts[DeviceResult::Verified]);
  return good == static_cast<int>(fleet->size()) ? 0 : 1;
}

int RunAudit(const HeadlessOptions& options, std::ostream& out, std::ostream& err) {
  const auto fleet = ReadFleet(options, err);
  if (!fleet) return 2;
  const TableSet tables = TablesOr(options, {Table::Nit, Table::Bat});
  TableTreeCtrl reference;
  if (!options.reference.empty() && !LoadSource(ParseSource(options.reference), options, reference, err)) return 2;
  const std::function<AuditRead(size_t)> work = [&](size_t i) { return ReadForAudit((*fleet)[i].options, tables); };
  const NoDumpFiles quiet;
  const std::vector<AuditRead> reads = ForEachDevice(fleet->size(), options.inFlight, work);
  std::vector<std::string> silent, text, json;
  for (size_t i = 0; i < reads.size(); ++i)
    if (!reads[i].answered) silent.push_back((*fleet)[i].name);
  bool agree = silent.empty();
  for (int t = 0; t < kTableCount; ++t) {
    if (!tables[t]) continue;
    const std::string table = TableTreeCtrl::TableName(static_cast<Table>(t));
    // Every port of every device that answered: "127.0.1.5 PortB" and its lines.
    std::vector<std::pair<std::string, const std::vector<std::string>*>> held;
    std::vector<std::string> unread;
    for (size_t i = 0; i < reads.size(); ++i)
      for (const auto& [port, lines] : reads[i].ports)
        if (!reads[i].answered) continue;
        else if (lines[t]) held.push_back({(*fleet)[i].name + ' ' + port, &*lines[t]});
        else unread.push_back((*fleet)[i].name + ' ' + port);
    std::vector<std::string> chosen;
    std::string by = options.reference;
    if (!options.reference.empty()) {
      chosen = TableLines(reference, 1, static_cast<Table>(t));
    } else {
      std::map<std::vector<std::string>, int> votes;
      int most = 0;
      for (const auto& [name, lines] : held)
        if (++votes[*lines] > most) most = votes[*lines], chosen = *lines;
      by = "the majority";
    }
    const std::string chosenVersions = Versions(chosen);
    const std::vector<std::string> chosenContent = WithoutVersions(chosen);
    std::vector<std::string> entries, body;
    int same = 0;
    for (const auto& [name, lines] : held) {
      if (*lines == chosen) {
        ++same;
        continue;
      }
      const std::string versions = Versions(*lines);
      std::string flag;
      if (WithoutVersions(*lines) == chosenContent)
        flag = "the same content under version_number " + versions + " (the reference's " + chosenVersions + ")";
      else if (versions == chosenVersions)
        flag = "other content under the same version_number " + versions;
      const std::vector<std::string> diff = DiffLines(chosen, *lines);
      body.push_back("  " + name + " differs" + (flag.empty() ? "" : ": " + flag));
      for (const std::string& line : diff) body.push_back("    " + line);
      entries.push_back("{\"port\": " + Json(name) + ", \"flag\": " + Json(flag) + ", \"lines\": " + JsonList(diff) + "}");
    }
    for (const std::string& name : unread) body.push_back("  " + name + ": not read");
    text.push_back(table + Format(": %d of %d ports agree with ", same, static_cast<int>(held.size() + unread.size())) + by);
    text.insert(text.end(), body.begin(), body.end());
    agree = agree && entries.empty() && unread.empty();
    std::string differ;
    for (const std::string& e : entries) differ += (differ.empty() ? "" : ", ") + e;
    json.push_back("{\"table\": " + Json(table) + ", \"reference\": " + Json(by) + Format(", \"agree\": %d", same) +
                   ", \"differ\": [" + differ + "], \"not_read\": " + JsonList(unread) + "}");
  }
  if (options.json) {
    out << "{\"devices\": " << fleet->size() << ", \"did_not_answer\": " << JsonList(silent) << ", \"tables\": [";
    for (size_t k = 0; k < json.size(); ++k) out << (k ? ", " : "") << json[k];
    out << "]}\n";
  } else {
    for (const std::string& line : text) out << line << '\n';
    for (const std::string& name : silent) out << name << ": did not answer\n";
    out << fleet->size() << " devices: " << (agree ? "all agree" : "they do not all agree") << '\n';
  }
  return agree ? 0 : 1;
}

}  // namespace quorvelin
