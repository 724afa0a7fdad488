#include "sections/CaptureTables.h"

#include "sections/CaptureExchange.h"
#include "sections/TableIds.h"

#include <algorithm>
#include <cstdio>
#include <memory>

#include "sections/Packets.h"
#include "sections/TsduckXml.h"
#include "util/Number.h"

namespace quorvelin {
namespace {

constexpr size_t kChunk = 1 << 20;

uint16_t U16(const std::vector<uint8_t>& b, size_t at) { return static_cast<uint16_t>(b[at] << 8 | b[at + 1]); }

std::string Sections(size_t n) { return n == 1 ? "1 section" : Format("%d sections", static_cast<int>(n)); }

// (program_number, PID) of the entries of one PAT section.
std::vector<std::pair<uint16_t, uint16_t>> PatSectionEntries(const std::vector<uint8_t>& s) {
  std::vector<std::pair<uint16_t, uint16_t>> out;
  for (size_t at = 8; at + 4 <= s.size() - 4; at += 4)
    out.emplace_back(U16(s, at), static_cast<uint16_t>(U16(s, at + 2) & 0x1FFF));
  return out;
}

bool Wanted(uint8_t tableId, uint16_t pid) {
  switch (tableId) {
    case kPatTableId:
      return pid == kPatPid;
    case kCatTableId:
      return pid == kCatPid;
    case kPmtTableId:
    case kNitTableId:
      return true;
    case kSdtTableId:
    case kBatTableId:
      return pid == kSdtBatPid;
    default:
      return false;
  }
}

}  // namespace

void CaptureSelection::Take(const CapturedSection& s) {
  const uint8_t tableId = s.bytes[0];
  if (s.pid == kTdtTotPid && (tableId == kTdtTableId || tableId == kTotTableId)) {
    (tableId == kTdtTableId ? tdt_ : tot_) = s.bytes;
    return;
  }
  if (!Wanted(tableId, s.pid) || (s.bytes[1] & 0x80) == 0) {
    ++leftOut_[TableIdName(tableId) + Format(" on PID 0x%04X left out", s.pid)];
    return;
  }
  TakeLong(s);
}

void CaptureSelection::TakeLong(const CapturedSection& s) {
  const std::vector<uint8_t>& b = s.bytes;
  const uint8_t tableId = b[0], version = (b[5] >> 1) & 0x1F, number = b[6], last = b[7];
  if ((b[5] & 1) == 0) {
    ++leftOut_[Format("%s version %d not yet applicable (current_next_indicator 0): left out",
                      TableIdName(tableId).c_str(), version)];
    return;
  }
  const uint16_t id = tableId == kPatTableId || tableId == kCatTableId ? 0 : U16(b, 3);
  Versions& v = tables_[{tableId, s.pid, id}];
  if (v.order == 0) v.order = ++seen_;
  auto& sections = v.sections[version];
  if (sections.count(number) > 0) return;  // a repeat
  const auto lastOf = v.last.find(version);
  if (number > last || (lastOf != v.last.end() && lastOf->second != last)) {
    ++leftOut_[Format("%s on PID 0x%04X: section_number 0x%x against last_section_number 0x%x, left out",
                      TableIdName(tableId).c_str(), s.pid, number, last)];
    return;
  }
  sections[number] = b;
  v.last[version] = last;
  if (tableId == kPatTableId)
    for (auto [program, pid] : PatSectionEntries(b))
      if (named_.insert(pid).second) newPids_.insert(pid);
  if (sections.size() == last + 1u && v.complete != version) {
    v.complete = version;
    std::erase_if(v.sections, [&](const auto& other) { return other.first != version; });  // older versions go
  }
}

std::vector<uint16_t> CaptureSelection::NewPids() {
  std::vector<uint16_t> out(newPids_.begin(), newPids_.end());
  newPids_.clear();
  return out;
}

const CaptureSelection::Versions* CaptureSelection::Find(uint8_t tableId, uint16_t pid,
                                                         std::optional<uint16_t> id) const {
  const Versions* first = nullptr;
  for (const auto& [key, v] : tables_) {
    const auto [t, p, i] = key;
    if (t != tableId || p != pid || (id && *id != i)) continue;
    const bool better = !first || (v.complete && !first->complete) ||
                        (v.complete.has_value() == first->complete.has_value() && v.order < first->order);
    if (better) first = &v;
  }
  return first;
}

std::vector<const std::vector<uint8_t>*> CaptureSelection::Chosen(const Versions* v) const {
  std::vector<const std::vector<uint8_t>*> out;
  if (v == nullptr || !v->complete) return out;
  for (const auto& [number, bytes] : v->sections.at(*v->complete)) out.push_back(&bytes);
  return out;
}

std::vector<std::pair<uint16_t, uint16_t>> CaptureSelection::Programs() const {
  std::vector<std::pair<uint16_t, uint16_t>> out;
  for (const auto* s : Chosen(Find(kPatTableId, kPatPid, std::nullopt)))
    for (const auto& entry : PatSectionEntries(*s)) out.push_back(entry);
  return out;
}

uint16_t CaptureSelection::NetworkPid() const {
  for (auto [program, pid] : Programs())
    if (program == 0) return pid;
  return kNitPid;
}

std::vector<uint16_t> CaptureSelection::Bouquets() const {
  if (options_.bouquet) return {*options_.bouquet};
  std::vector<std::pair<uint64_t, uint16_t>> seen;
  for (const auto& [key, v] : tables_)
    if (std::get<0>(key) == kBatTableId && std::get<1>(key) == kSdtBatPid) seen.emplace_back(v.order, std::get<2>(key));
  std::sort(seen.begin(), seen.end());
  std::vector<uint16_t> out;
  for (auto [order, id] : seen) out.push_back(id);
  return out;
}

bool CaptureSelection::Complete() const {
  auto complete = [&](uint8_t tableId, uint16_t pid, std::optional<uint16_t> id) {
    const Versions* v = Find(tableId, pid, id);
    return v != nullptr && v->complete.has_value();
  };
  if (!complete(kPatTableId, kPatPid, std::nullopt) || !complete(kCatTableId, kCatPid, std::nullopt) ||
      !complete(kSdtTableId, kSdtBatPid, std::nullopt) || !complete(kNitTableId, NetworkPid(), std::nullopt) ||
      Bouquets().empty() || tdt_.empty() || tot_.empty())
    return false;
  for (uint16_t bouquet : Bouquets())
    if (!complete(kBatTableId, kSdtBatPid, bouquet)) return false;
  for (auto [program, pid] : Programs())
    if (program != 0 && !complete(kPmtTableId, pid, program)) return false;
  return true;
}

Packets CaptureSelection::Joined(const Versions* v, uint16_t pid) const {
  Packets out;
  for (const auto* s : Chosen(v)) {
    const Packets p = PacketsOf(*s, pid);
    out.insert(out.end(), p.begin(), p.end());
  }
  return out;
}

PortTables CaptureSelection::Tables() const {
  PortTables t;
  t.pat = Joined(Find(kPatTableId, kPatPid, std::nullopt), kPatPid);
  t.cat = Joined(Find(kCatTableId, kCatPid, std::nullopt), kCatPid);
  t.sdt = Joined(Find(kSdtTableId, kSdtBatPid, std::nullopt), kSdtBatPid);
  t.nit = Joined(Find(kNitTableId, NetworkPid(), std::nullopt), NetworkPid());
  for (uint16_t bouquet : Bouquets()) {
    const Packets p = Joined(Find(kBatTableId, kSdtBatPid, bouquet), kSdtBatPid);
    t.bat.insert(t.bat.end(), p.begin(), p.end());
  }
  if (options_.everyPmt) {
    std::vector<std::pair<uint64_t, PmtEntry>> found;
    for (const auto& [key, v] : tables_)
      if (std::get<0>(key) == kPmtTableId && v.complete)
        found.push_back({v.order, PmtEntry{std::get<1>(key), std::get<2>(key), Joined(&v, std::get<1>(key))}});
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (auto& [order, entry] : found) t.pmts.push_back(std::move(entry));
  } else {
    for (auto [program, pid] : Programs())
      if (program != 0)
        if (const Versions* v = Find(kPmtTableId, pid, program); v && v->complete)
          t.pmts.push_back(PmtEntry{pid, program, Joined(v, pid)});
  }
  if (!tdt_.empty()) t.time = PacketsOf(tdt_, kTdtTotPid);
  if (!tot_.empty()) {
    Packets p = PacketsOf(tot_, kTdtTotPid);
    if (!t.time.empty()) p[3] = static_cast<uint8_t>(0x10 | ((t.time[3] + 1) & 0x0F));  // continues the TDT's count
    t.time.insert(t.time.end(), p.begin(), p.end());
  }
  return t;
}

std::string CaptureSelection::Missing(const Versions& v) const {
  // The version with the most sections in.
  auto most = std::max_element(v.sections.begin(), v.sections.end(),
                               [](const auto& a, const auto& b) { return a.second.size() < b.second.size(); });
  if (most == v.sections.end()) return "no section";
  const int total = v.last.at(most->first) + 1;
  std::vector<int> gone;
  for (int n = 0; n < total; ++n)
    if (most->second.count(static_cast<uint8_t>(n)) == 0) gone.push_back(n);
  std::string list;
  for (int n : gone) list += (list.empty() ? "" : ", ") + std::to_string(n);
  return Format("%s %s of %d missing", gone.size() == 1 ? "section" : "sections", list.c_str(), total);
}

int CaptureSelection::TablesTaken() const {
  const PortTables t = Tables();
  int n = static_cast<int>(t.pmts.size());
  for (const Packets* p : {&t.pat, &t.cat, &t.sdt, &t.nit, &t.bat}) n += p->empty() ? 0 : 1;
  return n + (tdt_.empty() ? 0 : 1) + (tot_.empty() ? 0 : 1);
}

std::vector<std::string> CaptureSelection::Report() const {
  std::vector<std::string> took, left;
  auto table = [&](const std::string& name, const Versions* v, const std::string& detail) {
    if (v == nullptr) return;
    if (!v->complete) {
      left.push_back(name + " incomplete: " + Missing(*v));
      return;
    }
    took.push_back(Format("took %s: version %d, ", name.c_str(), *v->complete) +
                   Sections(v->sections.at(*v->complete).size()) + detail);
  };
  const auto programs = Programs();
  table("PAT", Find(kPatTableId, kPatPid, std::nullopt), Format(", %d programs", static_cast<int>(programs.size())));
  std::set<std::pair<uint16_t, uint16_t>> listed;
  for (auto [program, pid] : programs) {
    if (program == 0) continue;
    listed.insert({pid, program});
    const Versions* v = Find(kPmtTableId, pid, program);
    if (v == nullptr) left.push_back(Format("PMT of program 0x%04X (PID 0x%04X) not in the capture", program, pid));
    table(Format("PMT of program 0x%04X", program), v, Format(", PID 0x%04X", pid));
  }
  for (const auto& [key, v] : tables_) {
    const auto [tableId, pid, id] = key;
    if (tableId == kPmtTableId && !listed.count({pid, id}))
      (options_.everyPmt ? took : left)
          .push_back(options_.everyPmt ? Format("took PMT of program 0x%04X (PID 0x%04X)", id, pid)
                                       : Format("PMT of program 0x%04X on PID 0x%04X left out: not a program of the PAT", id, pid));
  }
  const Versions* sdt = Find(kSdtTableId, kSdtBatPid, std::nullopt);
  table("SDT actual", sdt, "");
  table("CAT", Find(kCatTableId, kCatPid, std::nullopt), "");
  const uint16_t networkPid = NetworkPid();
  table(Format("NIT actual (PID 0x%04X)", networkPid), Find(kNitTableId, networkPid, std::nullopt), "");
  const std::vector<uint16_t> bouquets = Bouquets();
  for (uint16_t bouquet : bouquets) {
    const Versions* bat = Find(kBatTableId, kSdtBatPid, bouquet);
    if (bat == nullptr) left.push_back(Format("BAT of bouquet 0x%04X not in the capture", bouquet));
    table(Format("BAT of bouquet 0x%04X", bouquet), bat, "");
  }
  for (const auto& [key, v] : tables_) {
    const auto [tableId, pid, id] = key;
    if (tableId == kBatTableId && std::find(bouquets.begin(), bouquets.end(), id) == bouquets.end())
      left.push_back(Format("BAT of bouquet 0x%04X left out: not the bouquet asked for", id));
    if (tableId == kSdtTableId && &v != sdt) left.push_back(Format("SDT actual of transport_stream_id 0x%04X left out", id));
    if (tableId == kNitTableId && pid != networkPid) left.push_back(Format("NIT actual on PID 0x%04X left out: the network PID is 0x%04X", pid, networkPid));
  }
  if (!tdt_.empty()) took.push_back("took TDT: the latest");
  if (!tot_.empty()) took.push_back("took TOT: the latest");
  for (const auto& [reason, count] : leftOut_) left.push_back(count == 1 ? reason : reason + Format(" (%d times)", count));
  took.insert(took.end(), left.begin(), left.end());
  return took;
}

namespace {

struct ReadRun {
  CaptureSelection selection;
  CaptureReader reader;
  ReadRun(const CaptureOptions& options)
      : selection(options),
        reader([this](const CapturedSection& s) { Take(s); },
               options.everyPmt ? CaptureReader::Pids::All : CaptureReader::Pids::Psi) {}
  void Take(const CapturedSection& s) {
    selection.Take(s);
    for (uint16_t pid : selection.NewPids()) reader.Watch(pid);
  }
  CaptureLoad Finish(const std::string& name, CaptureLoad load) {
    reader.Finish();
    load.tables = selection.Tables();
    load.report = selection.Report();
    for (const std::string& problem : reader.Problems()) load.report.push_back(problem);
    if (reader.NoPackets())
      load.error = name + " is not a transport stream: no 188-byte packet starts with the sync byte 0x47";
    else if (selection.TablesTaken() == 0)
      load.error = name + " holds no complete PSI/SI table";
    return load;
  }
};

}  // namespace

CaptureLoad LoadCaptureBytes(const uint8_t* data, size_t size, const CaptureOptions& options) {
  ReadRun run(options);
  CaptureLoad load;
  for (size_t at = 0; at < size && !load.stoppedEarly; at += std::min(kChunk, size - at)) {
    run.reader.Feed(data + at, std::min(kChunk, size - at));
    load.bytesRead = at + std::min(kChunk, size - at);
    load.stoppedEarly = options.stopWhenComplete && run.selection.Complete() && load.bytesRead < size;
  }
  return run.Finish("the stream", std::move(load));
}

namespace {

// A document that opens with '<' (after blanks or a byte order mark) is TSDuck XML; a capture
// opens with the sync byte 0x47.
bool IsXmlFile(FILE* file) {
  int c = 0;
  while ((c = std::fgetc(file)) != EOF && (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == 0xEF || c == 0xBB ||
                                          c == 0xBF)) {
  }
  std::fseek(file, 0, SEEK_SET);
  return c == '<';
}

CaptureLoad LoadXmlCapture(FILE* file, const std::string& path) {
  CaptureLoad load;
  std::string text;
  char chunk[65536];
  for (size_t got; (got = std::fread(chunk, 1, sizeof chunk, file)) > 0;) text.append(chunk, got);
  load.bytesRead = text.size();
  XmlTables x = CompileXml(text);
  if (!x.Ok()) {
    load.error = path + ": " + x.error;
    return load;
  }
  load.tables = std::move(x.tables);
  load.report = std::move(x.report);
  return load;
}

}  // namespace

CaptureLoad LoadCapture(const std::string& path, const CaptureOptions& options, const CaptureProgress& progress) {
  CaptureLoad load;
  const std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "rb"), &std::fclose);
  if (!file) {
    load.error = "cannot open " + path;
    return load;
  }
  std::fseek(file.get(), 0, SEEK_END);
  const long end = std::ftell(file.get());
  std::fseek(file.get(), 0, SEEK_SET);
  const uint64_t total = end > 0 ? static_cast<uint64_t>(end) : 0;
  if (IsXmlFile(file.get())) return LoadXmlCapture(file.get(), path);
  ReadRun run(options);
  std::vector<uint8_t> chunk(kChunk);
  for (;;) {
    const size_t got = std::fread(chunk.data(), 1, chunk.size(), file.get());
    if (got == 0) break;
    run.reader.Feed(chunk.data(), got);
    load.bytesRead += got;
    if (progress && !progress(load.bytesRead, total)) {
      load.error = "reading " + path + " cancelled";
      return load;
    }
    if (options.stopWhenComplete && run.selection.Complete()) {
      load.stoppedEarly = load.bytesRead < total;
      break;
    }
  }
  if (std::ferror(file.get())) {
    load.error = "cannot read " + path;
    return load;
  }
  return run.Finish(path, std::move(load));
}

}  // namespace quorvelin

namespace quorvelin {

std::array<bool, kTableCount> HeldTables(const PortTables& tables) {
  std::array<bool, kTableCount> held{};
  const auto set = [&](Table t, bool on) { held[static_cast<int>(t)] = on; };
  set(Table::Pat, !tables.pat.empty());
  set(Table::Pmt, !tables.pmts.empty());
  set(Table::Sdt, !tables.sdt.empty());
  set(Table::Cat, !tables.cat.empty());
  set(Table::Nit, !tables.nit.empty());
  set(Table::Bat, !tables.bat.empty());
  for (const Packets& section : SectionPackets(tables.time)) {
    const size_t at = section.size() > 4 ? 5u + section[4] : section.size();  // behind the pointer_field
    const uint8_t tableId = at < section.size() ? section[at] : 0;
    if (tableId == kTdtTableId) set(Table::Tdt, true);
    if (tableId == kTotTableId) set(Table::Tot, true);
  }
  return held;
}

}  // namespace quorvelin
