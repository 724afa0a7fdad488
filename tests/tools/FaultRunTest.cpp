// Refresh and Submit against a device that loses, delays, repeats, cuts, oversizes and forges
// its datagrams, the framings in turn: no crash, no hang, and nothing lost: every table the
// device holds is exactly one that was sent, every section the tree shows is one the device sent
// or is marked with a CRC error. Replies need not repeat the request, so a late answer can be
// taken for the next request's: counted as misplaced. QUORVELIN_FAULT_CYCLES sets the number of
// cycles (scripts/soak).
#include <gtest/gtest.h>

#include <cstdlib>
#include <regex>
#include <set>
#include <sstream>

#include "EndToEndSupport.h"
#include "tools/launcher/HeadlessCommands.h"

namespace quorvelin {
namespace {

using namespace testing;

// The text of every section of the tree (a PMT with its program), by port and table, without
// the lines that show a time or a CRC_32 that checks (the TOT's covers its time).
std::map<int, std::vector<std::string>> SectionsOf(const TableTreeCtrl& tree) {
  static const std::regex kVarying(R"([^\n]*UTC_time:[^\n]*\n|[^\n]*CRC_32: 0x[0-9a-f]+\n)");
  std::map<int, std::vector<std::string>> sections;
  for (int port : {1, 2})
    for (int t = 0; t < kTableCount; ++t)
      for (ItemHandle p = tree.GetChildItem(tree.Root(port, Table(t))); p != kNoItem; p = tree.GetNextSiblingItem(p))
        sections[port * 10 + t].push_back(std::regex_replace(DumpTree(tree, p), kVarying, ""));
  return sections;
}

// A section's text without the line that names its item.
std::string Body(const std::string& s) { return s.substr(std::min(s.find('\n'), s.size())); }

// Tables the device holds that are neither absent nor exactly what was sent.
int Spoiled(const devsim::DeviceStore& store) {
  int spoiled = 0;
  for (int index : {0, 1}) {
    const auto t = WithoutTimes(store.Port(index)),
               e = WithoutTimes(index ? devsim::SamplePortB() : devsim::SamplePortA());
    for (const auto& [got, want] :
         {std::pair{t.pat, e.pat}, {t.sdt, e.sdt}, {t.cat, e.cat}, {t.nit, e.nit}, {t.bat, e.bat}, {t.time, e.time}})
      spoiled += !got.empty() && got != want;
    for (const devsim::PmtEntry& pmt : t.pmts) spoiled += std::count(e.pmts.begin(), e.pmts.end(), pmt) == 0;
    spoiled += static_cast<int>(t.other.size());
  }
  return spoiled;
}

std::string Differing(const devsim::PortTables& a, const devsim::PortTables& b) {
  std::string out;
  for (const auto& [name, x, y] : {std::tuple{"PAT", &a.pat, &b.pat}, {"SDT", &a.sdt, &b.sdt}, {"CAT", &a.cat, &b.cat},
                                   {"NIT", &a.nit, &b.nit}, {"BAT", &a.bat, &b.bat}, {"TDT/TOT", &a.time, &b.time}})
    if (*x != *y) out += std::string(name) + " ";
  if (a.pmts != b.pmts) out += "PMT ";
  if (a.other != b.other) out += "other ";
  return out;
}

TEST(FaultRun, RefreshAndSubmitCycles) {
  TempDir dir;
  SampleTree sample;
  const auto expected = SectionsOf(sample.tree);
  std::set<std::string> sent;
  int tables = 0;
  for (const auto& [table, sections] : expected)
    for (const std::string& s : sections) sent.insert(Body(s)), ++tables;
  const int cycles =
      std::getenv("QUORVELIN_FAULT_CYCLES") ? std::max(1, std::atoi(std::getenv("QUORVELIN_FAULT_CYCLES"))) : 12;
  // Plain and fragmented devices with every fault, and one that answers later than the wait.
  std::unique_ptr<devsim::Simulator> sims[3];
  std::unique_ptr<Editor> readers[3];
  for (int f : {0, 1, 2}) {
    devsim::SimulatorOptions o;
    o.fragmented = f == 1;
    o.packetsPerDatagram = 2;
    o.faults = {.loss = 0.1, .duplicate = 0.05, .truncate = 0.05, .oversize = 0.05, .spoof = 0.05, .delayMs = 3};
    if (f == 2) o.faults = {.loss = 0.05, .duplicate = 0.05, .delayMs = 35};
    o.seed = static_cast<uint32_t>(2007 + f + 3 * (std::getenv("QUORVELIN_FAULT_SEED") ? std::atoi(std::getenv("QUORVELIN_FAULT_SEED")) : 0));
    sims[f] = StartDevice(o);
    ASSERT_TRUE(sims[f]);
    readers[f] =
        std::make_unique<Editor>(sims[f]->Address().address, f == 1 ? kFragmentedProtocol : 0, QuickLink(25ms));
  }
  LinkSettings settings = QuickLink(25ms);
  settings.deviceAddress = sims[0]->Address().address;  // the writer's socket opens for a device address
  Editor writer(0);
  DeviceLink link(writer.ui, settings);
  std::unique_ptr<devsim::Simulator> spares[2];  // in each framing
  for (int f : {0, 1}) {
    devsim::SimulatorOptions o;
    o.fragmented = f == 1;
    o.faults = {.loss = 0.1, .duplicate = 0.05};
    spares[f] = StartDevice(o, false);
    ASSERT_TRUE(spares[f]);
  }
  int shortReads = 0, failedSubmits = 0, misplaced = 0, lost = 0, shown = 0, copied = 0, refusedCopies = 0;
  for (int cycle = 0; cycle < cycles; ++cycle) {
    const int f = cycle % 3, before = shown;
    Refresh(readers[f]->tree, *readers[f]->link);
    for (const auto& [table, sections] : SectionsOf(readers[f]->tree))
      for (const std::string& s : sections) {
        const bool marked = s.find("(CRC error)") != s.npos, known = sent.count(Body(s)), wrong = !known && !marked;
        const bool elsewhere = known && std::count(expected.at(table).begin(), expected.at(table).end(), s) == 0;
        if (elsewhere) std::printf("misplaced: cycle %d, device %d, table %d:\n%s\n", cycle, f, table, s.substr(0, 300).c_str());
        misplaced += elsewhere;
        lost += wrong;
        EXPECT_FALSE(wrong) << "cycle " << cycle << ", table " << table << ":\n" << s;
        ++shown;
      }
    shortReads += shown - before < tables;
    link.Settings().deviceAddress = sims[f]->Address().address;
    link.Settings().protocolMode = readers[f]->link->Settings().protocolMode;
    sample.tree.SelectItem(sample.tree.PortNode(1 + cycle / 3 % 2));
    const PortSubmit submit = SubmitPortAndVerify(sample.tree, link, writer.ui, 1 + cycle / 3 % 2);
    failedSubmits += submit.verified ? 0 : 1;
    const int spoiled = Spoiled(sims[f]->Store());
    EXPECT_EQ(spoiled, 0) << "cycle " << cycle;
    lost += spoiled;

    // A copy of the faulty device to the spare: exact, or refused with the spare as it was.
    const auto& spare = spares[f == 1];
    const devsim::PortTables spareBefore[2] = {WithoutTimes(spare->Store().Port(0)), WithoutTimes(spare->Store().Port(1))};
    std::ostringstream out, err;
    std::vector<std::string> copy = {"copy", "--from", Ipv4Text(sims[f]->Address().address), "--to",
                                      Ipv4Text(spare->Address().address), "--read-timeout-ms", "25",
                                      "--write-timeout-ms", "25", "--nit-timeout-ms", "25"};
    if (f == 1) copy.push_back("--fragmented");
    const int status = RunLauncher(copy, out, err);
    for (int index : {0, 1}) {
      const devsim::PortTables now = WithoutTimes(spare->Store().Port(index));
      const bool right = status == 0 ? now == WithoutTimes(sims[f]->Store().Port(index)) : now == spareBefore[index];
      EXPECT_TRUE(right) << "cycle " << cycle << " copy " << status << ", port " << index << "\n"
                         << out.str() << err.str() << Differing(now, status == 0 ? WithoutTimes(sims[f]->Store().Port(index)) : spareBefore[index]);
      lost += !right;
    }
    (status == 0 ? copied : refusedCopies) += 1;
  }
  EXPECT_GT(shown, tables * cycles / 3);  // the link still gets most tables through
  std::printf(
      "fault run: %d cycles, %d failures (%d short refreshes, %d misplaced sections, %d submits not verified), "
      "%d copies exact, %d refused, %d lost\n",
      cycles, shortReads + misplaced + failedSubmits, shortReads, misplaced, failedSubmits, copied, refusedCopies,
      lost);
}

}  // namespace
}  // namespace quorvelin
