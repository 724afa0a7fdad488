#include "device/Flows.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "device/Framing.h"
#include "device/UdpSocket.h"
#include "device/VersionRule.h"
#include "tree/TreePlace.h"
#include "sections/BatSections.h"
#include "sections/CatSections.h"
#include "sections/NitSections.h"
#include "sections/Packets.h"
#include "sections/PatSections.h"
#include "sections/PmtSections.h"
#include "sections/ReceivedSections.h"
#include "sections/SdtSections.h"
#include "sections/TimeSections.h"

namespace quorvelin {
namespace {

// Sizes of the output areas of Submit and the lengths handed to WriteTable: each holds what its
// read takes.
constexpr size_t kTableArea = kLargestTablePackets;  // PAT, SDT and NIT
constexpr size_t kBatArea = kBatTablePackets;
constexpr size_t kPmtArea = 64 * kPmtSlotSize;
constexpr size_t kSmallArea = 1024;  // CAT, TDT and TOT writes

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
       nit = Filled(kTableArea), bat = Filled(kBatArea), time = Filled(kTableArea);
  std::string refusal;  // the first builder's message: nothing is sent
  std::array<bool, kTableCount> sent{};  // by Table: written and answered

  void Note(const BuildResult& r) {
    if (refusal.empty() && !r.ok && !r.error.empty()) refusal = r.error;
  }
};

// The TDT packet followed by the TOT packet, both on PID 0x0014, in one area; no packet at all
// when the port has neither table (and no TDT packet in front of a lone TOT: the area then
// starts with filler and carries nothing). Both carry the current UTC time, which becomes the
// port's stored time; built just before their write, so that the time is that of the write.
void BuildTimeTables(TableTreeCtrl& tree, int port, Area& area, const DateTime& now) {
  const bool tdt = HasChildren(tree, port, Table::Tdt), tot = HasChildren(tree, port, Table::Tot);
  if (!tdt && !tot) return;
  Area first = Filled(kSmallArea);
  BuildTdtAt(tree, port, first.data(), first.size(), now);
  tree.utcTime[port - 1] = now;
  if (!tdt) first = Filled(kSmallArea);
  BuildTot(tree, port, area.data() + kPacketSize, kSmallArea - kPacketSize);
  area[kPacketSize + 3] = static_cast<uint8_t>(area[kPacketSize + 3] + 1);  // continues the TDT's count
  if (!tot) area = Filled(kTableArea);
  std::copy(first.begin(), first.begin() + kPacketSize, area.begin());
}

// The packets of a table unchanged since it was read: its sections as received.
bool PlaceReceived(const TableTreeCtrl& tree, int port, Table table, uint16_t pid, uint8_t* area, size_t size) {
  const TableTreeCtrl::Sections* received = tree.ReceivedUnchanged(port, table);
  return received != nullptr && !received->empty() && PlaceSections(*received, pid, area, size);
}

uint16_t PidOfPacket(const uint8_t* packet) { return static_cast<uint16_t>((packet[1] & 0x1F) << 8 | packet[2]); }

// Each PMT slot built for a program whose PMT is unchanged gets the program's section as
// received (a PMT is the one section of its program_number).
void PlaceReceivedPmts(const TableTreeCtrl& tree, int port, Area& pmts) {
  const TableTreeCtrl::Sections* received = tree.ReceivedUnchanged(port, Table::Pmt);
  if (received == nullptr) return;
  for (size_t slot = 0; slot + kPmtSlotSize <= pmts.size(); slot += kPmtSlotSize) {
    uint8_t* packet = pmts.data() + slot;
    if (packet[0] != 0x47) continue;
    const auto own = std::find_if(received->begin(), received->end(), [&](const std::vector<uint8_t>& s) {
      return s[3] == packet[8] && s[4] == packet[9];
    });
    if (own == received->end()) continue;
    Area section(kPmtSlotSize, 0xFF);
    if (PacketizeSection(own->data(), own->size(), PidOfPacket(packet), section.data(), section.size()) > 0)
      std::copy(section.begin(), section.end(), packet);
  }
}

// A table unchanged since it was read goes out as received; the others are built from their records.
PortBuild BuildPort(TableTreeCtrl& tree, int port) {
  PortBuild b;
  const BuildResult pat = BuildPat(tree, port, b.pat.data(), b.pat.size());
  b.Note(pat);
  if (pat.ok && pat.count > 0) b.programs = std::max(pat.count, tree.programCount[port - 1]);
  if (pat.ok) PlaceReceived(tree, port, Table::Pat, kPatPid, b.pat.data(), kPacketSize);
  b.Note(BuildPmts(tree, port, b.pmts.data(), b.pmts.size()));
  PlaceReceivedPmts(tree, port, b.pmts);
  if (!PlaceReceived(tree, port, Table::Sdt, kSdtBatPid, b.sdt.data(), b.sdt.size()))
    b.Note(BuildSdt(tree, port, b.sdt.data(), b.sdt.size()));
  if (!PlaceReceived(tree, port, Table::Cat, kCatPid, b.cat.data(), kSmallArea))
    b.Note(BuildCat(tree, port, b.cat.data(), kSmallArea));
  if (!PlaceReceived(tree, port, Table::Nit, NitPid(tree, port), b.nit.data(), b.nit.size()))
    b.Note(BuildNit(tree, port, b.nit.data(), b.nit.size()));
  if (!PlaceReceived(tree, port, Table::Bat, kSdtBatPid, b.bat.data(), b.bat.size()))
    b.Note(BuildBat(tree, port, b.bat.data(), b.bat.size()));
  if (HasChildren(tree, port, Table::Tot)) {  // built again at its write; a TOT too long is refused now
    Area probe = Filled(kSmallArea);
    b.Note(BuildTot(tree, port, probe.data(), probe.size()));
  }
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
    if (!exchange.WriteTable(slot, kPmtSlotSize, kPmtWritePid, selector, port, false)) {
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
  bool WriteTable(const uint8_t* packets, size_t length, uint16_t pid, uint8_t selector, int port, bool bat) override {
    return link_.WriteTable(packets, length, pid, selector, port, bat);
  }
  bool Silent() const { return unheard_ == 2; }
  const char* ReadProblem() const override { return Silent() ? "no answer" : link_.ReadProblem(); }
  bool DeviceSilent() const override { return Silent() || link_.DeviceSilent(); }

 private:
  TableExchange& link_;
  int reads_ = 0, unheard_ = 0;
};

// How each table of a port is read through `exchange`, by Table.
struct TableRead {
  const char* name;
  void (*read)(TableTreeCtrl& tree, TableExchange& exchange, int port);
};
constexpr TableRead kTableReads[kTableCount] = {
    {"PAT",
     [](TableTreeCtrl& t, TableExchange& x, int port) {
       const int programs = ReadPat(t, x, port);
       if (programs > t.programCount[port - 1]) t.programCount[port - 1] = programs;
     }},
    {"PMT", [](TableTreeCtrl& t, TableExchange& x, int port) { ReadPmts(t, x, port, t.programCount[port - 1]); }},
    {"SDT", [](TableTreeCtrl& t, TableExchange& x, int port) { ReadSdt(t, x, port); }},
    {"CAT", [](TableTreeCtrl& t, TableExchange& x, int port) { ReadCat(t, x, port); }},
    {"NIT", [](TableTreeCtrl& t, TableExchange& x, int port) { ReadNit(t, x, port); }},
    {"TDT", [](TableTreeCtrl& t, TableExchange& x, int port) { ReadTdt(t, x, port); }},
    {"TOT", [](TableTreeCtrl& t, TableExchange& x, int port) { ReadTot(t, x, port); }},
    {"BAT", [](TableTreeCtrl& t, TableExchange& x, int port) { ReadBat(t, x, port); }},
};
// The order of the reads of a port: the TDT and TOT last.
constexpr int kReadOrder[kTableCount] = {0, 1, 2, 3, 4, 7, 5, 6};  // PAT, PMT, SDT, CAT, NIT, BAT, TDT, TOT
constexpr int kTimeTables = 6;  // reads before the TDT

// Where the run of zero bytes that ends an answer starts (a BAT's buffer is 200 KB).
size_t ZeroTail(const uint8_t* buffer, size_t size) {
  static constexpr size_t kBlock = 4096;
  static const std::array<uint8_t, kBlock> zeros{};
  size_t end = size;
  while (end > 0) {
    const size_t from = end > kBlock ? end - kBlock : 0;
    if (std::memcmp(buffer + from, zeros.data(), end - from) != 0) break;
    end = from;
  }
  while (end > 0 && buffer[end - 1] == 0) --end;
  return end;
}
// An answer without the zero bytes behind its sections, but a section's length (4096 bytes at
// most) past the last byte that is not zero, as a section may end in zero bytes.
size_t UsedLength(const uint8_t* buffer, size_t size) { return std::min(size, ZeroTail(buffer, size) + 4096); }

// The answers of the reads of one table, kept on their way through.
class AnswerKeeper final : public TableExchange {
 public:
  explicit AnswerKeeper(TableExchange& link) : link_(link) {}
  bool ReadTable(uint8_t* buffer, size_t size, uint16_t pid, uint8_t selector, int port, bool bat) override {
    const bool ok = link_.ReadTable(buffer, size, pid, selector, port, bat);
    if (ok) answers.emplace_back(buffer, buffer + UsedLength(buffer, size));
    return ok;
  }
  bool WriteTable(const uint8_t* packets, size_t length, uint16_t pid, uint8_t selector, int port, bool bat) override {
    return link_.WriteTable(packets, length, pid, selector, port, bat);
  }
  bool HeardNothing() const override { return link_.HeardNothing(); }
  const char* ReadProblem() const override { return link_.ReadProblem(); }
  bool DeviceSilent() const override { return link_.DeviceSilent(); }

  std::vector<Answer> answers;

 private:
  TableExchange& link_;
};

// The table_id whose sections a table's branch shows (the time tables are always built anew).
constexpr int kShownTableId[kTableCount] = {kPatTableId, kPmtTableId, kSdtTableId, kCatTableId, kNitTableId, -1, -1,
                                            kBatTableId};

// Keeps the sections of a table read whole, when the branch shows each of them.
void KeepReceived(TableTreeCtrl& tree, int port, Table table, const std::vector<Answer>& answers) {
  const int tableId = kShownTableId[static_cast<int>(table)];
  if (tableId < 0 || !tree.WasRead(port, table)) return;
  auto sections = SectionsOfAnswers(answers, static_cast<uint8_t>(tableId));
  if (sections && static_cast<int>(sections->size()) == SectionItems(tree, port, table))
    tree.KeepReceived(port, table, std::move(*sections));
}

// Reads table `t` of the port as one step of the log; false once the user cancelled. A table
// with a read that failed is marked as not read (and the PMTs of a port whose PAT was not read).
bool ReadStep(TableTreeCtrl& tree, TableExchange& exchange, FlowLog& log, int port, int t) {
  const auto table = static_cast<Table>(t);
  tree.ForgetReceived(port, table);
  if (log.Cancelled()) {
    tree.MarkNotRead(port, table, "the read was cancelled");
    return false;
  }
  log.BeginTable(tree.PortName(port) + ' ' + kTableReads[t].name);
  tree.MarkRead(port, table);
  AnswerKeeper keeper(exchange);
  if (exchange.DeviceSilent())
    tree.MarkNotRead(port, table, "no answer");  // not asked: the device stopped answering
  else
    kTableReads[t].read(tree, keeper, port);
  if (log.TableFailed())
    tree.MarkNotRead(port, table, log.TableProblem());
  else if (table == Table::Pmt && !tree.WasRead(port, Table::Pat))
    tree.MarkNotRead(port, table, "the PAT was not read");
  KeepReceived(tree, port, table, keeper.answers);
  return true;
}

// The sections of `table` that the built port sends.
TableTreeCtrl::Sections SentSections(const PortBuild& b, Table table) {
  if (table == Table::Pmt) {
    TableTreeCtrl::Sections sections;
    for (size_t slot = 0; slot + kPmtSlotSize <= b.pmts.size(); slot += kPmtSlotSize)
      for (auto& s : SectionsOfPackets(b.pmts.data() + slot, kPmtSlotSize, kPmtTableId)) sections.push_back(std::move(s));
    return sections;
  }
  const Area* areas[kTableCount] = {&b.pat, nullptr, &b.sdt, &b.cat, &b.nit, nullptr, nullptr, &b.bat};
  const Area* area = areas[static_cast<int>(table)];
  const size_t size = table == Table::Pat ? kPacketSize : table == Table::Cat ? kSmallArea : area->size();
  return SectionsOfPackets(area->data(), size, static_cast<uint8_t>(kShownTableId[static_cast<int>(table)]));
}

// The sub-tables of the built port whose content changed under the version_number the device
// holds get version_number + 1 when the rule (or the user, asked) says so, and the port is built
// again. The names of those raised; empty when none.
std::string ApplyVersionRule(TableTreeCtrl& tree, Ui& ui, int port, PortBuild& b, const WriteOptions& options) {
  if (options.versions == VersionRule::Keep) return {};
  const TableTreeCtrl& held = options.held ? *options.held : tree;
  std::vector<StaleVersion> stale;
  for (int t = 0; t < kTableCount; ++t) {
    const auto table = static_cast<Table>(t);
    if (kShownTableId[t] < 0 || !tree.WasRead(port, table)) continue;  // no version, or not written
    if (options.held == nullptr && !tree.ChangedSinceRead(port, table)) continue;  // sent as received
    const TableTreeCtrl::Sections* kept = held.KeptSections(port, table);
    if (kept == nullptr) continue;
    for (const StaleVersion& v : StaleVersions(table, SentSections(b, table), *kept)) stale.push_back(v);
  }
  if (stale.empty()) return {};
  const std::string names = StaleVersionNames(tree, port, stale);
  if (options.versions == VersionRule::Ask &&
      ui.MessageBox(RaiseVersionQuestion(names), kSystemInfo, MsgIcon::Question, MsgButtons::YesNo) != MsgAnswer::Yes)
    return {};
  RaiseVersions(tree, port, stale);
  b = BuildPort(tree, port);
  return names;
}

// The tables of one port in `only`, in the order of a Refresh.
void ReadPortTables(TableTreeCtrl& tree, TableExchange& exchange, FlowLog& log, int port, const TableSet& only) {
  for (int t : kReadOrder)
    if (only[t]) ReadStep(tree, exchange, log, port, t);
}

}  // namespace

std::vector<int> PortsOf(const TableTreeCtrl& tree) {
  std::vector<int> ports;
  for (int port : {1, 2})
    if (tree.PortNode(port) != kNoItem) ports.push_back(port);
  return ports;
}

std::string SilentDeviceText(uint32_t address) { return "The device at " + Ipv4Text(address) + " does not answer."; }

std::string Refresh(TableTreeCtrl& tree, TableExchange& exchange, Ui& ui, FlowProgress* progress) {
  FlowLog log(exchange, progress);
  if (!Refresh(tree, log)) {
    ui.MessageBox(SilentDeviceText(exchange.DeviceAddress()), kSubmitFailedCaption, MsgIcon::Error, MsgButtons::Ok);
    return "Refresh: " + SilentDeviceText(exchange.DeviceAddress());
  }
  return RefreshReport(log);
}

bool Refresh(TableTreeCtrl& tree, TableExchange& link) {
  FlowLog log(link);
  return Refresh(tree, log);
}

bool Refresh(TableTreeCtrl& tree, FlowLog& log) {
  SilenceWatch exchange(log);
  tree.programCount = {0, 0};
  ForgetTree(tree);
  tree.BuildRoots();
  const std::vector<int> ports = PortsOf(tree);
  log.AddSteps(static_cast<int>(ports.size()) * kTableCount);
  // Table by table, each for every port in turn; the TDT and TOT last, port by port.
  // After a Cancel every table not read yet is marked as such.
  for (int i = 0; i < kTimeTables; ++i)
    for (int port : ports) ReadStep(tree, exchange, log, port, kReadOrder[i]);
  for (int port : ports)
    for (int i = kTimeTables; i < kTableCount; ++i) ReadStep(tree, exchange, log, port, kReadOrder[i]);
  for (int port : ports) tree.MarkSubmitted(port);
  return !exchange.Silent();
}

bool RefreshPort(TableTreeCtrl& tree, TableExchange& exchange, int port, const TableSet* only) {
  if (tree.PortNode(port) == kNoItem) return false;
  const auto wanted = [&](int t) { return only == nullptr || (*only)[t]; };
  for (int t = 0; t < kTableCount; ++t)
    if (wanted(t)) tree.DeleteChildren(tree.Root(port, static_cast<Table>(t)));
  if (wanted(static_cast<int>(Table::Pat))) tree.programCount[port - 1] = 0;
  FlowLog log(exchange);
  log.AddSteps(kTableCount);
  for (int t : kReadOrder)
    if (wanted(t)) ReadStep(tree, exchange, log, port, t);
  return true;
}

std::vector<std::string> TablesNotRead(const TableTreeCtrl& tree) {
  std::vector<std::string> names;
  for (int port : PortsOf(tree))
    for (int t = 0; t < kTableCount; ++t)
      if (!tree.WasRead(port, static_cast<Table>(t)))
        names.push_back(tree.PortName(port) + ' ' + TableTreeCtrl::TableName(static_cast<Table>(t)) + " (" +
                        tree.NotReadReason(port, static_cast<Table>(t)) + ")");
  return names;
}

std::string TableNames(const TableSet& tables) {
  std::vector<std::string> names;
  for (int t = 0; t < kTableCount; ++t)
    if (tables[t]) names.push_back(TableTreeCtrl::TableName(static_cast<Table>(t)));
  return JoinNames(names);
}

int SubmitPortOf(const TableTreeCtrl& tree) {
  const ItemHandle top = tree.TopLevelItem(tree.GetSelectedItem());
  if (top == kNoItem) return 0;
  for (int port : {1, 2})
    if (top == tree.PortNode(port)) return port;
  return 0;
}

bool Submit(TableTreeCtrl& tree, TableExchange& exchange, Ui& ui) {
  const int port = SubmitPortOf(tree);
  return port != 0 && SubmitPort(tree, exchange, ui, port);
}

namespace {

// "Save to Device error,please repeat!" and which tables went out and which did not; a device
// that stopped answering is named as such.
std::string WriteFailureText(const FlowLog& log, std::vector<std::string> failed) {
  std::string text = kSubmitFailedText;
  if (log.DeviceSilent()) text += "\n" + SilentDeviceText(log.DeviceAddress());
  const std::vector<std::string> written = log.TablesWritten(), answered = log.TablesFailed();
  failed.insert(failed.begin(), answered.begin(), answered.end());
  if (!written.empty()) text += "\nWritten: " + JoinNames(written) + ".";
  if (!failed.empty()) text += "\nNot written: " + JoinNames(failed) + ".";
  return text;
}

// Writes every table of the port that was read, built first into `b`: true when every write
// went through. A table that was not read is left on the device as it is. Port 1 stops at the
// first write that fails; port 2 goes on past a failed PAT, PMT, SDT or CAT write and stops at
// a failed NIT, BAT or TDT/TOT write. A device that stops answering stops either at once.
bool WritePort(TableTreeCtrl& tree, FlowLog& log, Ui& ui, int port, PortBuild& b, const WriteOptions& options,
               std::string* raised = nullptr) {
  b = BuildPort(tree, port);
  if (b.refusal.empty()) {
    const std::string names = ApplyVersionRule(tree, ui, port, b, options);
    if (raised) *raised = names;
  }
  if (!b.refusal.empty()) {
    ui.MessageBox(b.refusal, kSubmitFailedCaption, MsgIcon::Error, MsgButtons::Ok);
    return false;
  }
  const bool firstPort = port == 1;
  const std::string name = tree.PortName(port) + ' ';
  log.AddSteps(kTableCount - 1);
  bool all = true, going = true;
  std::vector<std::string> notTried;
  auto known = [&](std::initializer_list<Table> tables) {
    for (Table t : tables)
      if (!tree.WasRead(port, t)) {
        log.SkipTable("not read");
        return false;
      }
    return true;
  };
  // One table's write; false when the port's writes stop here.
  auto write = [&](const char* table, std::initializer_list<Table> tables, const Area& area, size_t length,
                   uint16_t pid, bool stops, bool bat = false) {
    if (!going) {
      notTried.push_back(name + table);
      return;
    }
    log.BeginTable(name + table);
    if (!known(tables)) return;
    const bool ok = log.WriteTable(area.data(), length, pid, 0, port, bat);
    for (Table t : tables) b.sent[static_cast<int>(t)] = ok;
    all = all && ok;
    going = ok || (!stops && !log.DeviceSilent());
  };
  if (b.programs > 0) {
    write("PAT", {Table::Pat}, b.pat, kPacketSize, kPatPid, firstPort);
    if (!going) notTried.push_back(name + "PMT");
    if (going) {
      log.BeginTable(name + "PMT");
      if (known({Table::Pat, Table::Pmt})) {
        const bool ok = WritePmts(log, b, port);
        b.sent[static_cast<int>(Table::Pmt)] = ok;
        all = all && ok;
        going = ok || (!firstPort && !log.DeviceSilent());
      }
    }
  }
  write("SDT", {Table::Sdt}, b.sdt, kTableArea, kSdtBatPid, firstPort);
  write("CAT", {Table::Cat}, b.cat, kSmallArea, kCatPid, firstPort);
  write("NIT", {Table::Nit}, b.nit, kTableArea, kNitPid, true);
  write("BAT", {Table::Bat}, b.bat, kBatArea, kSdtBatPid, true, true);
  if (going && tree.WasRead(port, Table::Tdt) && tree.WasRead(port, Table::Tot))
    BuildTimeTables(tree, port, b.time, CurrentUtcDate());
  // The BAT flag stays set after the BAT.
  write("TDT/TOT", {Table::Tdt, Table::Tot}, b.time, kSmallArea, kTdtTotPid, true, true);
  const bool ok = all && !log.Cancelled();
  if (!ok && !log.Cancelled()) ui.MessageBox(WriteFailureText(log, notTried), kSubmitFailedCaption, MsgIcon::Error, MsgButtons::Ok);
  return ok;
}

// Answers of reads, taken from the link once and then handed out again in the same order.
class RecordedReads final : public TableExchange {
 public:
  explicit RecordedReads(TableExchange& link) : link_(&link) {}
  void Replay() {
    link_ = nullptr;
    next_ = 0;
  }
  bool ReadTable(uint8_t* buffer, size_t size, uint16_t pid, uint8_t selector, int port, bool bat) override {
    if (link_) {
      const bool ok = link_->ReadTable(buffer, size, pid, selector, port, bat);
      // The zero bytes behind the sections are given back by the replay.
      answers_.push_back({ok, std::vector<uint8_t>(buffer, buffer + ZeroTail(buffer, size)), ok ? "" : link_->ReadProblem()});
      return ok;
    }
    if (next_ >= answers_.size()) return false;
    const Answer& a = answers_[next_++];
    problem_ = a.problem;
    const size_t n = std::min(size, a.bytes.size());
    std::copy_n(a.bytes.begin(), n, buffer);
    std::fill(buffer + n, buffer + size, uint8_t{0});
    return a.ok;
  }
  bool WriteTable(const uint8_t*, size_t, uint16_t, uint8_t, int, bool) override { return false; }
  bool HeardNothing() const override { return link_ && link_->HeardNothing(); }
  const char* ReadProblem() const override { return link_ ? link_->ReadProblem() : problem_.c_str(); }
  bool DeviceSilent() const override { return link_ && link_->DeviceSilent(); }

 private:
  struct Answer {
    bool ok;
    std::vector<uint8_t> bytes;
    std::string problem;
  };
  std::string problem_;
  TableExchange* link_;
  std::vector<Answer> answers_;
  size_t next_ = 0;
};

// The runs of packets at the start of two areas are the same (what lies behind them is not sent).
bool SamePackets(const uint8_t* a, const uint8_t* b, size_t size) {
  const size_t n = CountPackets(a, size);
  return n == CountPackets(b, size) && std::equal(a, a + n, b);
}
bool SamePackets(const Area& a, const Area& b) { return a.size() == b.size() && SamePackets(a.data(), b.data(), a.size()); }
bool SamePmts(const Area& a, const Area& b) {
  if (a.size() != b.size()) return false;
  for (size_t slot = 0; slot + kPmtSlotSize <= a.size(); slot += kPmtSlotSize)
    if (!SamePackets(a.data() + slot, b.data() + slot, kPmtSlotSize)) return false;
  return true;
}

// Reads the port back into a tree of its own and builds it as Submit built the port: the names
// of the tables whose packets differ from those sent. When none differs, the port's branch is
// replaced by what was read, its open items and selection kept.
std::vector<std::string> VerifyPort(TableTreeCtrl& tree, FlowLog& log, int port, const PortBuild& sent) {
  TableTreeCtrl back;
  back.LayOutPortsLike(tree);
  back.BuildRoots();
  // Only the tables written are read back (the PAT with the PMTs, which it numbers).
  TableSet written = sent.sent;
  written[static_cast<int>(Table::Pat)] = written[static_cast<int>(Table::Pat)] || written[static_cast<int>(Table::Pmt)];
  written[static_cast<int>(Table::Tot)] = written[static_cast<int>(Table::Tdt)];
  RecordedReads reads(log);
  log.AddSteps(static_cast<int>(std::count(written.begin(), written.end(), true)));
  ReadPortTables(back, reads, log, port, written);
  if (log.Cancelled()) return {"every table (the read-back was cancelled)"};
  back.utcTime = tree.utcTime;
  PortBuild got = BuildPort(back, port);
  BuildTimeTables(back, port, got.time, tree.utcTime[port - 1]);
  struct Compared {
    const char* name;
    Table table;
    bool equal;
  };
  const Compared compared[] = {
      {"PAT", Table::Pat, SamePackets(got.pat, sent.pat)},
      {"PMT", Table::Pmt, SamePmts(got.pmts, sent.pmts)},
      {"SDT", Table::Sdt, SamePackets(got.sdt, sent.sdt)},
      {"CAT", Table::Cat, SamePackets(got.cat, sent.cat)},
      {"NIT", Table::Nit, SamePackets(got.nit, sent.nit)},
      {"BAT", Table::Bat, SamePackets(got.bat, sent.bat)},
      {"TDT/TOT", Table::Tdt, std::equal(got.time.begin(), got.time.begin() + kSmallArea, sent.time.begin())}};
  // Only what was written is compared; a table that was not read back cannot prove itself.
  std::vector<std::string> differing;
  for (const Compared& c : compared) {
    if (!sent.sent[static_cast<int>(c.table)]) continue;
    if (!back.WasRead(port, c.table) || (c.table == Table::Tdt && !back.WasRead(port, Table::Tot)))
      differing.push_back(std::string(c.name) + " (not read back)");
    else if (!c.equal)
      differing.push_back(c.name);
  }
  if (!differing.empty()) return differing;

  const TreePlace place = TreePlace::Take(tree);
  for (int t = 0; t < kTableCount; ++t)
    if (written[t]) tree.DeleteChildren(tree.Root(port, static_cast<Table>(t)));
  if (written[static_cast<int>(Table::Pat)]) tree.programCount[port - 1] = 0;
  reads.Replay();
  FlowLog replay(reads);
  ReadPortTables(tree, reads, replay, port, written);
  place.Restore(tree);
  tree.MarkSubmitted(port);
  return {};
}

}  // namespace

bool SubmitPort(TableTreeCtrl& tree, TableExchange& exchange, Ui& ui, int port, const WriteOptions& options) {
  FlowLog log(exchange);
  PortBuild b;
  const bool ok = WritePort(tree, log, ui, port, b, options);
  if (ok) tree.MarkSubmitted(port);
  return ok;
}

bool WritePortTables(TableTreeCtrl& tree, TableExchange& exchange, Ui& ui, int port) {
  FlowLog log(exchange);
  PortBuild b;
  return WritePort(tree, log, ui, port, b, {VersionRule::Keep});
}

PortSubmit SubmitPortAndVerify(TableTreeCtrl& tree, TableExchange& exchange, Ui& ui, int port,
                               FlowProgress* progress, const WriteOptions& options) {
  const std::string name = tree.PortName(port);
  FlowLog log(exchange, progress);
  PortBuild sent;
  PortSubmit result;
  const bool written = WritePort(tree, log, ui, port, sent, options, &result.raised);
  if (written) tree.MarkSubmitted(port);
  const std::string counts = std::to_string(log.WritesAnswered()) + " tables, " +
                             std::to_string(log.PacketsWritten()) + " packets";
  const std::vector<std::string> skipped = log.TablesSkipped();
  const std::string kept = (skipped.empty() ? "" : "; " + JoinNames(skipped) + ": left on the device as it is") +
                           (result.raised.empty() ? "" : "; version_number raised: " + result.raised);
  result.skipped = !skipped.empty();
  if (log.Cancelled()) {
    result.text = "Submit of " + name + " cancelled: " + counts + " written" + kept + " (" + log.Elapsed() + ")";
    return result;
  }
  if (!written) {
    const std::vector<std::string> failed = log.TablesFailed();
    result.text = "Submit of " + name + " failed" + (failed.empty() ? "" : ": " + JoinNames(failed) + " not answered") +
                  kept + " (" + log.Elapsed() + ")";
    return result;
  }
  const std::vector<std::string> differing = VerifyPort(tree, log, port, sent);
  result.verified = differing.empty();
  if (result.verified) {
    result.text = "Submitted " + name + ": " + counts + ", verified" + kept + " (" + log.Elapsed() + ")";
    return result;
  }
  const std::string what = name + ": the device holds other " + JoinNames(differing) + " than was sent";
  ui.MessageBox(what + "; the tree keeps what was sent.", kSubmitFailedCaption, MsgIcon::Warning, MsgButtons::Ok);
  result.text = "Submitted " + name + ": " + counts + "; " + what + kept + " (" + log.Elapsed() + ")";
  return result;
}

std::string SubmitAndVerify(TableTreeCtrl& tree, TableExchange& exchange, Ui& ui, FlowProgress* progress,
                            const WriteOptions& options) {
  const int port = SubmitPortOf(tree);
  return port == 0 ? std::string() : SubmitPortAndVerify(tree, exchange, ui, port, progress, options).text;
}

std::string ApplyChannel(TableTreeCtrl& tree, TableExchange& exchange, Ui& ui, int channelNumber,
                         FlowProgress* progress) {
  tree.LayOutPorts(3, channelNumber);
  return Refresh(tree, exchange, ui, progress);
}

}  // namespace quorvelin
