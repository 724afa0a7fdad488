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

#include "EndToEndSupport.h"

namespace quorvelin {
namespace {

using namespace testing;

// The text of every section of the tree (a PMT with its program), by port and table, without
// the lines that show a time or a CRC_32 that checks (the TOT's covers its time).
std::map<int, std::vector<std::string>> SectionsOf(const TableTreeCtrl& tree) {
  static const std::regex kVarying(R"([^\n]*(UTC_time:|utc_time:)[^\n]*\n|[^\n]*crc_32: 0x[0-9a-f]+\n)");
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

TEST(FaultRun, RefreshAndSubmitCycles) {
  TempDir dir;
  SampleTree sample;
  const auto expected = SectionsOf(sample.tree);
  std::set<std::string> sent;
  int tables = 0;
  for (const auto& [table, sections] : expected)
    for (const std::string& s : sections) sent.insert(Body(s)), ++tables;
  const int cycles =
      std::getenv("QUORVELIN_FAULT_CYCLES") ? std::max(1, std::atoi(std::getenv("QUORVELIN_FAULT_CYCLES"))) : 20;
  std::unique_ptr<devsim::Simulator> sims[2];
  std::unique_ptr<Editor> readers[2];
  for (int f : {0, 1}) {
    devsim::SimulatorOptions o;
    o.fragmented = f == 1;
    o.packetsPerDatagram = 2;
    o.faults = {.loss = 0.1, .duplicate = 0.05, .truncate = 0.05, .oversize = 0.05, .spoof = 0.05, .delayMs = 3};
    sims[f] = StartDevice(o);
    ASSERT_TRUE(sims[f]);
    readers[f] =
        std::make_unique<Editor>(sims[f]->Address().address, f == 1 ? kFragmentedProtocol : 0, QuickLink(40ms));
  }
  LinkSettings settings = QuickLink(40ms);
  settings.deviceAddress = sims[0]->Address().address;  // the writer's socket opens for a device address
  Editor writer(0);
  DeviceLink link(writer.ui, settings);
  int shortReads = 0, failedSubmits = 0, misplaced = 0, lost = 0, shown = 0;
  for (int cycle = 0; cycle < cycles; ++cycle) {
    const int f = cycle % 2, before = shown;
    Refresh(readers[f]->tree, *readers[f]->link);
    for (const auto& [table, sections] : SectionsOf(readers[f]->tree))
      for (const std::string& s : sections) {
        const bool marked = s.find("(CRC error)") != s.npos, known = sent.count(Body(s)), wrong = !known && !marked;
        misplaced += known && std::count(expected.at(table).begin(), expected.at(table).end(), s) == 0;
        lost += wrong;
        EXPECT_FALSE(wrong) << "cycle " << cycle << ", table " << table << ":\n" << s;
        ++shown;
      }
    shortReads += shown - before < tables;
    link.Settings().deviceAddress = sims[f]->Address().address;
    link.Settings().protocolMode = readers[f]->tree.protocolMode;
    failedSubmits += SubmitPort(sample.tree, link, writer.ui, 1 + cycle / 2 % 2) ? 0 : 1;
    const int spoiled = Spoiled(sims[f]->Store());
    EXPECT_EQ(spoiled, 0) << "cycle " << cycle;
    lost += spoiled;
  }
  EXPECT_GT(shown, tables * cycles / 3);  // the link still gets most tables through
  std::printf(
      "fault run: %d cycles, %d failures (%d short refreshes, %d misplaced sections, %d stopped submits), "
      "%d lost\n",
      cycles, shortReads + misplaced + failedSubmits, shortReads, misplaced, failedSubmits, lost);
}

}  // namespace
}  // namespace quorvelin
