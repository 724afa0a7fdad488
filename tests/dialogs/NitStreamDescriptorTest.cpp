// The NIT transport descriptor dialog with its delivery system pages and the "Other Descriptor"
// page: the records, lines and loop lengths they write, the bytes the NIT builder then sends, and
// libdvbpsi's reading of them.
#include "NitBatFixture.h"
#include "NitBatOracle.h"
#include "dialogs/dvb/CNITAddStreamDes.h"

namespace quorvelin::test {
namespace {

class NitStreamDescriptorTest : public NitStreamTest {
 protected:
  CNITAddStreamDes& Open(int page) {
    dialog.OnInitDialog();
    dialog.Sheet().SetCurSel(page);
    return dialog;
  }
  // The data bytes of the only descriptor of the only stream of the built section.
  std::vector<uint8_t> BuiltStreamDescriptor() {
    const BuiltTable built = BuildWellFormed(Table::Nit);
    const size_t at = 10 + Header(section.item).descriptors_length.get() + 2 + 6;
    if (built.section.size() < at + 2) return {};
    return std::vector<uint8_t>(built.section.begin() + static_cast<long>(at),
                                built.section.begin() + static_cast<long>(at + 2 + built.section[at + 1]));
  }
  void FillCable(const char* frequency, const char* symbolRate) {
    auto& cable = dialog.CablePage();
    cable.SetText(CNITAddCable::kFrequency, frequency);
    cable.SetText(CNITAddCable::kFecOuter, "2");
    cable.SetComboIndex(CNITAddCable::kModulation, 2);  // 64QAM
    cable.SetText(CNITAddCable::kSymbolRate, symbolRate);
    cable.SetText(CNITAddCable::kFecInner, "3");
  }
  void FillSatellite(const char* frequency, const char* orbital, const char* symbolRate) {
    auto& sat = dialog.SatellitePage();
    sat.SetText(CNITAddSatellite::kFrequency, frequency);
    sat.SetText(CNITAddSatellite::kOrbitalPosition, orbital);
    sat.SetText(CNITAddSatellite::kWestEastFlag, "1");
    sat.SetComboIndex(CNITAddSatellite::kPolarization, 1);  // linear-vectical
    sat.SetComboIndex(CNITAddSatellite::kModulation, 1);    // QPSK
    sat.SetText(CNITAddSatellite::kSymbolRate, symbolRate);
    sat.SetText(CNITAddSatellite::kFecInner, "3");
  }
  CNITAddStreamDes dialog{tree, ui};
};

TEST_F(NitStreamDescriptorTest, SevenPagesNetworkNameInTransportMode) {
  Open(0);
  EXPECT_EQ(dialog.title, "Add Stream Descriptor");
  ASSERT_EQ(dialog.Sheet().PageCount(), 7);
  EXPECT_STREQ(dialog.Sheet().Title(CNITAddStreamDes::kLogicalChannelPage), "logical_channel_descriptor");
  EXPECT_EQ(dialog.Sheet().TemplateIdOf(CNITAddStreamDes::kTerrestrialPage), 4038u);
  EXPECT_EQ(dialog.NetworkNamePage().loopMode, CNITAddNetworkName::kTransportLoop);
  EXPECT_EQ(dialog.CablePage().Text(CNITAddCable::kTag), "0x44");
  EXPECT_EQ(dialog.SatellitePage().ComboIndex(CNITAddSatellite::kPolarization), 0);
  EXPECT_EQ(dialog.TerrestrialPage().ComboIndex(CNITAddTDS::kTransmissionMode), 0);
  EXPECT_EQ(dialog.TabLock(), 0);
  dialog.Sheet().OnLButtonDown(3);
  EXPECT_EQ(dialog.Sheet().GetCurSel(), 3);

  // Through the dialog's Ok: the network name lands in the stream's loop.
  dialog.NetworkNamePage().SetText(CNITAddNetworkName::kName, "abc");
  dialog.Sheet().SetCurSel(CNITAddStreamDes::kNetworkNamePage);
  ASSERT_TRUE(dialog.OnOK());
  EXPECT_EQ(tree.KindOf(NewDescriptor()), NodeKind::NitTransportNetworkName);
  EXPECT_EQ(Hex(BuiltStreamDescriptor()), "40 03 61 62 63");
}

TEST_F(NitStreamDescriptorTest, CableWorkedExample) {
  Open(CNITAddStreamDes::kCablePage);
  FillCable("474", "6.875");
  ASSERT_TRUE(dialog.OnOK());
  const ItemHandle d = NewDescriptor();
  EXPECT_EQ(Lines(d),
            "descriptor_tag: 0x44\n  descriptor_length: 0xb\n  frequency: 474.0000 mhz\n  FEC_outer: 0x2\n"
            "  modulation: 0x3\n  symbol_rate: 6.8750 msymbol/s\n  FEC_inner: 0x3\n");
  EXPECT_EQ(tree.KindOf(d), NodeKind::NitCableDelivery);
  EXPECT_TRUE(tree.IsExpanded(d));
  EXPECT_TRUE(tree.IsExpanded(stream.item));
  EXPECT_TRUE(tree.IsExpanded(tree.GetParentItem(d)));
  EXPECT_EQ(Entry(stream.item).transport_descriptors_length.get(), 13);
  EXPECT_EQ(TextOf(stream.lengthLine), "transport_descriptors_length: 0xd");
  EXPECT_EQ(Header(section.item).transport_stream_loop_length.get(), 19);
  EXPECT_EQ(TextOf(section.loopLine), "transport_stream_loop_length: 0x13");
  EXPECT_EQ(Hex(BuiltStreamDescriptor()), "44 0B 04 74 00 00 FF F2 03 00 68 75 03");
#ifdef QUORVELIN_HAVE_DVBPSI
  const OracleTable decoded = DecodeOne(Build(Table::Nit).packets);
  ASSERT_EQ(decoded.streams.size(), 1u);
  ASSERT_EQ(decoded.streams[0].descriptors.size(), 1u);
  DecodeWith(decoded.streams[0].descriptors[0], dvbpsi_DecodeCableDelivSysDr, [](const dvbpsi_cable_deliv_sys_dr_t* c) {
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->i_frequency, 0x04740000u);
    EXPECT_EQ(c->i_modulation, 3);
    EXPECT_EQ(c->i_symbol_rate, 0x0068750u);
    EXPECT_EQ(c->i_fec_outer, 2);
    EXPECT_EQ(c->i_fec_inner, 3);
  });
#endif
}

TEST_F(NitStreamDescriptorTest, CableDigitsRoundedAndLimited) {
  Open(CNITAddStreamDes::kCablePage);
  FillCable("858.25", "0.00004");
  ASSERT_TRUE(dialog.OnOK());
  EXPECT_EQ(RecordText(*tree.RecordOf(NewDescriptor())), "509:08 58 25 00 2 3 00 00 00 00 3");

  const std::string before = Snapshot();
  FillCable("10000", "6.875");
  EXPECT_FALSE(dialog.OnOK());
  EXPECT_EQ(ui.LastText(), "frequency must be 0 to 9999.9999 MHz!");
  EXPECT_EQ(dialog.CablePage().focusId, CNITAddCable::kFrequency);
  FillCable("-1", "6.875");
  EXPECT_FALSE(dialog.OnOK());
  EXPECT_EQ(ui.LastText(), "frequency must be 0 to 9999.9999 MHz!");
  FillCable("474", "1000");
  EXPECT_FALSE(dialog.OnOK());
  EXPECT_EQ(ui.LastText(), "symbol_rate must be 0 to 999.9999 Msymbol/s!");
  EXPECT_EQ(dialog.CablePage().focusId, CNITAddCable::kSymbolRate);
  EXPECT_EQ(Snapshot(), before);

  FillCable("9999.9999", "999.9999");
  ASSERT_TRUE(dialog.OnOK());
  EXPECT_EQ(RecordText(*tree.RecordOf(NewDescriptor())), "509:99 99 99 99 2 3 99 99 99 90 3");
}

TEST_F(NitStreamDescriptorTest, CableEmptyFieldsInFormOrder) {
  auto& cable = Open(CNITAddStreamDes::kCablePage).CablePage();
  const std::string before = Snapshot();
  const struct {
    int field;
    const char* message;
  } order[] = {{CNITAddCable::kFrequency, "frequency can not be null!"},
               {CNITAddCable::kFecOuter, "FEC_outer can not be null!"},
               {CNITAddCable::kSymbolRate, "symbol_rate can not be null!"},
               {CNITAddCable::kFecInner, "FEC_inner can not be null!"}};
  cable.SetText(CNITAddCable::kTag, " ");
  EXPECT_FALSE(dialog.OnOK());
  EXPECT_EQ(ui.LastText(), "descriptor_tag can not be null!");
  cable.SetText(CNITAddCable::kTag, "0x44");
  for (const auto& step : order) {
    EXPECT_FALSE(dialog.OnOK());
    EXPECT_EQ(ui.LastText(), step.message);
    EXPECT_EQ(cable.focusId, step.field);
    cable.SetText(step.field, "1");
  }
  EXPECT_EQ(Snapshot(), before);
  EXPECT_TRUE(dialog.OnOK());
}

TEST_F(NitStreamDescriptorTest, SatelliteWorkedExample) {
  Open(CNITAddStreamDes::kSatellitePage);
  FillSatellite("11.75725", "192", "27.5");
  ASSERT_TRUE(dialog.OnOK());
  const ItemHandle d = NewDescriptor();
  EXPECT_EQ(Lines(d),
            "descriptor_tag: 0x43\n  descriptor_length: 0xb\n  frequency: 11.75725 Ghz\n  orbital_position: 192\n"
            "  west_east_flag: 0x1\n  polarization: 0x1\n  modulation: 0x1\n  symbol_rate: 27.5000 msymbol/s\n"
            "  FEC_inner: 0x3\n");
  EXPECT_EQ(tree.KindOf(d), NodeKind::NitSatelliteDelivery);
  EXPECT_EQ(Hex(BuiltStreamDescriptor()), "43 0B 01 17 57 25 01 92 A1 02 75 00 03");
#ifdef QUORVELIN_HAVE_DVBPSI
  const OracleTable decoded = DecodeOne(Build(Table::Nit).packets);
  DecodeWith(decoded.streams.at(0).descriptors.at(0), dvbpsi_DecodeSatDelivSysDr,
             [](const dvbpsi_sat_deliv_sys_dr_t* s) {
               ASSERT_NE(s, nullptr);
               EXPECT_EQ(s->i_frequency, 0x01175725u);
               EXPECT_EQ(s->i_orbital_position, 0x0192);
               EXPECT_EQ(s->i_west_east_flag, 1);
               EXPECT_EQ(s->i_polarization, 1);
               EXPECT_EQ(s->i_modulation_type, 1);
               EXPECT_EQ(s->i_symbol_rate, 0x0275000u);
               EXPECT_EQ(s->i_fec_inner, 3);
             });
#endif
}

TEST_F(NitStreamDescriptorTest, SatelliteChecksAndLimits) {
  auto& sat = Open(CNITAddStreamDes::kSatellitePage).SatellitePage();
  const std::string before = Snapshot();
  const struct {
    int field;
    const char* message;
  } order[] = {{CNITAddSatellite::kFrequency, "frequency can not be null!"},
               {CNITAddSatellite::kOrbitalPosition, "Orbital_position can not be null!"},
               {CNITAddSatellite::kWestEastFlag, "west_east_flage can not be null!"},
               {CNITAddSatellite::kSymbolRate, "symbol_rate can not be null!"},
               {CNITAddSatellite::kFecInner, "FEC_inner can not be null!"}};
  for (const auto& step : order) {
    EXPECT_FALSE(dialog.OnOK());
    EXPECT_EQ(ui.LastText(), step.message);
    EXPECT_EQ(sat.focusId, step.field);
    sat.SetText(step.field, "1");
  }
  FillSatellite("1000", "192", "27.5");
  EXPECT_FALSE(dialog.OnOK());
  EXPECT_EQ(ui.LastText(), "frequency must be 0 to 999.99999 GHz!");
  FillSatellite("11.7", "10000", "27.5");
  EXPECT_FALSE(dialog.OnOK());
  EXPECT_EQ(ui.LastText(), "Orbital_position must be 0 to 9999 (tenths of a degree)!");
  EXPECT_EQ(sat.focusId, CNITAddSatellite::kOrbitalPosition);
  FillSatellite("11.7", "192", "1000");
  EXPECT_FALSE(dialog.OnOK());
  EXPECT_EQ(ui.LastText(), "symbol_rate must be 0 to 999.9999 Msymbol/s!");
  EXPECT_EQ(Snapshot(), before);

  // Typed decimals of the orbital position are dropped.
  FillSatellite("11.7", "192.7", "27.5");
  ASSERT_TRUE(dialog.OnOK());
  EXPECT_EQ(Hex(PayloadOf<SatelliteDelivery>(NewDescriptor()).orbital_position), "01 92");
}

TEST_F(NitStreamDescriptorTest, TerrestrialBitFields) {
  auto& tds = Open(CNITAddStreamDes::kTerrestrialPage).TerrestrialPage();
  EXPECT_FALSE(dialog.OnOK());
  EXPECT_EQ(ui.LastText(), "centre_frequency can not be null!");
  EXPECT_EQ(tds.focusId, CNITAddTDS::kCentreFrequency);
  tds.SetText(CNITAddTDS::kCentreFrequency, "47400000");
  tds.SetComboIndex(CNITAddTDS::kConstellation, 2);     // 64QAM
  tds.SetComboIndex(CNITAddTDS::kCodeRateHp, 1);        // 2/3
  tds.SetComboIndex(CNITAddTDS::kGuardInterval, 3);     // 1/4
  tds.SetComboIndex(CNITAddTDS::kTransmissionMode, 1);  // 8K
  ASSERT_TRUE(dialog.OnOK());
  const ItemHandle d = NewDescriptor();
  EXPECT_EQ(Lines(d),
            "descriptor_tag: 0x5a\n  descriptor_length: 0xb\n  centre_frequency: 474000000 HZ\n"
            "  band_width: 8M\n  constellation: 64QAM\n  hierarchy_information: NO\n  code_rate_HPstream: 2/3\n"
            "  code_rate_LPstream: 1/2\n  guard_interval: 1/4\n  transmission_mode: 8K\n  other_frequency_flag: 0\n");
  EXPECT_EQ(RecordText(*tree.RecordOf(d)), "517:2d34440 10 c1 1");
  EXPECT_EQ(Hex(BuiltStreamDescriptor()), "5A 0B 02 D3 44 40 1F 81 1A FF FF FF FF");

  // Every other list and the check box, each at its last entry.
  tds.SetComboIndex(CNITAddTDS::kBandwidth, 1);
  tds.SetComboIndex(CNITAddTDS::kHierarchy, 3);
  tds.SetComboIndex(CNITAddTDS::kCodeRateLp, 4);
  tds.SetCheck(CNITAddTDS::kOtherFrequency, 1);
  ASSERT_TRUE(dialog.OnOK());
  const auto& t = PayloadOf<TerrestrialDelivery>(NewDescriptor());
  EXPECT_EQ(t.bandwidth(), 1);
  EXPECT_EQ(t.constellation(), 2);
  EXPECT_EQ(t.hierarchy(), 3);
  EXPECT_EQ(t.code_rate_hp(), 1);
  EXPECT_EQ(t.code_rate_lp(), 4);
  EXPECT_EQ(t.guard_interval(), 3);
  EXPECT_EQ(t.transmission_mode(), 1);
  EXPECT_EQ(t.other_frequency_flag(), 1);
#ifdef QUORVELIN_HAVE_DVBPSI
  const BuiltTable built = BuildWellFormed(Table::Nit);
  const OracleTable decoded = DecodeOne(built.packets);
  ASSERT_EQ(decoded.streams.at(0).descriptors.size(), 2u);
  DecodeWith(decoded.streams[0].descriptors[1], dvbpsi_DecodeTerrDelivSysDr, [](const dvbpsi_terr_deliv_sys_dr_t* r) {
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->i_centre_frequency, 47400000u);
    EXPECT_EQ(r->i_bandwidth, 1);
    EXPECT_EQ(r->i_constellation, 2);
    EXPECT_EQ(r->i_hierarchy_information, 3);
    EXPECT_EQ(r->i_code_rate_hp_stream, 1);
    EXPECT_EQ(r->i_code_rate_lp_stream, 4);
    EXPECT_EQ(r->i_guard_interval, 3);
    EXPECT_EQ(r->i_transmission_mode, 1);
    EXPECT_EQ(r->i_other_frequency_flag, 1);
  });
#endif
}

TEST_F(NitStreamDescriptorTest, EveryDeliveryAddGrowsBothLoopsByThirteen) {
  Open(CNITAddStreamDes::kCablePage);
  FillCable("474", "6.875");
  FillSatellite("11.7", "192", "27.5");
  dialog.TerrestrialPage().SetText(CNITAddTDS::kCentreFrequency, "1");
  for (int page :
       {CNITAddStreamDes::kCablePage, CNITAddStreamDes::kSatellitePage, CNITAddStreamDes::kTerrestrialPage}) {
    const int streamBefore = Entry(stream.item).transport_descriptors_length.get();
    const int loopBefore = Header(section.item).transport_stream_loop_length.get();
    dialog.Sheet().SetCurSel(page);
    ASSERT_TRUE(dialog.OnOK());
    EXPECT_EQ(Entry(stream.item).transport_descriptors_length.get(), streamBefore + 13);
    EXPECT_EQ(Header(section.item).transport_stream_loop_length.get(), loopBefore + 13);
  }
  EXPECT_EQ(tree.ChildCount(LastChild(stream.item)), 3);
  const BuiltTable built = BuildWellFormed(Table::Nit);
}

TEST_F(NitStreamDescriptorTest, OtherDescriptorGrowsByDataPlusTwo) {
  auto& other = Open(CNITAddStreamDes::kOtherPage).OtherPage();
  other.SetText(HexDescriptorPage::kTag, "0x5f");
  other.SetText(HexDescriptorPage::kLength, "3");
  other.SetText(HexDescriptorPage::kData, "00 00 00");
  ASSERT_TRUE(dialog.OnOK());
  const ItemHandle d = NewDescriptor();
  EXPECT_EQ(Lines(d), "descriptor_tag: 0x5f\n  descriptor_length: 0x3\n  data: 00 00 00 \n");
  EXPECT_EQ(tree.KindOf(d), NodeKind::NitTransportDescriptor);
  EXPECT_EQ(TextOf(stream.lengthLine), "transport_descriptors_length: 0x5");
  EXPECT_EQ(TextOf(section.loopLine), "transport_stream_loop_length: 0xb");
  EXPECT_EQ(Hex(BuiltStreamDescriptor()), "5F 03 00 00 00");

  const std::string before = Snapshot();
  other.SetText(HexDescriptorPage::kData, "00");
  EXPECT_FALSE(dialog.OnOK());
  EXPECT_EQ(ui.LastText(), "The data is error!");
  EXPECT_EQ(Snapshot(), before);
}

TEST_F(NitStreamDescriptorTest, FullSectionRefusesDelivery) {
  Header(section.item).descriptors_length.set(1008 - 6 - 12);
  Open(CNITAddStreamDes::kCablePage);
  FillCable("474", "6.875");
  const std::string before = Snapshot();
  EXPECT_FALSE(dialog.OnOK());
  EXPECT_EQ(ui.LastText(), "The section can't be longer than 1024 bytes!");
  EXPECT_EQ(dialog.CablePage().focusId, DeliveryPage::kFrequency);
  EXPECT_EQ(Snapshot(), before);
}

}  // namespace
}  // namespace quorvelin::test
