#include "tree/TableTreeCtrl.h"

#include <algorithm>

#include "tree/TreePlace.h"
#include "util/Number.h"
#include "util/Settings.h"
#include "util/TextCode.h"

namespace quorvelin {
namespace {

struct RootSpec {
  const char* label;
  NodeKind kind;
};
constexpr RootSpec kRoots[kTableCount] = {
    {"PAT", NodeKind::PatRoot}, {"PMT", NodeKind::PmtRoot}, {"SDT", NodeKind::SdtRoot},
    {"CAT", NodeKind::CatRoot}, {"NIT", NodeKind::NitRoot}, {"TDT", NodeKind::TdtRoot},
    {"TOT", NodeKind::TotRoot}, {"BAT", NodeKind::BatRoot},
};

}  // namespace

// The text code of the names is read once, with the tree, from setting.ini beside the executable.
TableTreeCtrl::TableTreeCtrl() { SetTextCode(ReadTextCodeSetting()); }
TableTreeCtrl::~TableTreeCtrl() = default;

void TableTreeCtrl::LayOutPorts(int portMode, int channelNumber) {
  portLabels_ = {};
  if (portMode == 1)
    portLabels_ = {"PortA", "PortB"};
  else if (portMode == 2 || portMode == 3)
    portLabels_[0] = Format("Port%d", std::max(channelNumber, 1));
}

void TableTreeCtrl::BuildRoots() {
  for (int index = 0; index < 2; ++index) {
    if (portLabels_[index].empty()) continue;
    ports_[index] = InsertItem(portLabels_[index], kImagePort, kNoItem);
    for (int t = 0; t < kTableCount; ++t)
      roots_[index][t] = InsertRecordItem(kRoots[t].label, kImageRoot, ports_[index], MakeHolder(kRoots[t].kind));
  }
}

void TableTreeCtrl::ForgetPorts() {
  ports_ = {};
  roots_ = {};
  notRead_ = {};
  received_ = {};
}

const char* TableTreeCtrl::TableName(Table table) { return kRoots[static_cast<int>(table)].label; }

void TableTreeCtrl::MarkNotRead(int port, Table table, const std::string& why) {
  if (port != 1 && port != 2) return;
  notRead_[port - 1][static_cast<int>(table)] = why.empty() ? std::string("not answered") : why;
  if (const ItemHandle root = Root(port, table))
    SetItemText(root, std::string(TableName(table)) + " (not read: " + NotReadReason(port, table) + ")");
}

void TableTreeCtrl::MarkRead(int port, Table table) {
  if (port != 1 && port != 2) return;
  notRead_[port - 1][static_cast<int>(table)].clear();
  if (const ItemHandle root = Root(port, table)) SetItemText(root, TableName(table));
}

bool TableTreeCtrl::WasRead(int port, Table table) const { return NotReadReason(port, table).empty(); }

const std::string& TableTreeCtrl::NotReadReason(int port, Table table) const {
  static const std::string kRead;
  return port == 1 || port == 2 ? notRead_[port - 1][static_cast<int>(table)] : kRead;
}

ItemHandle TableTreeCtrl::Root(int port, Table table) const {
  if (port != 1 && port != 2) return kNoItem;
  const ItemHandle h = roots_[port - 1][static_cast<int>(table)];
  return IsValid(h) ? h : kNoItem;
}

int TableTreeCtrl::PortOf(ItemHandle item) const {
  const ItemHandle top = TopLevelItem(item);
  if (top == kNoItem) return 0;
  if (top == ports_[0]) return 1;
  if (top == ports_[1]) return 2;
  return 0;
}

std::string TableTreeCtrl::PortName(int port) const {
  const ItemHandle node = PortNode(port);
  return node != kNoItem && IsValid(node) ? GetItemText(node) : std::string();
}

void TableTreeCtrl::MarkSubmitted(int port) {
  if (port == 1 || port == 2) submitted_[port - 1] = BranchDigest(*this, PortNode(port));
}

bool TableTreeCtrl::HasUnsubmittedEdits(int port) const {
  if (port != 1 && port != 2) return false;
  const ItemHandle node = PortNode(port);
  return node != kNoItem && IsValid(node) && BranchDigest(*this, node) != submitted_[port - 1];
}

namespace {

// What the children of a table root show: their texts and structure (the root's own text, which
// says whether the table was read, is left out).
uint64_t ChildrenDigest(const TreeModel& tree, ItemHandle root) {
  uint64_t h = 14695981039346656037ull;
  for (ItemHandle c = root == kNoItem ? kNoItem : tree.GetChildItem(root); c != kNoItem; c = tree.GetNextSiblingItem(c))
    h = (h ^ BranchDigest(tree, c)) * 1099511628211ull;
  return h;
}

}  // namespace

void TableTreeCtrl::KeepReceived(int port, Table table, Sections sections) {
  if (port != 1 && port != 2) return;
  Received& r = received_[port - 1][static_cast<int>(table)];
  r.kept = true;
  r.sections = std::move(sections);
  r.digest = ChildrenDigest(*this, Root(port, table));
}

void TableTreeCtrl::ForgetReceived(int port, Table table) {
  if (port == 1 || port == 2) received_[port - 1][static_cast<int>(table)] = {};
}

const TableTreeCtrl::Sections* TableTreeCtrl::ReceivedUnchanged(int port, Table table) const {
  if (port != 1 && port != 2) return nullptr;
  const Received& r = received_[port - 1][static_cast<int>(table)];
  const ItemHandle root = Root(port, table);
  if (!r.kept || root == kNoItem || !IsValid(root) || ChildrenDigest(*this, root) != r.digest) return nullptr;
  return &r.sections;
}

const TableTreeCtrl::Sections* TableTreeCtrl::KeptSections(int port, Table table) const {
  if (port != 1 && port != 2) return nullptr;
  const Received& r = received_[port - 1][static_cast<int>(table)];
  return r.kept ? &r.sections : nullptr;
}

NodeRecord* TableTreeCtrl::RecordOf(ItemHandle item) const { return dynamic_cast<NodeRecord*>(GetItemData(item)); }

TotRecord* TableTreeCtrl::TotRecordOf(ItemHandle item) const { return dynamic_cast<TotRecord*>(GetItemData(item)); }

NodeKind TableTreeCtrl::KindOf(ItemHandle item) const {
  const NodeRecord* r = RecordOf(item);
  return r ? r->kind : NodeKind::None;
}

ItemHandle TableTreeCtrl::InsertRecordItem(std::string text, int image, ItemHandle parent,
                                           std::unique_ptr<ItemData> record, ItemHandle after) {
  const ItemHandle h = InsertItem(std::move(text), image, parent, after);
  if (h != kNoItem) SetItemData(h, std::move(record));
  return h;
}

ItemHandle TableTreeCtrl::FindChildOfKind(ItemHandle start, NodeKind kind) const {
  for (ItemHandle cur = start; cur != kNoItem;) {
    if (KindOf(cur) == kind && kind != NodeKind::None) return cur;
    if (const ItemHandle child = GetChildItem(cur)) {
      if (const ItemHandle hit = FindChildOfKind(child, kind)) return hit;
    }
    cur = GetNextSiblingItem(cur);
    if (cur != kNoItem) {
      const NodeRecord* r = RecordOf(cur);
      if (r && IsSectionHead(r->kind)) return kNoItem;
    }
  }
  return kNoItem;
}

ItemHandle TableTreeCtrl::FindDirectChildOfKind(ItemHandle parent, NodeKind kind) const {
  for (ItemHandle c = GetChildItem(parent); c != kNoItem; c = GetNextSiblingItem(c))
    if (KindOf(c) == kind) return c;
  return kNoItem;
}

int TableTreeCtrl::LoopBytes(ItemHandle holder) const {
  int sum = 0;
  for (ItemHandle c = GetChildItem(holder); c != kNoItem; c = GetNextSiblingItem(c))
    if (const NodeRecord* r = RecordOf(c)) sum += SectionSize(*r);
  return sum;
}

void TableTreeCtrl::ReleaseRecords(ItemHandle item) {
  for (ItemHandle cur = item; cur != kNoItem; cur = GetNextSiblingItem(cur)) {
    ReleaseItemData(cur);
    if (const ItemHandle child = GetChildItem(cur)) ReleaseRecords(child);
  }
}

void TableTreeCtrl::ReleaseItemRecords(ItemHandle item) {
  ReleaseItemData(item);
  if (const ItemHandle child = GetChildItem(item)) ReleaseRecords(child);
}

ItemHandle TableTreeCtrl::FirstPatProgram(int port) const {
  // From the first section: a search from the root would go on through the port's other tables.
  const ItemHandle root = Root(port, Table::Pat);
  return root ? FindChildOfKind(GetChildItem(root), NodeKind::PatProgram) : kNoItem;
}

TableTreeCtrl::PmtPid TableTreeCtrl::PmtPidOf(int k, int port) const {
  PmtPid out;
  const ItemHandle first = FirstPatProgram(port);
  int seen = 0;
  for (ItemHandle h = first; h != kNoItem; h = GetNextSiblingItem(h)) {
    const NodeRecord* r = RecordOf(h);
    const PatProgram* p = r ? r->As<PatProgram>() : nullptr;
    if (!p || p->pid.get() == 0x0010) continue;
    if (++seen == k) {
      out.pid = p->pid.get();
      out.programNumber = p->program_number;
      break;
    }
  }
  if (out.pid < 0) return out;
  int carriers = 0;
  for (ItemHandle h = first; h != kNoItem; h = GetNextSiblingItem(h)) {
    const NodeRecord* r = RecordOf(h);
    const PatProgram* p = r ? r->As<PatProgram>() : nullptr;
    if (p && p->pid.get() == out.pid) ++carriers;
  }
  out.shared = carriers > 1;
  return out;
}

int TableTreeCtrl::PidOfProgram(int programNumber, int port) const {
  for (ItemHandle h = FirstPatProgram(port); h != kNoItem; h = GetNextSiblingItem(h)) {
    const NodeRecord* r = RecordOf(h);
    const PatProgram* p = r ? r->As<PatProgram>() : nullptr;
    if (p && p->program_number == programNumber) return p->pid.get();
  }
  return -1;
}

int TableTreeCtrl::NetworkPid(int port) const {
  if (!Root(port, Table::Pat)) return 0;
  return PidOfProgram(0, port);
}

namespace {
void DumpItems(const TreeModel& tree, ItemHandle first, int depth, std::string& out) {
  for (ItemHandle h = first; h != kNoItem; h = tree.GetNextSiblingItem(h)) {
    out.append(static_cast<size_t>(depth) * 2, ' ');
    out += tree.GetItemText(h);
    out += '\n';
    if (const ItemHandle c = tree.GetChildItem(h)) DumpItems(tree, c, depth + 1, out);
  }
}
}  // namespace

std::string DumpTree(const TreeModel& tree, ItemHandle from) {
  std::string out;
  if (from == kNoItem) {
    DumpItems(tree, tree.GetRootItem(), 0, out);
  } else {
    out += tree.GetItemText(from);
    out += '\n';
    if (const ItemHandle c = tree.GetChildItem(from)) DumpItems(tree, c, 1, out);
  }
  return out;
}

}  // namespace quorvelin
