#include "tools/launcher/TableSource.h"

#include <filesystem>
#include <ostream>
#include <sstream>

#include "sections/CaptureExchange.h"
#include "sections/StreamWriter.h"
#include "tools/launcher/BackupRestore.h"
#include "tools/launcher/ConsoleUi.h"
#include "tools/launcher/DeviceSession.h"

namespace quorvelin {
namespace {

namespace fs = std::filesystem;

// The files of a backup folder: portA.ts (and portB.ts) in port mode 1, else channelN.ts.
struct FolderPorts {
  int portMode = 1, channel = -1;
  std::vector<std::pair<int, fs::path>> files;  // port, file
};

FolderPorts PortsOfFolder(const fs::path& folder) {
  FolderPorts f;
  std::error_code ec;
  if (fs::exists(folder / "portA.ts", ec)) {
    f.files.push_back({1, folder / "portA.ts"});
    if (fs::exists(folder / "portB.ts", ec)) f.files.push_back({2, folder / "portB.ts"});
    return f;
  }
  for (int n = 1; n <= 32; ++n)
    if (fs::exists(folder / Format("channel%d.ts", n), ec)) {
      f.portMode = 3, f.channel = n;
      f.files.push_back({1, folder / Format("channel%d.ts", n)});
      return f;
    }
  return f;
}

CaptureOptions Selection(const HeadlessOptions& options) {
  CaptureOptions selection;
  selection.bouquet = options.bouquet;
  selection.stopWhenComplete = false;
  return selection;
}

// The file's tables as port `port` of the tree, every table the file lacks empty.
bool LoadFilePort(const fs::path& file, const HeadlessOptions& options, TableTreeCtrl& tree, int port,
                  std::ostream& err) {
  const CaptureLoad load = LoadCapture(file.string(), Selection(options));
  if (!load.Ok()) {
    err << "quorvelin: " << file.string() << ": " << load.error << '\n';
    return false;
  }
  CaptureExchange capture(load.tables, port);
  RefreshPort(tree, capture, port);
  tree.MarkSubmitted(port);
  return true;
}

}  // namespace

TableSource ParseSource(const std::string& text) {
  TableSource s;
  s.text = text;
  std::error_code ec;
  if (const auto address = ParseIpv4(text.c_str()); address && *address != 0) {
    s.address = *address;
  } else {
    s.kind = fs::is_directory(text, ec) ? TableSource::Kind::Folder : TableSource::Kind::File;
  }
  return s;
}

bool LoadSource(const TableSource& source, const HeadlessOptions& options, TableTreeCtrl& tree, std::ostream& err) {
  if (source.kind == TableSource::Kind::Device) {
    PrepareTree(tree, options);
    ConsoleUi ui(err);
    DeviceLink link(ui, LinkFor(options, source.address));
    return ReadDevice(tree, link, source.address, err);
  }
  if (source.kind == TableSource::Kind::File) {
    tree.LayOutPorts(3, 1);
    tree.BuildRoots();
    return LoadFilePort(source.text, options, tree, 1, err);
  }
  const FolderPorts folder = PortsOfFolder(source.text);
  if (folder.files.empty()) {
    err << "quorvelin: " << source.text << " holds no portA.ts or channelN.ts\n";
    return false;
  }
  tree.LayOutPorts(folder.portMode, folder.channel);
  tree.BuildRoots();
  for (const auto& [port, file] : folder.files)
    if (!LoadFilePort(file, options, tree, port, err)) return false;
  return true;
}

CaptureLoad LoadSourcePort(const TableSource& source, const HeadlessOptions& options, int port, const TableSet& tables) {
  if (source.kind == TableSource::Kind::File) return LoadCapture(source.text, Selection(options));
  if (source.kind == TableSource::Kind::Folder) {
    for (const auto& [held, file] : PortsOfFolder(source.text).files)
      if (held == port) return LoadCapture(file.string(), Selection(options));
    CaptureLoad none;
    none.error = source.text + " holds no file of port " + (port == 2 ? "B" : "A");
    return none;
  }
  TableTreeCtrl tree;
  PrepareTree(tree, options);
  tree.BuildRoots();
  std::ostringstream messages;
  ConsoleUi ui(messages);
  DeviceLink link(ui, LinkFor(options, source.address));
  RecordingExchange recording(link);
  CaptureLoad load;
  if (!link.HasSocket()) {
    load.error = messages.str();
    return load;
  }
  RefreshPort(tree, recording, port, &tables);
  std::vector<std::string> unread;
  for (int t = 0; t < kTableCount; ++t)
    if (tables[t] && !tree.WasRead(port, static_cast<Table>(t)))
      unread.push_back(tree.PortName(port) + ' ' + TableTreeCtrl::TableName(static_cast<Table>(t)) + " (" +
                       tree.NotReadReason(port, static_cast<Table>(t)) + ")");
  if (!unread.empty()) {
    load.error = "not read from " + Ipv4Text(source.address) + ": " + JoinNames(unread);
    return load;
  }
  StreamWriter writer;
  for (const auto& [pid, section] : PortSections(recording, tree, port)) writer.Add(pid, section);
  const Packets& stream = writer.Stream();
  return LoadCaptureBytes(stream.data(), stream.size(), Selection(options));
}

}  // namespace quorvelin
