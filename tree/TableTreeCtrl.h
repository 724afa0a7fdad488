// The tree that holds every table of the device: port nodes, table roots, the queries the
// parsers, builders and dialogs use, and the per-port state of the editor.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "tree/Records.h"
#include "tree/TreeModel.h"
#include "util/DateTime.h"

namespace quorvelin {

// Images of the editor's image list.
enum Image : int {
  kImageLine = 2,
  kImageProgram = 4,
  kImageSection = 5,
  kImageVideo = 6,
  kImageAudio = 7,
  kImageRoot = 9,
  kImagePort = 11,
};

// Table roots of a port, in the order they stand under the port node.
enum class Table { Pat = 0, Pmt, Sdt, Cat, Nit, Tdt, Tot, Bat };
inline constexpr int kTableCount = 8;

struct MenuFlags {
  bool del = false, add = false, modify = false, submit = false, modifyNit = false, saveLoad = false;
};

class TableTreeCtrl : public TreeModel {
 public:
  TableTreeCtrl();
  ~TableTreeCtrl() override;

  // --- structure ---
  // The port nodes BuildRoots inserts. Port mode 1 (the default): "PortA" and "PortB"; 2 and 3:
  // "Port%d" with the channel number (raised to 1); any other mode: none.
  void LayOutPorts(int portMode, int channelNumber);
  // The port nodes of the layout, each with a root per table.
  void BuildRoots();
  // The layout of `other`'s ports.
  void LayOutPortsLike(const TableTreeCtrl& other) { portLabels_ = other.portLabels_; }
  // The tree shows one port, of a channel.
  bool OnePort() const { return !portLabels_[0].empty() && portLabels_[1].empty(); }
  // Forgets the port nodes and roots (the items themselves are not touched).
  void ForgetPorts();
  ItemHandle PortNode(int port) const { return port == 1 ? ports_[0] : port == 2 ? ports_[1] : kNoItem; }
  ItemHandle Root(int port, Table table) const;
  // 1 when the item lies under the first port node, 2 under the second, else 0.
  int PortOf(ItemHandle item) const;
  // The port node's text ("PortA", "Port3"); empty when the port has no node.
  std::string PortName(int port) const;

  // --- edits not yet on the device ---
  // The port's branch is what the device holds now (after a Refresh or a Submit of the port).
  void MarkSubmitted(int port);
  // The port's branch shows something other than what the last Refresh or Submit left.
  bool HasUnsubmittedEdits(int port) const;

  // --- tables that were not read ---
  // A table whose read got no answer, or not all of it, is unknown: its root says so ("SDT (not
  // read: no answer)") and Submit leaves that table on the device as it is.
  void MarkNotRead(int port, Table table, const std::string& why);
  // The table was read again (or replaced whole): its root shows its plain name.
  void MarkRead(int port, Table table);
  bool WasRead(int port, Table table) const;
  // Why the table is unknown; empty when it was read.
  const std::string& NotReadReason(int port, Table table) const;
  // The root's plain name ("SDT").
  static const char* TableName(Table table);

  // --- sections as they were received ---
  // A table read (or imported) whole keeps its section bytes; while its branch shows what it
  // showed then, it is written with those bytes (reserved bits and unknown layouts included).
  using Sections = std::vector<std::vector<uint8_t>>;
  void KeepReceived(int port, Table table, Sections sections);
  void ForgetReceived(int port, Table table);
  // The sections kept for the table when its branch has not changed since; nullptr otherwise.
  const Sections* ReceivedUnchanged(int port, Table table) const;
  // The sections kept for the table, changed since or not; nullptr when none are kept.
  const Sections* KeptSections(int port, Table table) const;
  // The branch differs from what the table was read with, or the table was never read whole.
  bool ChangedSinceRead(int port, Table table) const { return ReceivedUnchanged(port, table) == nullptr; }

  // --- records ---
  NodeRecord* RecordOf(ItemHandle item) const;
  TotRecord* TotRecordOf(ItemHandle item) const;
  NodeKind KindOf(ItemHandle item) const;  // None without a NodeRecord
  ItemHandle InsertRecordItem(std::string text, int image, ItemHandle parent, std::unique_ptr<ItemData> record,
                              ItemHandle after = kInsertLast);
  ItemHandle InsertLine(std::string text, ItemHandle parent, ItemHandle after = kInsertLast) {
    return InsertItem(std::move(text), kImageLine, parent, after);
  }

  // --- queries ---
  // Depth-first from `start` over it and its following siblings; stops before a sibling that
  // heads the next section (kind low byte 0x01).
  ItemHandle FindChildOfKind(ItemHandle start, NodeKind kind) const;
  // Among the direct children only.
  ItemHandle FindDirectChildOfKind(ItemHandle parent, NodeKind kind) const;
  // Bytes the children of a loop holder occupy in their section (the sum of their section sizes).
  int LoopBytes(ItemHandle holder) const;
  // Releases the records of the item, its subtree and every following sibling with theirs.
  void ReleaseRecords(ItemHandle item);
  // Releases the item's own record and those of its descendants.
  void ReleaseItemRecords(ItemHandle item);

  struct PmtPid {
    int pid = -1;
    bool shared = false;
    int programNumber = -1;
  };
  // k-th program (from 1) whose PID is not 0x0010; -1 when none.
  PmtPid PmtPidOf(int k, int port) const;
  int PidOfProgram(int programNumber, int port) const;
  // PID of program 0; -1 when the PAT has none, 0 when the port has no PAT root.
  int NetworkPid(int port) const;

  // --- state ---
  std::array<DateTime, 2> utcTime{};  // stored UTC time of each port
  std::array<int, 2> programCount{};
  MenuFlags menu;

 private:
  // The first program of the port's first PAT section, kNoItem when there is none.
  ItemHandle FirstPatProgram(int port) const;

  std::array<std::string, 2> portLabels_{"PortA", "PortB"};
  std::array<ItemHandle, 2> ports_{};
  std::array<uint64_t, 2> submitted_{};  // BranchDigest of each port node when last marked
  std::array<std::array<ItemHandle, kTableCount>, 2> roots_{};
  std::array<std::array<std::string, kTableCount>, 2> notRead_{};  // empty: read
  struct Received {
    bool kept = false;
    Sections sections;
    uint64_t digest = 0;  // of the root's children when kept
  };
  std::array<std::array<Received, kTableCount>, 2> received_{};
};

// The item's payload of type T, nullptr when it has none (or no record).
template <class T>
T* PayloadOf(const TableTreeCtrl& tree, ItemHandle item) {
  NodeRecord* r = item == kNoItem ? nullptr : tree.RecordOf(item);
  return r ? r->As<T>() : nullptr;
}
// The same when the item's record has `kind`.
template <class T>
T* PayloadOf(const TableTreeCtrl& tree, ItemHandle item, NodeKind kind) {
  return tree.KindOf(item) == kind ? PayloadOf<T>(tree, item) : nullptr;
}

// The selected item's payload when its record has `kind`, else nullptr.
template <class T>
T* SelectedPayload(const TableTreeCtrl& tree, NodeKind kind) {
  return PayloadOf<T>(tree, tree.GetSelectedItem(), kind);
}

// One line per item, indented two blanks per depth, the item text exactly as shown.
std::string DumpTree(const TreeModel& tree, ItemHandle from = kNoItem);

}  // namespace quorvelin
