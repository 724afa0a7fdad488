#include "tools/launcher/BackupRestore.h"

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
#include "tools/launcher/ConsoleUi.h"
#include "tools/launcher/DeviceSession.h"

namespace quorvelin {
namespace {

using Section = std::vector<uint8_t>;

std::string FileName(const TableTreeCtrl& tree, int port) {
  if (tree.channelNumber != -1) return Format("channel%d.ts", tree.channelNumber);
  return port == 2 ? "portB.ts" : "portA.ts";
}

// The sections of one port's reads, each once, on the PID it goes out on (the NIT on the PAT's
// network PID), in the order they were read.
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

// Every section the writes carried, as the capture reader takes them out of their packets.
std::set<Section> WrittenSections(const RecordingExchange& recording, int port) {
  std::set<Section> out;
  for (const auto& write : recording.writes) {
    if (write.port != port) continue;
    CaptureReader reader([&](const CapturedSection& s) { out.insert(s.bytes); }, CaptureReader::Pids::All);
    reader.Feed(write.bytes.data(), write.bytes.size());
  }
  return out;
}

std::set<Section> ReadSections(const RecordingExchange& recording, const TableTreeCtrl& tree, int port) {
  std::set<Section> out;
  for (const auto& [pid, s] : PortSections(recording, tree, port)) out.insert(s);
  return out;
}

std::string SectionName(const Section& s) {
  return s.size() > 6 && (s[1] & 0x80) ? TableIdName(s[0]) + Format(" section %d", s[6]) : TableIdName(s[0]);
}

// Reads the port back and compares its sections with those written; true when they are equal.
bool ReadBack(const HeadlessOptions& options, const RecordingExchange& written, int port, std::ostream& out,
              std::ostream& err) {
  TableTreeCtrl tree;
  PrepareTree(tree, options, options.device);
  ConsoleUi ui(err);
  DeviceLink link(ui, LinkFor(tree, options));
  RecordingExchange back(link);
  if (!link.HasSocket() || !Refresh(tree, back)) {
    err << "quorvelin: reading " << Ipv4Text(options.device) << " back failed\n";
    return false;
  }
  const std::set<Section> sent = WrittenSections(written, port), read = ReadSections(back, tree, port);
  for (const Section& s : sent)
    if (!read.count(s)) err << "read back: " << SectionName(s) << " written but not read back as written\n";
  for (const Section& s : read)
    if (!sent.count(s)) err << "read back: " << SectionName(s) << " read back but not written\n";
  if (sent != read) return false;
  out << "read back: " << read.size() << " sections, equal to those written\n";
  return true;
}

}  // namespace

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
  TableTreeCtrl tree;
  PrepareTree(tree, options, options.device);
  ConsoleUi ui(err);
  DeviceLink link(ui, LinkFor(tree, options));
  RecordingExchange recording(link);
  if (!link.HasSocket()) return 1;
  if (!Refresh(tree, recording)) {
    err << SilentDeviceText(options.device) << '\n';
    return 1;
  }
  std::error_code ec;
  const std::filesystem::path directory(options.directory);
  std::filesystem::create_directories(directory, ec);
  std::string manifest = "device: " + Ipv4Text(options.device) + "\ntime: " + UtcNow() +
                         Format("\nport mode: %d\n", tree.portMode);
  const std::vector<int> ports = tree.portMode == 1 ? std::vector<int>{1, 2} : std::vector<int>{1};
  for (int port : ports) {
    const auto sections = PortSections(recording, tree, port);
    StreamWriter writer;
    for (const auto& [pid, s] : sections) writer.Add(pid, s);
    const std::string name = FileName(tree, port);
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

int RunRestore(const HeadlessOptions& options, std::ostream& out, std::ostream& err) {
  CaptureOptions selection;
  selection.bouquet = options.bouquet;
  const CaptureLoad load = LoadCapture(options.file, selection);
  for (const std::string& line : load.report) out << line << '\n';
  if (!load.Ok()) {
    err << "quorvelin: " << load.error << '\n';
    return 1;
  }
  TableTreeCtrl tree;
  PrepareTree(tree, options, options.device);
  tree.BuildRoots();
  CaptureExchange capture(load.tables, options.port);
  RefreshPort(tree, capture, options.port);
  ConsoleUi ui(err);
  DeviceLink link(ui, LinkFor(tree, options));
  if (!link.HasSocket()) return 1;
  RecordingExchange recording(link);
  ReportingExchange reporting(recording, tree, out);
  if (!SubmitPort(tree, reporting, ui, options.port) || reporting.Failures() > 0) {
    err << "quorvelin: restoring " << PortName(tree, options.port) << " of " << Ipv4Text(options.device) << " failed\n";
    return 1;
  }
  return ReadBack(options, recording, options.port, out, err) ? 0 : 1;
}

}  // namespace quorvelin
