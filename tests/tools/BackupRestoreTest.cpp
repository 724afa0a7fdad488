// quorvelin backup and restore against simulated devices: a backup restored to a second device
// leaves the same sections there, libdvbpsi reads the backup files without a complaint, and a
// broadcast capture is restored with what was left out named.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "EndToEndSupport.h"
#include "device/CaptureSupport.h"
#include "tools/launcher/HeadlessCommands.h"

#ifdef QUORVELIN_HAVE_DVBPSI
// clang-format off
extern "C" {  // libdvbpsi's headers need this order
#include <dvbpsi/dvbpsi.h>
#include <dvbpsi/psi.h>
#include <dvbpsi/descriptor.h>
#include <dvbpsi/demux.h>
#include <dvbpsi/pat.h>
#include <dvbpsi/pmt.h>
#include <dvbpsi/sdt.h>
#include <dvbpsi/nit.h>
#include <dvbpsi/bat.h>
#include <dvbpsi/tot.h>
}
// clang-format on
#endif

namespace quorvelin::testing {
namespace {

void WriteBytes(const char* path, const Bytes& bytes) {
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), static_cast<long>(bytes.size()));
}

#ifdef QUORVELIN_HAVE_DVBPSI
// libdvbpsi reading a whole file: the PAT, the PMTs of its programs on their PIDs, and through its
// demux the NIT, SDT, BAT and TOT. Counts the tables decoded and keeps every error it reports
// (bad CRC_32, continuity_counter discontinuities among them).
class FileOracle {
 public:
  explicit FileOracle(const Bytes& stream) {
    dvbpsi_pat_attach(Handle(kPatPid), &OnPat, this);
    for (uint16_t pid : {kNitPid, kSdtBatPid, kTdtTotPid}) dvbpsi_AttachDemux(Handle(pid), &OnSubtable, this);
    for (size_t at = 0; at + kPacketSize <= stream.size(); at += kPacketSize)
      for (size_t i = 0; i < handles_.size(); ++i)  // the PAT adds handles
        if (handles_[i].first == PacketPid(stream.data() + at))
          dvbpsi_packet_push(handles_[i].second, const_cast<uint8_t*>(stream.data() + at));
  }
  ~FileOracle() {
    for (const auto& [pid, h] : handles_) {
      if (pid == kPatPid) dvbpsi_pat_detach(h);
      else if (pid == kNitPid || pid == kSdtBatPid || pid == kTdtTotPid) DetachDemux(h);
      else dvbpsi_pmt_detach(h);
      dvbpsi_delete(h);
    }
  }
  int tables = 0;
  std::vector<std::string> errors;

 private:
  dvbpsi_t* Handle(uint16_t pid) {
    dvbpsi_t* h = dvbpsi_new(&OnMessage, DVBPSI_MSG_ERROR);
    h->p_sys = this;
    handles_.emplace_back(pid, h);
    return h;
  }
  void DetachDemux(dvbpsi_t* h) {
    for (const auto& [table, id] : subtables_[h]) {
      if (table == 0x42) dvbpsi_sdt_detach(h, table, id);
      if (table == 0x40) dvbpsi_nit_detach(h, table, id);
      if (table == 0x4A) dvbpsi_bat_detach(h, table, id);
      if (table == 0x73) dvbpsi_tot_detach(h, table, id);
    }
    dvbpsi_DetachDemux(h);
  }
  // A PMT decoder sees the sections of the other programs on its PID and says so: no fault.
  static void OnMessage(dvbpsi_t* h, const dvbpsi_msg_level_t, const char* message) {
    if (std::string(message).find("program_number") == std::string::npos)
      static_cast<FileOracle*>(h->p_sys)->errors.emplace_back(message);
  }
  static void OnPat(void* data, dvbpsi_pat_t* pat) {
    auto* self = static_cast<FileOracle*>(data);
    ++self->tables;
    for (const dvbpsi_pat_program_t* p = pat->p_first_program; p; p = p->p_next)
      if (p->i_number != 0) dvbpsi_pmt_attach(self->Handle(p->i_pid), p->i_number, &OnPmt, self);
    dvbpsi_pat_delete(pat);
  }
  static void OnPmt(void* data, dvbpsi_pmt_t* pmt) { ++static_cast<FileOracle*>(data)->tables, dvbpsi_pmt_delete(pmt); }
  static void OnSdt(void* data, dvbpsi_sdt_t* sdt) { ++static_cast<FileOracle*>(data)->tables, dvbpsi_sdt_delete(sdt); }
  static void OnNit(void* data, dvbpsi_nit_t* nit) { ++static_cast<FileOracle*>(data)->tables, dvbpsi_nit_delete(nit); }
  static void OnBat(void* data, dvbpsi_bat_t* bat) { ++static_cast<FileOracle*>(data)->tables, dvbpsi_bat_delete(bat); }
  static void OnTot(void* data, dvbpsi_tot_t* tot) { ++static_cast<FileOracle*>(data)->tables, dvbpsi_tot_delete(tot); }
  static void OnSubtable(dvbpsi_t* h, uint8_t table, uint16_t id, void* data) {
    auto* self = static_cast<FileOracle*>(data);
    const bool attached = (table == 0x42 && dvbpsi_sdt_attach(h, table, id, &OnSdt, self)) ||
                          (table == 0x40 && dvbpsi_nit_attach(h, table, id, &OnNit, self)) ||
                          (table == 0x4A && dvbpsi_bat_attach(h, table, id, &OnBat, self)) ||
                          (table == 0x73 && dvbpsi_tot_attach(h, table, id, &OnTot, self));
    if (attached) self->subtables_[h].push_back({table, id});
  }
  std::vector<std::pair<uint16_t, dvbpsi_t*>> handles_;
  std::map<dvbpsi_t*, std::vector<std::pair<uint8_t, uint16_t>>> subtables_;
};
#endif

// The sample device backed up and restored port by port to an empty device: the second device
// holds the same sections (the times aside), and libdvbpsi reads every backup file cleanly.
TEST(BackupRestore, ABackupRestoredToASecondDeviceLeavesTheSameSections) {
  const auto first = StartDevice(), second = StartDevice({}, false);
  TempDir dir;
  const Launched backup = Command({"backup", "--device", Address(*first), "--out", "saved"});
  ASSERT_EQ(backup.status, 0) << backup.err;
  EXPECT_THAT(backup.out, ::testing::HasSubstr("NIT actual (0x40) on PID 0x0010: 2 sections"));
  for (const auto& [port, file] : {std::pair{"A", "saved/portA.ts"}, {"B", "saved/portB.ts"}}) {
    const Launched restore = Command({"restore", "--device", Address(*second), "--port", port, "--from", file});
    ASSERT_EQ(restore.status, 0) << restore.out << restore.err;
    EXPECT_THAT(restore.out, ::testing::HasSubstr(", verified ("));
#ifdef QUORVELIN_HAVE_DVBPSI
    const FileOracle oracle(ReadFileBytes(file));
    EXPECT_GE(oracle.tables, 7) << file;
    EXPECT_THAT(oracle.errors, ::testing::IsEmpty()) << file;
#endif
  }
  for (int index : {0, 1})
    EXPECT_EQ(WithoutTimes(second->Store().Port(index)), WithoutTimes(first->Store().Port(index))) << index;

  // Port B's backup over port A: the NIT (same network_id) and the CAT carry other content under
  // the version_number port A holds, so they go out one version up unless --keep-version.
  const auto version = [](const Bytes& packets) { return (packets.at(10) >> 1) & 0x1F; };
  for (const char* rule : {"--keep-version", "--bump"}) {
    ASSERT_EQ(Command({"restore", "--device", Address(*first), "--port", "A", "--from", "saved/portA.ts", "--keep-version"}).status, 0);
    const Launched r = Command({"restore", "--device", Address(*first), "--port", "A", "--from", "saved/portB.ts", rule});
    ASSERT_EQ(r.status, 0) << r.out << r.err;
    const devsim::PortTables a = first->Store().Port(0), b = first->Store().Port(1);
    EXPECT_EQ(version(a.nit), rule[2] == 'b' ? 1 : 0) << r.out;
    EXPECT_EQ(version(a.cat), rule[2] == 'b' ? 1 : 0) << r.out;
    EXPECT_EQ(version(a.sdt), 0) << "another transport_stream_id: another sub-table";
    const size_t crc = 8 + ((b.nit.at(6) & 0x0F) << 8 | b.nit.at(7)) - 4;
    EXPECT_TRUE(std::equal(a.nit.begin() + 11, a.nit.begin() + crc, b.nit.begin() + 11)) << "port B's NIT otherwise";
  }
}

// A broadcast capture of port A's tables with port B's bouquet, an SDT other and a PMT cut short:
// restored to channel 3 of a one-port device with port B's bouquet, saying what it left out; a
// capture whose PAT cannot be written in one packet is refused and nothing is sent.
TEST(BackupRestore, ACaptureIsRestoredWithWhatWasLeftOutNamedOrRefusedWhole) {
  const auto sample = StartDevice(), device = StartDevice({}, false);
  TempDir dir;
  std::vector<OnPid> sections = SectionsOf(sample->Store().Port(0));
  PortTables bouquet;
  bouquet.bat = sample->Store().Port(1).bat;
  for (const OnPid& s : SectionsOf(bouquet)) sections.push_back(s);
  sections.push_back({0x11, devsim::SectionWriter(0x46, 0x70, 9).U16(1).U8(0xFF).Finish()});
  sections.push_back({0x300, devsim::SectionWriter(2, 0x30, 0x11FB, 0, 1).U16(0xE100).U16(0xF000).Finish()});
  WriteBytes("capture.ts", Mux(sections, {.adaptation = 2, .packed = true}));
  const Launched restore = Command({"restore", "--device", Address(*device), "--port", "3", "--from", "capture.ts",
                              "--bouquet", "0x1002"});
  ASSERT_EQ(restore.status, 0) << restore.out << restore.err;
  for (const char* line : {"SDT other (0x46) on PID 0x0011 left out", "BAT of bouquet 0x1001 left out",
                           "took BAT of bouquet 0x1002", ", verified ("})
    EXPECT_THAT(restore.out, ::testing::HasSubstr(line));
  EXPECT_EQ(device->Store().Port(2).bat, sample->Store().Port(1).bat);

  // A capture of one SDT replaces that SDT and leaves every other table of the port as it is.
  PortTables expected = device->Store().Port(2), sdtOnly;
  expected.sdt = sdtOnly.sdt = sample->Store().Port(1).sdt;
  WriteBytes("sdt.ts", Mux(SectionsOf(sdtOnly), {}));
  const Launched one = Command({"restore", "--device", Address(*device), "--port", "3", "--from", "sdt.ts"});
  ASSERT_EQ(one.status, 0) << one.out << one.err;
  EXPECT_THAT(one.out, ::testing::HasSubstr("kept as they are: PAT, PMT, CAT, NIT, TDT, TOT and BAT\n"));
  EXPECT_EQ(device->Store().Port(2), expected);

  devsim::SectionWriter pat(0x00, 0x30, 1);
  for (int program = 1; program <= 43; ++program) pat.U16(program).U16(0xE000 | (0x100 + program));
  WriteBytes("big.ts", Mux({{0, pat.Finish()}}, {}));
  const int writes = device->Store().Writes();
  const Launched refused = Command({"restore", "--device", Address(*device), "--port", "A", "--from", "big.ts"});
  EXPECT_EQ(refused.status, 1);
  EXPECT_THAT(refused.err, ::testing::HasSubstr("PAT"));
  EXPECT_EQ(device->Store().Writes(), writes);
}

}  // namespace
}  // namespace quorvelin::testing
