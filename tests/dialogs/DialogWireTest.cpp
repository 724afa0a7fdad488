// What a dialog writes into the tree is what goes on the wire. Every numeric field refuses a
// value its bits cannot hold (the message names the field by its label and gives its range, the
// focus goes to the field, the typed text and the tree stay as they were) and takes the largest
// value it holds; delivery descriptors keep every field apart where libdvbpsi reads them; names
// keep their bytes or are refused by character; a PAT follows the PMT of its own port.
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "MpegFixture.h"
#include "NitBatFixture.h"
#include "NitBatOracle.h"
#include "dialogs/dvb/CAddBat.h"
#include "dialogs/dvb/CBATAddBouquetDes.h"
#include "dialogs/dvb/CNITAdd.h"
#include "dialogs/dvb/CNITAddNWDes.h"
#include "dialogs/dvb/CNITAddStreamDes.h"
#include "dialogs/mpeg/CDlgModifySdtSection.h"
#include "dialogs/mpeg/CDlgModifyTOT.h"
#include "dialogs/mpeg/CPATAdd.h"
#include "dialogs/mpeg/CPATAddPrg.h"
#include "dialogs/mpeg/CSDTAddDesc.h"
#include "dialogs/mpeg/CSDTAddService.h"
#include "dialogs/mpeg/CSetChannel.h"
#include "resources/MpegDialogIds.h"

namespace quorvelin::test {
namespace {

using Typed = std::vector<std::pair<int, const char*>>;

struct FieldCase {
  int field;
  const char *beyond, *message, *largest;  // a value the field cannot hold; the largest it holds, if checked
};
struct DialogCases {
  ItemHandle selected;  // kNoItem: the dialog works without a selection
  std::function<std::unique_ptr<Form>()> make;
  int page;     // the tab page that holds the fields, -1 for none
  Typed valid;  // a valid value in the other fields
  std::vector<FieldCase> fields;
};

template <class D, class... Args>
std::function<std::unique_ptr<Form>()> Make(TableTreeCtrl& tree, Ui& ui, Args... args) {
  return [&tree, &ui, args...] { return std::make_unique<D>(tree, ui, args...); };
}

// The dialog with `valid` typed into the page that holds the fields; returns that page.
Form& OpenOnPage(Form& dialog, int page, const Typed& valid) {
  dialog.OnInitDialog();
  Form* fields = &dialog;
  if (auto* tabs = dynamic_cast<DescriptorTabDialog*>(&dialog); tabs && page >= 0) {
    tabs->Sheet().SetCurSel(page);
    fields = tabs->Sheet().Page(page);
  }
  for (const auto& [id, text] : valid) fields->SetText(id, text);
  return *fields;
}

void ExpectRanges(TableTreeCtrl& tree, RecordingUi& ui, const std::vector<DialogCases>& dialogs,
                  const std::function<std::string()>& snapshot) {
  for (const DialogCases& d : dialogs) {
    for (const FieldCase& f : d.fields) {
      if (d.selected) tree.SelectItem(d.selected);
      const std::unique_ptr<Form> dialog = d.make();
      Form& fields = OpenOnPage(*dialog, d.page, d.valid);
      ui.messages.clear();
      const std::string before = snapshot();
      fields.SetText(f.field, f.beyond);
      EXPECT_FALSE(dialog->OnOK()) << f.beyond;
      ExpectRefusal(ui, fields, f.message, f.field);
      EXPECT_EQ(fields.Text(f.field), f.beyond);
      EXPECT_EQ(snapshot(), before) << f.beyond;
      if (!f.largest) continue;
      fields.SetText(f.field, f.largest);
      EXPECT_TRUE(dialog->OnOK()) << f.largest << ": " << ui.LastText();
    }
  }
}

TEST(DialogWire, MpegFieldsRefuseWhatTheirBitsCannotHold) {
  using namespace mpeg_ids;
  using L = CDlgNITLinkage;
  MpegTree t;
  const ItemHandle pat = t.AddPat(1, 1, {{5, 0x500}});
  const ItemHandle sdt = t.AddSdt(1, 1, 2, {{0x10, 4, {}}, {0x11, 4, {}}});  // services without descriptors
  auto& tr = t.tree;
  auto& ui = t.ui;
  // clang-format off
  const std::vector<DialogCases> dialogs = {
      {kNoItem, Make<CPATAdd>(tr, ui), -1, {},
       {{pat_add::kTransportStreamId, "65536", "Transport_stream_id must be 0 to 65535!", "0xffff"}}},
      {t.At(pat, {8}), Make<CPATAddPrg>(tr, ui, true), -1,
       {{pat_program::kProgramNumber, "6"}, {pat_program::kPid, "6"}},
       {{pat_program::kProgramNumber, "65536", "ProgramNumber must be 0 to 65535!", "65535"},
        {pat_program::kPid, "0x2000", "ProgramPID must be 0 to 8191!", "0x1fff"},
        {pat_program::kPid, "-1", "ProgramPID must be 0 to 8191!", nullptr}}},
      {sdt, Make<CDlgModifySdtSection>(tr, ui), -1, {},  // read as hexadecimal
       {{sdt_section::kTransportStreamId, "10000", "Transport_stream_id must be 0x0 to 0xffff!", "ffff"}}},
      {t.At(sdt, {9}), Make<CSDTAddService>(tr, ui, true), -1,
       {{sdt_service::kServiceId, "1"}, {sdt_service::kRunningStatus, "4"}},
       {{sdt_service::kServiceId, "65536", "Service_id must be 0 to 65535!", "65535"},
        {sdt_service::kRunningStatus, "0x10000", "Runing_status must be 0 to 7!", "7"}}},
      {t.At(sdt, {9, 0}), Make<CSDTAddDesc>(tr, ui), 0,
       {{sdt_service_page::kServiceType, "1"}, {sdt_service_page::kProviderName, "p"},
        {sdt_service_page::kServiceName, "s"}},
       {{sdt_service_page::kServiceType, "256", "service_type must be 0 to 255!", "255"}}},
      // a refused Link_age page keeps the SDT dialog open, and no empty holder behind
      {t.At(sdt, {9, 1}), Make<CSDTAddDesc>(tr, ui), 2, {{L::kDataLength, "1"}, {L::kPrivateData, "ee"}},
       {{L::kServiceId, "0x10000", "Service_id must be 0 to 65535!", "0xffff"},
        {L::kDataLength, "249", "DataLength must be 0 to 248!", nullptr}}},
      {kNoItem, Make<CDlgModifyTOT>(tr, ui, tr.Root(1, Table::Tot), DateTime{}, DateTime{}), -1,
       {{tot::kCountryCode, "DEU"}},
       {{tot::kCountryRegionId, "64", "country_region_id must be 0 to 63!", "63"}}},
      {kNoItem, Make<CSetChannel>(tr, ui, 5), -1, {}, {{channel::kChannel, "33", "Channel must be 1 to 32!", "32"}}},
  };
  // clang-format on
  ExpectRanges(tr, ui, dialogs, [&t] { return t.Snapshot(); });
}

class DialogWireTest : public NitStreamTest {};

TEST_F(DialogWireTest, DvbFieldsRefuseWhatTheirBitsCannotHold) {
  using C = CNITAddCable;
  using S = CNITAddSatellite;
  const auto streamDescriptor = Make<CNITAddStreamDes>(tree, ui);
  // clang-format off
  const std::vector<DialogCases> dialogs = {
      {kNoItem, Make<CNITAdd>(tree, ui), -1, {{CNITAdd::kSectionNumber, "0"}},
       {{CNITAdd::kNetworkId, "65536", "Network_id must be 0 to 65535!", "65535"}}},
      {tree.Root(1, Table::Bat), Make<CAddBat>(tree, ui), -1, {{CAddBat::kBouquetId, "1"}},  // read as decimal
       {{CAddBat::kVersionNumber, "32", "version_number must be 0 to 31!", "31"}}},
      {section.descriptors, Make<CNITAddNWDes>(tree, ui), CNITAddNWDes::kLinkagePage, {},
       {{CDlgNITLinkage::kLinkageType, "256", "Linkage_type must be 0 to 255!", "0xff"}}},
      {stream.item, streamDescriptor, CNITAddStreamDes::kCablePage,
       {{C::kFrequency, "474"}, {C::kFecOuter, "2"}, {C::kSymbolRate, "6.875"}, {C::kFecInner, "3"}},
       {{C::kFecOuter, "16", "FEC_outer must be 0 to 15!", "15"},
        {C::kFrequency, "474.00001", "Frequency must be 0 to 9999.9999 (MHz)!", "9999.9999"}}},
      {stream.item, streamDescriptor, CNITAddStreamDes::kSatellitePage,
       {{S::kFrequency, "11.75725"}, {S::kOrbitalPosition, "192"}, {S::kWestEastFlag, "1"}, {S::kSymbolRate, "27.5"},
        {S::kFecInner, "3"}},
       {{S::kWestEastFlag, "2", "west_east_flag must be 0 to 1!", "1"},
        {S::kOrbitalPosition, "19.2", "orbital_position must be 0 to 9999 (unit 0.1 degree)!", "9999"},
        {S::kFecInner, "16", "FEC_inner must be 0 to 15!", "15"}}},
      {stream.item, streamDescriptor, CNITAddStreamDes::kTerrestrialPage, {},
       {{CNITAddTDS::kCentreFrequency, "4294967296", "Center Frequency must be 0 to 4294967295 (unit 10Hz)!",
         "4294967295"}}},
  };
  // clang-format on
  ExpectRanges(tree, ui, dialogs, [this] { return Snapshot(); });
}

// A channel number is checked against the width chosen when Ok is pressed.
TEST_F(DialogWireTest, ChannelNumbersFitTheWidthChosenAtOk) {
  using LC = CDlgNITAddLC;
  // clang-format off
  const struct { int width; const char *channel, *message; } cases[] = {  // message nullptr: taken
      {LC::k10Bit, "1024", "Channel_Number must be 0 to 1023!"}, {LC::k10Bit, "0x3ff", nullptr},
      {LC::k14Bit, "16384", "Channel_Number must be 0 to 16383!"}, {LC::k14Bit, "16383", nullptr}};
  // clang-format on
  for (const auto& c : cases) {
    CNITAddStreamDes dialog(tree, ui);
    Form& page = OpenOnPage(dialog, CNITAddStreamDes::kLogicalChannelPage, {});
    page.SetCheck(LC::k10Bit, c.width == LC::k10Bit);
    page.SetCheck(LC::k14Bit, c.width == LC::k14Bit);
    page.Rows(EntryListPage::kList) = {{"16", c.channel, "TRUE"}};  // as if added under the other width
    ui.messages.clear();
    const std::string before = Snapshot();
    EXPECT_EQ(dialog.OnOK(), c.message == nullptr) << c.channel;
    if (!c.message) continue;
    ExpectRefusal(ui, page, c.message, LC::kChannelNumber);
    EXPECT_EQ(Snapshot(), before);
  }
}

#ifdef QUORVELIN_HAVE_DVBPSI
TEST_F(DialogWireTest, DeliveryDescriptorsKeepEveryFieldApart) {
  using C = CNITAddCable;
  using S = CNITAddSatellite;
  using T = CNITAddTDS;
  const struct {
    int page;
    Typed texts;
    std::vector<std::pair<int, int>> lists;  // entry chosen in each list
  } pages[] = {
      {CNITAddStreamDes::kCablePage,
       {{C::kFrequency, "858.25"}, {C::kFecOuter, "2"}, {C::kSymbolRate, "6.9"}, {C::kFecInner, "5"}},
       {{C::kModulation, 3}}},  // 128QAM, code 4
      {CNITAddStreamDes::kSatellitePage,
       {{S::kFrequency, "11.75725"},
        {S::kOrbitalPosition, "192"},
        {S::kWestEastFlag, "1"},
        {S::kSymbolRate, "27.5"},
        {S::kFecInner, "4"}},
       {{S::kPolarization, 2}, {S::kModulation, 3}}},
      {CNITAddStreamDes::kTerrestrialPage,
       {{T::kCentreFrequency, "429496729"}},  // 4294967290 Hz: more than 31 bits
       {{T::kBandwidth, 1},
        {T::kConstellation, 2},
        {T::kHierarchy, 0},
        {T::kCodeRateHp, 4},
        {T::kCodeRateLp, 3},
        {T::kGuardInterval, 1},
        {T::kTransmissionMode, 0}}},
  };
  for (const auto& p : pages) {
    CNITAddStreamDes dialog(tree, ui);
    Form& page = OpenOnPage(dialog, p.page, p.texts);
    for (const auto& [id, index] : p.lists) page.SetComboIndex(id, index);
    page.SetCheck(T::kOtherFrequency, 1);
    EXPECT_TRUE(dialog.OnOK()) << ui.LastText();
  }
  EXPECT_EQ(TextOf(Child(NewDescriptor(), 1)), "centre_frequency: 4294967290 HZ");
  const OracleTable nit = DecodeOne(BuildWellFormed(Table::Nit).packets);
  ASSERT_EQ(nit.streams.size(), 1u);
  const std::vector<OracleDescriptor>& d = nit.streams[0].descriptors;
  ASSERT_EQ(d.size(), 3u);
  DecodeWith(d[0], dvbpsi_DecodeCableDelivSysDr, [](dvbpsi_cable_deliv_sys_dr_t* c) {
    EXPECT_EQ(!c ? ""
                 : Format("%x %x %x %x %x", c->i_frequency, c->i_fec_outer, c->i_modulation, c->i_symbol_rate,
                          c->i_fec_inner),
              "8582500 2 4 69000 5");
  });
  DecodeWith(d[1], dvbpsi_DecodeSatDelivSysDr, [](dvbpsi_sat_deliv_sys_dr_t* s) {
    EXPECT_EQ(!s ? ""
                 : Format("%x %x %x %x %x %x %x", s->i_frequency, s->i_orbital_position, s->i_west_east_flag,
                          s->i_polarization, s->i_modulation_type, s->i_symbol_rate, s->i_fec_inner),
              "1175725 192 1 2 3 275000 4");
  });
  DecodeWith(d[2], dvbpsi_DecodeTerrDelivSysDr, [](dvbpsi_terr_deliv_sys_dr_t* t) {
    EXPECT_EQ(!t ? ""
                 : Format("%u %x %x %x %x %x %x %x %x", t->i_centre_frequency, t->i_bandwidth, t->i_constellation,
                          t->i_hierarchy_information, t->i_code_rate_hp_stream, t->i_code_rate_lp_stream,
                          t->i_guard_interval, t->i_transmission_mode, t->i_other_frequency_flag),
              "429496729 1 2 0 4 3 1 0 1");
  });
}
#endif

// Under text code 4 a character with no Big5 form is refused by name; a stored name left as
// shown (Big5 is shown in Simplified characters) keeps the bytes it came with.
TEST_F(DialogWireTest, NamesKeepTheirBytesOrAreRefusedByCharacter) {
  SetTextCode(4);
  tree.SelectItem(section.descriptors);
  CNITAddNWDes add(tree, ui);
  OpenOnPage(add, CNITAddNWDes::kNetworkNamePage, {{CNITAddNetworkName::kName, "a\xDF\xC7\xCC\xA8"}});
  EXPECT_FALSE(add.OnOK());
  EXPECT_EQ(ui.LastText(), "Network_name: text code 4 has no form for the character \"\xDF\xC7\"!");

  const LoopSection bat = AddBatSection();
  const NameDescriptor stored{0x47, 8, {0xBB, 0x4F, 0xC6, 0x57, 0xB9, 0x71, 0xB5, 0xF8}};  // Traditional characters
  tree.SelectItem(tree.InsertRecordItem("descriptor_tag: 0x47", kImageLine, bat.descriptors,
                                        MakeRecord(NodeKind::BatBouquetName, stored)));
  const std::string before = RecordText(*tree.RecordOf(tree.GetSelectedItem()));
  CBATAddBouquetDes modify(tree, ui);
  modify.add = 0;
  modify.OnInitDialog();
  EXPECT_EQ(modify.BouquetNamePage().Text(CBATAddBouquetName::kName), "\xCC\xA8\xCD\xE5\xB5\xE7\xCA\xD3");
  ASSERT_TRUE(modify.OnOK());
  EXPECT_EQ(RecordText(*tree.RecordOf(LastChild(bat.descriptors))), before);
}

TEST(DialogWire, PatModifyOnPortBFollowsPortBsPmt) {
  MpegTree t;
  const ItemHandle pat = t.AddPat(2, 1, {{5, 0x500}});
  const ItemHandle pmtA = t.AddPmt(1, 5, 0x500, 0x501, {}, {});
  const ItemHandle pmtB = t.AddPmt(2, 5, 0x500, 0x501, {}, {});
  const std::string portA = DumpTree(t.tree, t.tree.PortNode(1));
  t.Select(t.At(pat, {8, 0}));
  CPATAddPrg dlg(t.tree, t.ui, false);
  OpenOnPage(dlg, -1, {{mpeg_ids::pat_program::kProgramNumber, "9"}, {mpeg_ids::pat_program::kPid, "0x900"}});
  ASSERT_TRUE(dlg.OnOK());
  EXPECT_EQ(t.tree.GetItemText(t.tree.GetParentItem(pmtB)), "program: 0x9 (9) => pid: 0x900 (2304)");
  EXPECT_EQ(DumpTree(t.tree, t.tree.PortNode(1)), portA);
  EXPECT_EQ(t.Record(pmtA).As<PmtSectionHeader>()->program_number(), 5);
}

}  // namespace
}  // namespace quorvelin::test
