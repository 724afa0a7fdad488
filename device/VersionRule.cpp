#include "device/VersionRule.h"

#include <algorithm>
#include <map>
#include <type_traits>
#include <utility>
#include <variant>

#include "device/FlowLog.h"
#include "sections/BatSections.h"
#include "sections/Packets.h"
#include "sections/ReceivedSections.h"
#include "util/Number.h"

namespace quorvelin {
namespace {

using Key = std::pair<uint8_t, uint16_t>;  // table_id, table_id_extension
using Section = std::vector<uint8_t>;

Key KeyOf(const Section& s) { return {s[0], static_cast<uint16_t>(s[3] << 8 | s[4])}; }
uint8_t VersionOf(const Section& s) { return (s[5] >> 1) & 0x1F; }

// The sections of each sub-table, by section_number.
std::map<Key, std::map<uint8_t, const Section*>> SubTables(const TableTreeCtrl::Sections& sections) {
  std::map<Key, std::map<uint8_t, const Section*>> tables;
  for (const Section& s : sections)
    if (s.size() >= 8) tables[KeyOf(s)].emplace(s[6], &s);
  return tables;
}

bool SameSections(const std::map<uint8_t, const Section*>& a, const std::map<uint8_t, const Section*>& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [](const auto& x, const auto& y) { return x.first == y.first && *x.second == *y.second; });
}

// The name of the table_id_extension of each table; the CAT has none.
const char* IdName(Table table) {
  switch (table) {
    case Table::Pmt:
      return "program_number";
    case Table::Nit:
      return "network_id";
    case Table::Bat:
      return "bouquet_id";
    case Table::Cat:
      return nullptr;
    default:
      return "transport_stream_id";
  }
}

void RewriteVersionLine(TableTreeCtrl& tree, ItemHandle section, uint8_t version) {
  static const std::string kLabel = "version_number: ";
  for (ItemHandle c = tree.GetChildItem(section); c != kNoItem; c = tree.GetNextSiblingItem(c))
    if (tree.GetItemText(c).rfind(kLabel, 0) == 0) {
      tree.SetItemText(c, Format("version_number: 0x%x", version));
      return;
    }
}

// Raises the version of the section item's header when its sub-table is stale.
void RaiseSection(TableTreeCtrl& tree, ItemHandle item, Table table, const std::vector<StaleVersion>& stale) {
  NodeRecord* record = tree.RecordOf(item);
  if (record == nullptr) return;
  const auto matches = [&](uint8_t tableId, int id) {
    return std::any_of(stale.begin(), stale.end(), [&](const StaleVersion& s) {
      return s.table == table && s.tableId == tableId && (id < 0 || s.id == id);
    });
  };
  std::visit(
      [&](auto& h) {
        using H = std::decay_t<decltype(h)>;
        uint8_t raised = 0;
        if constexpr (std::is_base_of_v<PatSectionHeader, H>) {
          if (!matches(h.table_id, h.transport_stream_id)) return;
          h.set_version(static_cast<uint8_t>(h.version() + 1));
          raised = h.version();
        } else if constexpr (std::is_same_v<H, CatSectionHeader>) {
          if (!matches(h.table_id, -1)) return;
          h.version_cni = static_cast<uint8_t>((h.version_cni & ~0x1F) | ((h.version() + 1) & 0x1F));
          raised = h.version();
        } else if constexpr (std::is_same_v<H, LoopSectionHeader>) {
          if (!matches(h.table_id, h.id)) return;
          h.version_number = static_cast<uint8_t>((h.version_number + 1) & 0x1F);
          raised = h.version_number;
          if (table == Table::Bat) tree.SetItemText(item, BatSectionText(h));
        } else {
          return;
        }
        RewriteVersionLine(tree, item, raised);
      },
      record->payload);
}

void RaiseUnder(TableTreeCtrl& tree, ItemHandle parent, Table table, const std::vector<StaleVersion>& stale) {
  for (ItemHandle c = tree.GetChildItem(parent); c != kNoItem; c = tree.GetNextSiblingItem(c)) {
    RaiseSection(tree, c, table, stale);
    if (table == Table::Pmt && tree.KindOf(c) == NodeKind::PmtProgram) RaiseUnder(tree, c, table, stale);
  }
}

}  // namespace

TableTreeCtrl::Sections SectionsOfPackets(const uint8_t* area, size_t size, uint8_t tableId) {
  const size_t bytes = CountPackets(area, size);
  Answer unpacked(area, area + bytes);
  UnpackPackets(static_cast<int>(bytes / kPacketSize), unpacked.data(), unpacked.size());
  return SectionsOfAnswers({unpacked}, tableId).value_or(TableTreeCtrl::Sections{});
}

std::vector<StaleVersion> StaleVersions(Table table, const TableTreeCtrl::Sections& sent,
                                        const TableTreeCtrl::Sections& held) {
  std::vector<StaleVersion> stale;
  const auto heldTables = SubTables(held);
  for (const auto& [key, sections] : SubTables(sent)) {
    const auto other = heldTables.find(key);
    if (other == heldTables.end() || SameSections(sections, other->second)) continue;
    const uint8_t version = VersionOf(*sections.begin()->second);
    if (version == VersionOf(*other->second.begin()->second)) stale.push_back({table, key.first, key.second, version});
  }
  return stale;
}

std::string StaleVersionNames(const TableTreeCtrl& tree, int port, const std::vector<StaleVersion>& stale) {
  std::vector<std::string> names;
  for (const StaleVersion& s : stale) {
    const char* id = IdName(s.table);
    names.push_back(tree.PortName(port) + ' ' + TableTreeCtrl::TableName(s.table) + " (" +
                    (id ? Format("%s 0x%x, ", id, s.id) : std::string()) + Format("version_number %d)", s.version));
  }
  return JoinNames(names);
}

std::string RaiseVersionQuestion(const std::string& names) {
  return names + " changed but kept the version_number the device holds; receivers ignore such a change. "
                 "Raise the version_number by 1?";
}

void RaiseVersions(TableTreeCtrl& tree, int port, const std::vector<StaleVersion>& stale) {
  for (int t = 0; t < kTableCount; ++t) {
    const auto table = static_cast<Table>(t);
    const ItemHandle root = tree.Root(port, table);
    if (root != kNoItem) RaiseUnder(tree, root, table, stale);
  }
}

}  // namespace quorvelin
