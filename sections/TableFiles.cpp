#include "sections/TableFiles.h"

#include <array>
#include <fstream>
#include <optional>
#include <string>

#include "sections/BatSections.h"
#include "sections/CatSections.h"
#include "sections/NitSections.h"
#include "sections/Packets.h"
#include "util/Number.h"

namespace quorvelin {
namespace {

using TableArea = std::array<uint8_t, kTableFileSize>;

// The port of the selected item's port node after the user chose a file; nothing when there is no
// selected record, the dialog was cancelled or the item lies under no port node.
struct Selection {
  ItemHandle item;
  NodeKind kind;
  int port;
  std::string path;
};

std::optional<Selection> ChooseFile(TableTreeCtrl& tree, Ui& ui, bool save) {
  const ItemHandle item = tree.GetSelectedItem();
  if (item == kNoItem || tree.GetItemData(item) == nullptr) return std::nullopt;
  const ItemHandle top = tree.TopLevelItem(item);
  std::optional<std::string> path = ui.FileDialog(TableFileDialog(save));
  if (!path) return std::nullopt;
  const int port = top == tree.PortNode(1) ? 1 : top == tree.PortNode(2) ? 2 : 0;
  if (port == 0) return std::nullopt;
  return Selection{item, tree.KindOf(item), port, std::move(*path)};
}

std::string Tell(Ui& ui, const std::string& text) {
  ui.PlainMessageBox(text);
  return {};
}

// "the NIT of PortA"
std::string TableOfPort(const TableTreeCtrl& tree, const Selection& s) {
  const char* name = s.kind == NodeKind::NitRoot ? "NIT" : s.kind == NodeKind::BatRoot ? "BAT" : "CAT";
  return std::string("the ") + name + " of " + tree.PortName(s.port);
}

// ": 1 table, 3 packets": the whole packets of a table file's area.
std::string PacketsOf(const uint8_t* area, size_t size) {
  return ": 1 table, " + Counted(static_cast<long long>(CountPackets(area, size) / kPacketSize), "packet");
}

bool WriteTableFile(const std::string& path, const TableArea& area) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) return false;
  out.write(reinterpret_cast<const char*>(area.data()), static_cast<std::streamsize>(area.size()));
  out.close();
  return static_cast<bool>(out);
}

// Reads up to the area's size from the file; nothing when it cannot be opened.
std::optional<size_t> ReadTableFile(const std::string& path, TableArea& area) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  in.read(reinterpret_cast<char*>(area.data()), static_cast<std::streamsize>(area.size()));
  return static_cast<size_t>(in.gcount());
}

}  // namespace

FileDialogRequest TableFileDialog(bool save) {
  return FileDialogRequest{save, "*", "*.data", "All Files (*.data)|*.data|"};
}

std::string SaveCurrentTable(TableTreeCtrl& tree, Ui& ui) {
  const std::optional<Selection> s = ChooseFile(tree, ui, true);
  if (!s) return {};
  TableArea area;
  area.fill(0xFF);
  BuildResult built;
  const char* buildError = "Create BAT error";
  const char* saveError = "save BAT error";
  switch (s->kind) {
    case NodeKind::NitRoot:
      built = BuildNit(tree, s->port, area.data(), area.size());
      buildError = "Create NIT error";
      saveError = "save NIT error";
      break;
    case NodeKind::BatRoot:
      built = BuildBat(tree, s->port, area.data(), area.size());
      break;
    case NodeKind::CatRoot:
      built = BuildCat(tree, s->port, area.data(), area.size());
      break;
    default:
      return {};
  }
  if (!built) return Tell(ui, built.error.empty() ? buildError : built.error);
  if (!WriteTableFile(s->path, area)) return Tell(ui, saveError);
  ui.MessageBox("Save done", "", MsgIcon::Information, MsgButtons::Ok);
  return "Saved " + TableOfPort(tree, *s) + " to " + s->path + PacketsOf(area.data(), area.size());
}

std::string LoadCurrentTable(TableTreeCtrl& tree, Ui& ui) {
  const std::optional<Selection> s = ChooseFile(tree, ui, false);
  if (!s) return {};
  TableArea buffer;
  buffer.fill(0xFF);
  const char* missing = s->kind == NodeKind::NitRoot   ? "NO NIT data"
                        : s->kind == NodeKind::BatRoot ? "NO BAT data"
                        : s->kind == NodeKind::CatRoot ? "NO CAT data"
                                                       : nullptr;
  std::string done;
  if (missing != nullptr) {
    if (const std::optional<size_t> n = ReadTableFile(s->path, buffer)) {
      done = "Loaded " + s->path + " into " + TableOfPort(tree, *s) + PacketsOf(buffer.data(), *n);
      if (s->kind == NodeKind::NitRoot) {
        ParseNitPackets(tree, buffer.data(), buffer.size(), s->port);
      } else {
        UnpackPackets(static_cast<int>(*n / kPacketSize), buffer.data(), buffer.size());
        if (s->kind == NodeKind::BatRoot)
          ParseBatSection(tree, buffer.data(), buffer.size(), s->port);
        else
          ParseCatSection(tree, buffer.data(), buffer.size(), s->port);
      }
    } else {
      Tell(ui, missing);
    }
  }
  tree.Expand(s->item, ExpandCode::Expand);
  if (const ItemHandle first = tree.GetChildItem(s->item)) tree.Expand(first, ExpandCode::Expand);
  return done;
}

}  // namespace quorvelin
