#include "device/PortFiles.h"

#include <strings.h>

#include <algorithm>
#include <fstream>

#include "device/Flows.h"
#include "sections/CaptureExchange.h"
#include "sections/CaptureTables.h"
#include "sections/Packets.h"
#include "sections/StreamWriter.h"
#include "sections/TsduckXml.h"
#include "util/Number.h"
#include "util/ProgressDisplay.h"

namespace quorvelin {
namespace {

FileDialogRequest StreamFileRequest(bool save) {
  return {save, "ts", "*.ts", "Transport streams (*.ts)|*.ts|TSDuck XML (*.xml)|*.xml|All Files (*.*)|*.*|"};
}

std::string PortLabel(const TableTreeCtrl& tree, int port) { return tree.GetItemText(tree.PortNode(port)); }

// Takes every write of a Submit without a device and keeps its sections in order.
class StreamCollector final : public TableExchange {
 public:
  bool ReadTable(uint8_t*, size_t, uint16_t, uint8_t, int, bool) override { return false; }
  bool WriteTable(const uint8_t* packets, size_t length, uint16_t, uint8_t, int, bool) override {
    CaptureReader reader(
        [&](const CapturedSection& s) {
          writer.Add(s.pid, s.bytes);
          sections.push_back(s.bytes);
        },
        CaptureReader::Pids::All);
    const size_t whole = CountPackets(packets, length);
    reader.Feed(packets, whole);
    if (whole > 0) ++tables;
    return true;
  }
  StreamWriter writer;
  SectionBytesList sections;
  int tables = 0;
};

bool IsXmlPath(const std::string& path) {
  return path.size() > 4 && strcasecmp(path.c_str() + path.size() - 4, ".xml") == 0;
}

// "3 tables, 5 packets": the tables a capture gives a port, counted as Submit writes them (a PMT
// per program, the TDT and TOT as one), and their packets.
std::string TablesAndPackets(const PortTables& t) {
  size_t tables = t.pmts.size(), bytes = 0;
  for (const Packets* p : {&t.pat, &t.cat, &t.nit, &t.sdt, &t.bat, &t.time}) {
    tables += p->empty() ? 0 : 1;
    bytes += p->size();
  }
  for (const PmtEntry& pmt : t.pmts) bytes += pmt.packets.size();
  return Counted(static_cast<long long>(tables), "table") + ", " +
         Counted(static_cast<long long>(bytes / kPacketSize), "packet");
}

}  // namespace

std::optional<std::string> ImportPortCapture(TableTreeCtrl& tree, Ui& ui, int port) {
  const auto path = ui.FileDialog(StreamFileRequest(false));
  if (!path) return std::nullopt;
  return ImportPortCaptureFrom(tree, ui, port, *path);
}

std::optional<std::string> ImportPortCaptureFrom(TableTreeCtrl& tree, Ui& ui, int port, const std::string& path) {
  if (tree.PortNode(port) == kNoItem) return std::nullopt;
  auto* display = dynamic_cast<ProgressDisplay*>(&ui);
  const CaptureLoad load = LoadCapture(path, {}, [&](uint64_t done, uint64_t total) {
    return display == nullptr || display->Progress("Reading " + path, done, total);
  });
  if (display != nullptr) display->Progress("", 1, 1);
  if (!load.Ok()) {
    ui.MessageBox(load.error, kCaptureCaption, MsgIcon::Error, MsgButtons::Ok);
    return std::nullopt;
  }
  // Only the tables the capture holds are replaced; the others keep their branches.
  const TableSet replaced = HeldTables(load.tables);
  TableSet kept{};
  for (int t = 0; t < kTableCount; ++t) kept[t] = !replaced[t];
  std::string question = "Replace the " + TableNames(replaced) + " of " + PortLabel(tree, port) + " with those of " +
                         path + "?\n";
  if (std::count(kept.begin(), kept.end(), true) > 0) question += "Kept as they are: " + TableNames(kept) + ".\n";
  for (const std::string& line : load.report) question += "\n" + line;
  if (ui.MessageBox(question, kCaptureCaption, MsgIcon::Question, MsgButtons::YesNo) != MsgAnswer::Yes)
    return std::nullopt;
  CaptureExchange capture(load.tables, port);
  if (!RefreshPort(tree, capture, port, &replaced)) return std::nullopt;
  return "Imported " + path + " into " + PortLabel(tree, port) + ": " + TableNames(replaced) + ", " +
         TablesAndPackets(load.tables);
}

std::optional<std::string> ExportPortStream(TableTreeCtrl& tree, Ui& ui, int port) {
  const auto path = ui.FileDialog(StreamFileRequest(true));
  if (!path) return std::nullopt;
  return ExportPortStreamTo(tree, ui, port, *path);
}

std::optional<std::string> ExportPortStreamTo(TableTreeCtrl& tree, Ui& ui, int port, const std::string& path) {
  StreamCollector collector;
  if (!WritePortTables(tree, collector, ui, port)) return std::nullopt;
  const Packets& stream = collector.writer.Stream();
  const bool xml = IsXmlPath(path);
  const std::string text = xml ? SectionsToXml(collector.sections) : std::string();
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  if (xml)
    file << text;
  else
    file.write(reinterpret_cast<const char*>(stream.data()), static_cast<std::streamsize>(stream.size()));
  file.flush();
  if (!file) {
    ui.MessageBox("cannot write " + path, kCaptureCaption, MsgIcon::Error, MsgButtons::Ok);
    return std::nullopt;
  }
  const std::string held = xml ? Counted(static_cast<long long>(collector.sections.size()), "section")
                              : Counted(static_cast<long long>(stream.size() / kPacketSize), "packet");
  return "Exported " + PortLabel(tree, port) + " to " + path + ": " + Counted(collector.tables, "table") + ", " + held;
}

}  // namespace quorvelin
