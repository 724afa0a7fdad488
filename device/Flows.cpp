#include "device/Flows.h"

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "device/UdpSocket.h"
#include "sections/BatSections.h"
#include "sections/CatSections.h"
#include "sections/NitSections.h"
#include "sections/Packets.h"
#include "sections/PatSections.h"
#include "sections/PmtSections.h"
#include "sections/SdtSections.h"
#include "sections/TimeSections.h"

namespace quorvelin {
namespace {

// Sizes of the output areas of Submit and the lengths handed to WriteTable.
constexpr size_t kTableArea = 204800;
constexpr size_t kPmtArea = 65536;
constexpr size_t kSmallArea = 1024;  // CAT, TDT and TOT writes

std::vector<int> PortsOf(const TableTreeCtrl& tree) {
  if (tree.portMode == 1) return {1, 2};
  if (tree.portMode == 2 || tree.portMode == 3) return {1};
  return {};
}

void ForgetTree(TableTreeCtrl& tree) {
  const ItemHandle first = tree.PortNode(1);
  if (first == kNoItem || !tree.IsValid(first)) return;
  const ItemHandle second = tree.PortNode(2);
  tree.ReleaseRecords(first);
  tree.DeleteItem(first);
  if (second != kNoItem && tree.IsValid(second)) tree.DeleteItem(second);
  tree.ForgetPorts();
}

using Area = std::vector<uint8_t>;
Area Filled(size_t size) { return Area(size, 0xFF); }

bool HasChildren(const TableTreeCtrl& tree, int port, Table table) {
  const ItemHandle root = tree.Root(port, table);
  return root != kNoItem && tree.ItemHasChildren(root);
}

// Every table of one port, built before anything is written.
struct PortBuild {
  int programs = 0;  // c: PAT entries written (0: neither PAT nor PMTs are written)
  Area pat = Filled(kTableArea), pmts = Filled(kPmtArea), sdt = Filled(kTableArea), cat = Filled(kTableArea),
       nit = Filled(kTableArea), bat = Filled(kTableArea), time = Filled(kTableArea);
  std::string refusal;  // the first builder's message: nothing is sent

  void Note(const BuildResult& r) {
    if (refusal.empty() && !r.ok && !r.error.empty()) refusal = r.error;
  }
};

// The TDT packet followed by the TOT packet, both on PID 0x0014, in one area; no packet at all
// when the port has neither table (and no TDT packet in front of a lone TOT: the area then
// starts with filler and carries nothing). Both carry the current UTC time, which becomes the
// port's stored time; built just before their write, so that the time is that of the write.
void BuildTimeTables(TableTreeCtrl& tree, int port, Area& area) {
  const bool tdt = HasChildren(tree, port, Table::Tdt), tot = HasChildren(tree, port, Table::Tot);
  if (!tdt && !tot) return;
  Area first = Filled(kSmallArea);
  const DateTime now = LocalToUtc(CurrentLocalDate());
  BuildTdtAt(tree, first.data(), first.size(), port, now);
  tree.utcTime[port - 1] = now;
  if (!tdt) first = Filled(kSmallArea);
  BuildTot(tree, area.data() + kPacketSize, kSmallArea - kPacketSize, port);
  area[kPacketSize + 3] = static_cast<uint8_t>(area[kPacketSize + 3] + 1);  // continues the TDT's count
  if (!tot) area = Filled(kTableArea);
  std::copy(first.begin(), first.begin() + kPacketSize, area.begin());
}

PortBuild BuildPort(TableTreeCtrl& tree, int port) {
  PortBuild b;
  const BuildResult pat = BuildPat(tree, port, b.pat.data(), b.pat.size());
  b.Note(pat);
  if (pat.ok && pat.count > 0) b.programs = std::max(pat.count, tree.programCount[port - 1]);
  b.Note(BuildPmts(tree, port, b.pmts.data(), b.pmts.size()));
  b.Note(BuildSdt(tree, port, b.sdt.data(), b.sdt.size()));
  b.Note(BuildCat(tree, port, b.cat.data(), kSmallArea));
  b.Note(BuildNit(tree, port, b.nit.data(), b.nit.size()));
  b.Note(BuildBat(tree, port, b.bat.data(), b.bat.size()));
  return b;
}

// PMT slots: port 1 writes the slots that hold a program (packet bytes 8 and 9, the
// program_number, not both 0xFF), numbered from 1; port 2 writes every slot, numbered by slot.
bool WritePmts(TableExchange& exchange, const PortBuild& b, int port) {
  bool ok = true;
  int written = 0;
  const int slots = std::min<int>(b.programs, static_cast<int>(kPmtArea / kPmtSlotSize));
  for (int i = 0; i < slots; ++i) {
    const uint8_t* slot = b.pmts.data() + static_cast<size_t>(i) * kPmtSlotSize;
    if (port == 1 && slot[8] == 0xFF && slot[9] == 0xFF) continue;
    const uint8_t selector = static_cast<uint8_t>(port == 1 ? ++written : i + 1);
    if (!exchange.WriteTable(slot, kPmtSlotSize, 0xFFFF, port, selector)) {
      ok = false;
      if (port == 1) return false;
    }
  }
  return ok;
}

// Forwards the exchanges of one Refresh; once its first two reads both heard nothing at all,
// every further read fails at once.
class SilenceWatch final : public TableExchange {
 public:
  explicit SilenceWatch(TableExchange& link) : link_(link) {}
  bool ReadTable(uint8_t* buffer, size_t size, uint16_t pid, uint8_t selector, int port, bool bat) override {
    if (Silent()) return false;
    const bool ok = link_.ReadTable(buffer, size, pid, selector, port, bat);
    if (reads_++ < 2 && link_.HeardNothing()) ++unheard_;
    return ok;
  }
  bool WriteTable(const uint8_t* packets, size_t length, uint16_t pid, int port, uint8_t selector) override {
    return link_.WriteTable(packets, length, pid, port, selector);
  }
  bool Silent() const { return unheard_ == 2; }

 private:
  TableExchange& link_;
  int reads_ = 0, unheard_ = 0;
};

}  // namespace

std::string SilentDeviceText(uint32_t address) { return "The device at " + Ipv4Text(address) + " does not answer."; }

void Refresh(TableTreeCtrl& tree, TableExchange& exchange, Ui& ui) {
  if (!Refresh(tree, exchange))
    ui.MessageBox(SilentDeviceText(tree.deviceAddress), kSubmitFailedCaption, MsgIcon::Error, MsgButtons::Ok);
}

bool Refresh(TableTreeCtrl& tree, TableExchange& link) {
  SilenceWatch exchange(link);
  tree.programCount = {0, 0};
  ForgetTree(tree);
  tree.BuildRoots();
  const std::vector<int> ports = PortsOf(tree);
  for (int port : ports) {
    const int programs = ParsePat(tree, exchange, port);
    if (programs > tree.programCount[port - 1]) tree.programCount[port - 1] = programs;
  }
  for (int port : ports) ParsePmts(tree, exchange, port, tree.programCount[port - 1]);
  for (int port : ports) ParseSdt(tree, exchange, port);
  for (int port : ports) ReadCat(tree, exchange, port);
  for (int port : ports) ReadNit(tree, exchange, port);
  for (int port : ports) {
    tree.batFlag = 1;
    ReadBat(tree, exchange, port);
  }
  for (int port : ports) {
    ParseTdt(tree, exchange, port);
    ParseTot(tree, exchange, port);
  }
  return !exchange.Silent();
}

bool Submit(TableTreeCtrl& tree, TableExchange& exchange, Ui& ui) {
  const ItemHandle top = tree.TopLevelItem(tree.GetSelectedItem());
  if (top == kNoItem) return false;
  if (top == tree.PortNode(1) && (tree.portMode >= 1 && tree.portMode <= 3)) return SubmitPort(tree, exchange, ui, 1);
  if (top == tree.PortNode(2) && tree.portMode == 1) return SubmitPort(tree, exchange, ui, 2);
  return false;
}

bool SubmitPort(TableTreeCtrl& tree, TableExchange& exchange, Ui& ui, int port) {
  tree.batFlag = 0;
  PortBuild b = BuildPort(tree, port);
  if (!b.refusal.empty()) {
    ui.MessageBox(b.refusal, kSubmitFailedCaption, MsgIcon::Error, MsgButtons::Ok);
    return false;
  }
  const bool firstPort = port == 1;
  auto write = [&](const Area& area, size_t length, uint16_t pid, bool counts) {
    return exchange.WriteTable(area.data(), length, pid, port, 0) || !counts;
  };
  bool ok = true;
  if (b.programs > 0) {
    ok = write(b.pat, kPacketSize, kPatPid, firstPort);
    ok = ok && (WritePmts(exchange, b, port) || !firstPort);
  }
  tree.batFlag = 0;
  ok = ok && write(b.sdt, kTableArea, kSdtBatPid, firstPort);
  ok = ok && write(b.cat, kSmallArea, kCatPid, firstPort);
  ok = ok && write(b.nit, kTableArea, kNitPid, true);
  if (ok) tree.batFlag = 1;
  ok = ok && write(b.bat, kTableArea, kSdtBatPid, true);
  if (ok) BuildTimeTables(tree, port, b.time);
  ok = ok && write(b.time, kSmallArea, kTimePid, true);
  if (!ok) ui.MessageBox(kSubmitFailedText, kSubmitFailedCaption, MsgIcon::Error, MsgButtons::Ok);
  return ok;
}

void ApplyChannel(TableTreeCtrl& tree, TableExchange& exchange, Ui& ui, int channelNumber) {
  tree.channelNumber = channelNumber;
  Refresh(tree, exchange, ui);
}

}  // namespace quorvelin
