// The editor's view on large tables: the time to show a BAT of 50 000 items and to delete a
// subtree of 10 000 items with its length fix-ups, each against the same work on the tree alone
// (no view). Prints medians and ratios; nothing is asserted.
#include <QApplication>
#include <algorithm>
#include <chrono>
#include <clocale>
#include <cstdio>
#include <functional>
#include <vector>

#include "editor/TableTreeView.h"
#include "editor/TreeItemModel.h"
#include "sections/BatSections.h"
#include "sections/Packets.h"
#include "commands/DeleteNode.h"
#include "util/Number.h"

namespace quorvelin {
namespace {

using Clock = std::chrono::steady_clock;
using Section = std::vector<uint8_t>;

constexpr int kServicesPerStream = 80;  // one service_list descriptor of 242 bytes
constexpr int kStreamsPerSection = 4;   // 1006 bytes: within the 1024-byte parse buffer

void U16(Section& s, unsigned v) {
  s.push_back(static_cast<uint8_t>(v >> 8));
  s.push_back(static_cast<uint8_t>(v));
}

// A BAT section (table_id 0x4A) whose transport streams each carry one service_list descriptor.
Section BatSection(int number, int lastNumber, int firstService) {
  Section s = {kBatTableId, 0xF0, 0x00};
  U16(s, 0x1001);  // bouquet_id
  s.push_back(0xC1);
  s.push_back(static_cast<uint8_t>(number));
  s.push_back(static_cast<uint8_t>(lastNumber));
  U16(s, 0xF000);  // bouquet_descriptors_length 0
  const size_t loopAt = s.size();
  U16(s, 0);
  int service = firstService;
  for (int t = 0; t < kStreamsPerSection; ++t) {
    U16(s, static_cast<unsigned>(number * kStreamsPerSection + t));  // transport_stream_id
    U16(s, 0x0001);                                                  // original_network_id
    U16(s, 0xF000 | (2 + 3 * kServicesPerStream));
    s.push_back(0x41);
    s.push_back(static_cast<uint8_t>(3 * kServicesPerStream));
    for (int k = 0; k < kServicesPerStream; ++k, ++service) {
      U16(s, static_cast<unsigned>(service));
      s.push_back(0x01);
    }
  }
  const size_t loop = s.size() - loopAt - 2;
  s[loopAt] = static_cast<uint8_t>(0xF0 | (loop >> 8));
  s[loopAt + 1] = static_cast<uint8_t>(loop);
  const size_t length = s.size() + 4 - 3;
  s[1] = static_cast<uint8_t>(0xF0 | (length >> 8));
  s[2] = static_cast<uint8_t>(length);
  const uint32_t crc = Crc32Mpeg(s.data(), s.size());
  for (int shift = 24; shift >= 0; shift -= 8) s.push_back(static_cast<uint8_t>(crc >> shift));
  return s;
}

// Sections enough for `items` tree items once parsed.
std::vector<Section> LargeBat(size_t items) {
  std::vector<Section> sections;
  TableTreeCtrl probe;
  probe.BuildRoots();
  const size_t base = probe.ItemCount();
  const Section one = BatSection(0, 0, 0);
  ParseBatSection(probe, one.data(), one.size(), 1);
  const size_t perSection = probe.ItemCount() - base;
  const int count = static_cast<int>((items + perSection - 1) / perSection);
  for (int i = 0; i < count; ++i) sections.push_back(BatSection(i, count - 1, i * kStreamsPerSection * kServicesPerStream));
  return sections;
}

void ParseAll(TableTreeCtrl& tree, const std::vector<Section>& sections) {
  for (const Section& s : sections) ParseBatSection(tree, s.data(), s.size(), 1);
}

void ExpandAll(TableTreeCtrl& tree, ItemHandle parent) {
  for (ItemHandle c = tree.GetChildItem(parent); c != kNoItem; c = tree.GetNextSiblingItem(c)) {
    if (!tree.ItemHasChildren(c)) continue;
    tree.Expand(c, ExpandCode::Expand);
    ExpandAll(tree, c);
  }
}

// A BAT section whose transport stream holder carries `items` items below it.
ItemHandle LargeStreamList(TableTreeCtrl& tree, size_t items) {
  const ItemHandle root = tree.Root(1, Table::Bat);
  const ItemHandle section = tree.InsertRecordItem("Section 0:", kImageLine, root,
                                                   MakeRecord(NodeKind::BatSection, LoopSectionHeader{}));
  tree.InsertLine("transport_stream_loop_length: 0x0", section);
  const ItemHandle list = tree.InsertRecordItem("transport_streams:", kImageLine, section,
                                                MakeHolder(NodeKind::BatTransportStreamList));
  size_t made = 1;
  for (int ts = 0; made < items; ++ts) {
    TransportStreamEntry e;
    e.transport_stream_id = static_cast<uint16_t>(ts);
    const ItemHandle stream = tree.InsertRecordItem(Format("transport_stream_id: 0x%x", ts), kImageLine, list,
                                                    MakeRecord(NodeKind::BatTransportStream, e));
    const ItemHandle descriptors = tree.InsertRecordItem("transport_descriptors", kImageLine, stream,
                                                         MakeHolder(NodeKind::BatTransportDescriptorList));
    made += 2;
    for (int k = 0; k < 50 && made < items; ++k, made += 3) {
      const ItemHandle entry = tree.InsertTextItem("Service_list", descriptors);
      tree.InsertLine(Format("service_id: 0x%x", k), entry);
    }
  }
  return list;
}

// Median wall time of `runs` runs of `work` in milliseconds; `prepare` runs untimed before each.
double MedianMs(int runs, const std::function<void()>& prepare, const std::function<void()>& work) {
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    prepare();
    const auto start = Clock::now();
    work();
    times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

// A tree shown in a view of the editor's size, laid out and painted once.
struct ShownTree {
  ShownTree() : model(tree), view(model) {
    tree.BuildRoots();
    view.resize(1280, 800);
    view.show();
  }
  void Paint() {
    view.doItemsLayout();
    view.viewport()->repaint();
    QApplication::processEvents();
  }
  TableTreeCtrl tree;
  TreeItemModel model;
  TableTreeView view;
};

void Report(const char* what, double alone, double shown) {
  std::printf("%-44s tree alone %8.1f ms   shown %8.1f ms   ratio %5.2f   %s\n", what, alone, shown, shown / alone,
              shown < 200.0 ? "under 200 ms" : "OVER 200 ms");
}

}  // namespace
}  // namespace quorvelin

int main(int argc, char** argv) {
  using namespace quorvelin;
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  std::setlocale(LC_NUMERIC, "C");
  constexpr int kRuns = 5;

  const std::vector<Section> bat = LargeBat(50000);
  {
    TableTreeCtrl probe;
    probe.BuildRoots();
    ParseAll(probe, bat);
    std::printf("BAT of %zu sections, %zu tree items\n", bat.size(), probe.ItemCount());
  }

  // Show: parse every section (one batch, as a Refresh does), then lay out and paint.
  std::unique_ptr<TableTreeCtrl> alone;
  std::unique_ptr<ShownTree> shown;
  for (const bool expanded : {false, true}) {
    const double a = MedianMs(
        kRuns,
        [&] {
          alone = std::make_unique<TableTreeCtrl>();
          alone->BuildRoots();
        },
        [&] {
          ParseAll(*alone, bat);
          if (expanded) ExpandAll(*alone, kNoItem);
        });
    const double s = MedianMs(
        kRuns, [&] { shown = std::make_unique<ShownTree>(); },
        [&] {
          {
            const ModelBatch batch(shown->model);
            ParseAll(shown->tree, bat);
            if (expanded) ExpandAll(shown->tree, kNoItem);
          }
          shown->Paint();
        });
    Report(expanded ? "show 50 000 items, every item expanded" : "show 50 000 items, as parsed", a, s);
  }

  // Delete: a transport stream holder of 10 000 items, with the section's loop length fixed.
  RecordingUi ui;  // answers Yes
  const double a = MedianMs(
      kRuns,
      [&] {
        alone = std::make_unique<TableTreeCtrl>();
        alone->BuildRoots();
        ParseAll(*alone, bat);
        alone->SelectItem(LargeStreamList(*alone, 10000));
      },
      [&] { DeleteSelectedNode(*alone, ui); });
  const double s = MedianMs(
      kRuns,
      [&] {
        shown = std::make_unique<ShownTree>();
        {
          const ModelBatch batch(shown->model);
          ParseAll(shown->tree, bat);
          shown->tree.SelectItem(LargeStreamList(shown->tree, 10000));
          ExpandAll(shown->tree, kNoItem);
        }
        shown->Paint();
      },
      [&] {
        DeleteSelectedNode(shown->tree, ui);
        shown->Paint();
      });
  Report("delete 10 000 items of 60 000, all expanded", a, s);
  return 0;
}
