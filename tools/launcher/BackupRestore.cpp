#include "tools/launcher/BackupRestore.h"

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <ostream>
#include <set>

#include "device/Flows.h"
#include "sections/CaptureExchange.h"
#include "sections/CaptureTables.h"
#include "sections/NitSections.h"
#include "sections/StreamWriter.h"
#include "sections/TsduckXml.h"
#include "tools/launcher/ConsoleUi.h"
#include "tools/launcher/DeviceSession.h"

namespace quorvelin {
namespace {

using Section = std::vector<uint8_t>;

std::string FileName(const HeadlessOptions& options, int port) {
  if (ChannelOf(options) != -1) return Format("channel%d.ts", ChannelOf(options));
  return port == 2 ? "portB.ts" : "portA.ts";
}

bool WriteFile(const std::filesystem::path& path, const std::string& bytes) {
  const std::filesystem::path part = path.string() + ".part";
  {
    std::ofstream file(part, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!file) return false;
  }
  std::error_code ec;
  std::filesystem::rename(part, path, ec);
  return !ec;
}

// "PAT (0x00) on PID 0x0000: 1 section" per table, in the order of the file.
std::vector<std::string> TableLines(const std::vector<std::pair<uint16_t, Section>>& sections) {
  std::vector<std::pair<std::string, int>> counts;
  for (const auto& [pid, s] : sections) {
    const std::string name = TableIdName(s[0]) + Format(" on PID 0x%04X", pid);
    if (counts.empty() || counts.back().first != name) counts.push_back({name, 0});
    ++counts.back().second;
  }
  std::vector<std::string> out;
  for (const auto& [name, n] : counts) out.push_back(name + Format(": %d section%s", n, n == 1 ? "" : "s"));
  return out;
}

std::string UtcNow() {
  const std::time_t now = std::time(nullptr);
  std::tm utc{};
  gmtime_r(&now, &utc);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S UTC", &utc);
  return text;
}

// The device of the options, read whole with every exchange kept.
struct DeviceRead {
  DeviceRead(const HeadlessOptions& options, std::ostream& err)
      : ui(err), link(ui, LinkFor(options, options.device)), recording(link) {
    PrepareTree(tree, options);
  }
  // False, with a message ending in `consequence`, when the device was not read whole.
  bool ReadWhole(const HeadlessOptions& options, const char* consequence, std::ostream& err) {
    return link.HasSocket() && ReadEveryTable(tree, recording, options.device, consequence, err);
  }
  TableTreeCtrl tree;
  ConsoleUi ui;
  DeviceLink link;
  RecordingExchange recording;
};

}  // namespace

std::vector<std::pair<uint16_t, Section>> PortSections(const RecordingExchange& recording, const TableTreeCtrl& tree,
                                                       int port) {
  std::vector<std::pair<uint16_t, Section>> out;
  std::set<std::pair<uint16_t, Section>> seen;
  for (const auto& read : recording.reads) {
    if (read.port != port) continue;
    const uint16_t pid = read.pid == kNitPid ? NitPid(tree, port) : read.pid;
    for (Section& s : AnswerSections(read.bytes.data(), read.bytes.size(), TableIdsOfRead(read.pid, read.bat)))
      if (seen.insert({pid, s}).second) out.emplace_back(pid, std::move(s));
  }
  return out;
}

std::vector<uint8_t> TableIdsOfRead(uint16_t pid, bool bat) {
  switch (pid) {
    case kPatPid:
      return {kPatTableId};
    case kCatPid:
      return {kCatTableId};
    case kNitPid:
      return {kNitTableId};
    case kSdtBatPid:
      return {bat ? kBatTableId : kSdtTableId};
    case kTdtTotPid:
      return {kTdtTableId, kTotTableId};
    default:
      return {kPmtTableId};
  }
}

int RunBackup(const HeadlessOptions& options, std::ostream& out, std::ostream& err) {
  DeviceRead device(options, err);
  if (!device.ReadWhole(options, "no backup was written", err)) return 1;
  TableTreeCtrl& tree = device.tree;
  RecordingExchange& recording = device.recording;
  std::error_code ec;
  const std::filesystem::path directory(options.directory);
  std::filesystem::create_directories(directory, ec);
  std::string manifest = "device: " + Ipv4Text(options.device) + "\ntime: " + UtcNow() +
                         Format("\nport mode: %d\n", options.portMode);
  for (int port : PortsOf(tree)) {
    const auto sections = PortSections(recording, tree, port);
    StreamWriter writer;
    for (const auto& [pid, s] : sections) writer.Add(pid, s);
    const std::string name = FileName(options, port);
    const Packets& stream = writer.Stream();
    if (!WriteFile(directory / name, std::string(stream.begin(), stream.end()))) {
      err << "quorvelin: cannot write " << (directory / name).string() << '\n';
      return 1;
    }
    manifest += name + Format(": %d packets\n", static_cast<int>(stream.size() / kPacketSize));
    for (const std::string& line : TableLines(sections)) manifest += "  " + line + "\n";
  }
  if (!WriteFile(directory / "manifest.txt", manifest)) {
    err << "quorvelin: cannot write " << (directory / "manifest.txt").string() << '\n';
    return 1;
  }
  out << manifest;
  return 0;
}

// The tables of options.file (bouquet selection applied), its report printed; false when
// nothing could be taken.
static bool LoadCaptureFile(const HeadlessOptions& options, CaptureLoad& load, std::ostream& out, std::ostream& err) {
  CaptureOptions selection;
  selection.bouquet = options.bouquet;
  load = LoadCapture(options.file, selection);
  for (const std::string& line : load.report) out << line << '\n';
  if (load.Ok()) return true;
  err << "quorvelin: " << load.error << '\n';
  return false;
}

int RunRestore(const HeadlessOptions& options, std::ostream& out, std::ostream& err) {
  CaptureLoad load;
  if (!LoadCaptureFile(options, load, out, err)) return 1;
  TableTreeCtrl tree;
  PrepareTree(tree, options);
  tree.BuildRoots();
  // Tables the capture does not hold stay on the device as they are, unless the whole port is
  // to be replaced: then they go out empty.
  TableSet replaced = HeldTables(load.tables), kept{};
  for (int t = 0; t < kTableCount; ++t) kept[t] = !replaced[t] && !options.wholePort;
  if (options.wholePort) replaced.fill(true);
  CaptureExchange capture(load.tables, options.port);
  RefreshPort(tree, capture, options.port, &replaced);
  for (int t = 0; t < kTableCount; ++t)
    if (kept[t]) tree.MarkNotRead(options.port, static_cast<Table>(t), "not in the capture");
  out << "replaced: " << TableNames(replaced) << '\n';
  if (std::count(kept.begin(), kept.end(), true) > 0) out << "kept as they are: " << TableNames(kept) << '\n';
  ConsoleUi ui(err);
  DeviceLink link(ui, LinkFor(options, options.device));
  if (!link.HasSocket()) return 1;
  // What the port holds now of the tables replaced: their version_numbers.
  TableTreeCtrl held;
  PrepareTree(held, options);
  held.BuildRoots();
  if (options.versions != VersionRule::Keep) RefreshPort(held, link, options.port, &replaced);
  ReportingExchange reporting(link, tree, out);
  const PortSubmit result = SubmitPortAndVerify(tree, reporting, ui, options.port, nullptr, {options.versions, &held});
  out << result.text << '\n';
  if (!result.verified) {
    err << "quorvelin: restoring " << PortName(tree, options.port) << " of " << Ipv4Text(options.device) << " failed\n";
    return 1;
  }
  return 0;
}

int RunExport(const HeadlessOptions& options, std::ostream& out, std::ostream& err) {
  SectionBytesList sections;
  if (!options.file.empty()) {
    CaptureLoad load;
    if (!LoadCaptureFile(options, load, out, err)) return 1;
    sections = SectionsOf(load.tables);
  } else {
    DeviceRead device(options, err);
    if (!device.ReadWhole(options, "no XML was written", err)) return 1;
    for (auto& [pid, s] : PortSections(device.recording, device.tree, options.port)) sections.push_back(std::move(s));
  }
  if (!WriteFile(options.xml, SectionsToXml(sections))) {
    err << "quorvelin: cannot write " << options.xml << '\n';
    return 1;
  }
  out << options.xml << Format(": %d sections\n", static_cast<int>(sections.size()));
  return 0;
}

}  // namespace quorvelin
