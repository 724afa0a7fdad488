#include "device/PortFiles.h"

#include <algorithm>
#include <fstream>

#include "device/Flows.h"
#include "sections/CaptureExchange.h"
#include "sections/CaptureTables.h"
#include "sections/Packets.h"
#include "sections/StreamWriter.h"
#include "util/ProgressDisplay.h"

namespace quorvelin {
namespace {

FileDialogRequest StreamFileRequest(bool save) {
  return {save, "ts", "*.ts", "Transport streams (*.ts)|*.ts|All Files (*.*)|*.*|"};
}

std::string PortLabel(const TableTreeCtrl& tree, int port) { return tree.GetItemText(tree.PortNode(port)); }

// Takes every write of a Submit without a device and keeps its sections in order.
class StreamCollector final : public TableExchange {
 public:
  bool ReadTable(uint8_t*, size_t, uint16_t, uint8_t, int, bool) override { return false; }
  bool WriteTable(const uint8_t* packets, size_t length, uint16_t, uint8_t, int, bool) override {
    CaptureReader reader([&](const CapturedSection& s) { writer.Add(s.pid, s.bytes); }, CaptureReader::Pids::All);
    reader.Feed(packets, CountPackets(packets, length));
    return true;
  }
  StreamWriter writer;
};

}  // namespace

bool ImportPortCapture(TableTreeCtrl& tree, Ui& ui, int port) {
  const auto path = ui.FileDialog(StreamFileRequest(false));
  return path && ImportPortCaptureFrom(tree, ui, port, *path);
}

bool ImportPortCaptureFrom(TableTreeCtrl& tree, Ui& ui, int port, const std::string& path) {
  if (tree.PortNode(port) == kNoItem) return false;
  auto* display = dynamic_cast<ProgressDisplay*>(&ui);
  const CaptureLoad load = LoadCapture(path, {}, [&](uint64_t done, uint64_t total) {
    return display == nullptr || display->Progress("Reading " + path, done, total);
  });
  if (display != nullptr) display->Progress("", 1, 1);
  if (!load.Ok()) {
    ui.MessageBox(load.error, kCaptureCaption, MsgIcon::Error, MsgButtons::Ok);
    return false;
  }
  // Only the tables the capture holds are replaced; the others keep their branches.
  const TableSet replaced = HeldTables(load.tables);
  TableSet kept{};
  for (int t = 0; t < kTableCount; ++t) kept[t] = !replaced[t];
  std::string question = "Replace the " + TableNames(replaced) + " of " + PortLabel(tree, port) + " with those of " +
                         path + "?\n";
  if (std::count(kept.begin(), kept.end(), true) > 0) question += "Kept as they are: " + TableNames(kept) + ".\n";
  for (const std::string& line : load.report) question += "\n" + line;
  if (ui.MessageBox(question, kCaptureCaption, MsgIcon::Question, MsgButtons::YesNo) != MsgAnswer::Yes) return false;
  CaptureExchange capture(load.tables, port);
  return RefreshPort(tree, capture, port, &replaced);
}

bool ExportPortStream(TableTreeCtrl& tree, Ui& ui, int port) {
  const auto path = ui.FileDialog(StreamFileRequest(true));
  return path && ExportPortStreamTo(tree, ui, port, *path);
}

bool ExportPortStreamTo(TableTreeCtrl& tree, Ui& ui, int port, const std::string& path) {
  StreamCollector collector;
  if (!WritePortTables(tree, collector, ui, port)) return false;
  const Packets& stream = collector.writer.Stream();
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(reinterpret_cast<const char*>(stream.data()), static_cast<std::streamsize>(stream.size()));
  if (!file) {
    ui.MessageBox("cannot write " + path, kCaptureCaption, MsgIcon::Error, MsgButtons::Ok);
    return false;
  }
  return true;
}

}  // namespace quorvelin
