// CPMTAddPrg, CDlgModifyPmtSection, CPMTAddDescType, CPMTAddCom and CPmtAddComDes.
#include "MpegFixture.h"
#include "dialogs/mpeg/CDlgModifyPmtSection.h"
#include "dialogs/mpeg/CPMTAddCom.h"
#include "dialogs/mpeg/CPMTAddDescType.h"
#include "dialogs/mpeg/CPMTAddPrg.h"
#include "dialogs/mpeg/CPmtAddComDes.h"
#include "resources/MpegDialogIds.h"

namespace quorvelin::test {
namespace {

namespace ids = mpeg_ids;

TEST(CPMTAddPrg, CreatesTheProgramAndItsFirstSectionFromThePortsPat) {
  MpegTree t;
  t.AddPat(2, 1, {{0, 0x10}, {3, 0x300}});
  const ItemHandle root = t.Select(t.tree.Root(2, Table::Pmt));
  CPMTAddPrg dlg(t.tree, t.ui);
  dlg.OnInitDialog();
  EXPECT_EQ(dlg.title, "Add Program");
  dlg.SetText(ids::pmt_program::kProgramNumber, "3");
  dlg.SetText(ids::pmt_program::kPcrPid, "0x1ff");
  EXPECT_TRUE(dlg.OnOK());
  EXPECT_EQ(DumpTree(t.tree, root),
            "PMT\n"
            "  program: 0x3 (3) => pid: 0x300 (768)\n"
            "    Section 0:\n"
            "      table_id: 0x2\n"
            "      section_syntax_indicator: 0x1\n"
            "      section_length: 0x0\n"
            "      program_number: 0x3\n"
            "      version_number: 0x1\n"
            "      current_next_indicator: 0x1\n"
            "      section_number: 0x0\n"
            "      last_section_number: 0x0\n"
            "      pcr_pid: 0x1ff\n"
            "      program_info_length: 0x0 (0)\n"
            "      crc_32: 0x0\n");
  const ItemHandle program = t.tree.GetChildItem(root);
  const ItemHandle section = t.tree.GetChildItem(program);
  EXPECT_EQ(t.tree.GetItemImage(program), kImageProgram);
  EXPECT_EQ(t.tree.GetItemImage(section), kImageSection);
  EXPECT_EQ(t.tree.GetSelectedItem(), section);
  EXPECT_TRUE(t.tree.IsExpanded(section));
  EXPECT_EQ(t.Record(program).kind, NodeKind::PmtProgram);
  EXPECT_FALSE(t.Record(program).HasPayload());
  const PmtSectionHeader* h = t.Record(section).As<PmtSectionHeader>();
  ASSERT_TRUE(h);
  EXPECT_EQ(h->table_id, 2);
  EXPECT_EQ(h->section_syntax_indicator, 1);
  EXPECT_EQ(h->version(), 1);
  EXPECT_EQ(h->cni(), 1);
  EXPECT_EQ(h->program_number(), 3);
  EXPECT_EQ(h->pcr_pid.get(), 0x1ff);
  EXPECT_EQ(h->program_info_length.get(), 0);
  EXPECT_EQ(h->pmt_pid.get(), 0x300);
}

TEST(CPMTAddPrg, RefusalsLeaveTheTreeAsItWas) {
  struct Case {
    int port;
    const char* number;
    const char* pcr;
    const char* message;
    int focus;
  } cases[] = {
      {1, "  ", "0x100", "Program number can not be null!", ids::pmt_program::kProgramNumber},
      {1, "1", "", "PCR PID can not be null!", ids::pmt_program::kPcrPid},
      {1, "2", "0x100", "This Program is not in PAT,please Add!", ids::pmt_program::kProgramNumber},
      // program 4 is only in the first port's PAT
      {2, "4", "0x100", "This Program is not in PAT,please Add!", ids::pmt_program::kProgramNumber},
      {1, "0x10004", "0x100", "This Program is not in PAT,please Add!", ids::pmt_program::kProgramNumber},
  };
  for (const Case& c : cases) {
    MpegTree t;
    t.AddPat(1, 1, {{1, 0x100}, {4, 0x400}});
    t.AddPat(2, 1, {{1, 0x100}});
    t.Select(t.tree.Root(c.port, Table::Pmt));
    const std::string before = t.Snapshot();
    CPMTAddPrg dlg(t.tree, t.ui);
    dlg.OnInitDialog();
    dlg.SetText(ids::pmt_program::kProgramNumber, c.number);
    dlg.SetText(ids::pmt_program::kPcrPid, c.pcr);
    EXPECT_FALSE(dlg.OnOK());
    ExpectRefusal(t.ui, dlg, c.message, c.focus);
    EXPECT_EQ(t.Snapshot(), before);
  }
}

TEST(CDlgModifyPmtSection, ShowsAndReplacesProgramNumberAndPcrPid) {
  MpegTree t;
  const ItemHandle section = t.Select(t.AddPmt(1, 5, 0x500, 0x501, {}, {}));
  CDlgModifyPmtSection dlg(t.tree, t.ui);
  dlg.OnInitDialog();
  EXPECT_EQ(dlg.title, "ModifySection");
  EXPECT_EQ(dlg.Text(ids::pmt_section::kProgramNumber), "0x5");
  EXPECT_EQ(dlg.Text(ids::pmt_section::kPcrPid), "0x501");
  EXPECT_EQ(dlg.focusId, ids::pmt_section::kProgramNumber);

  dlg.SetText(ids::pmt_section::kPcrPid, "");
  const std::string before = t.Snapshot();
  EXPECT_FALSE(dlg.OnOK());
  ExpectRefusal(t.ui, dlg, "PCR PID can't be NULL!", ids::pmt_section::kPcrPid);
  EXPECT_EQ(t.Snapshot(), before);

  dlg.SetText(ids::pmt_section::kProgramNumber, "10");  // decimal
  dlg.SetText(ids::pmt_section::kPcrPid, "0x3fff");     // 13 bits of it
  EXPECT_TRUE(dlg.OnOK());
  const PmtSectionHeader* h = t.Record(section).As<PmtSectionHeader>();
  EXPECT_EQ(h->program_number(), 10);
  EXPECT_EQ(h->pcr_pid.get(), 0x1FFF);
  EXPECT_EQ(t.tree.GetItemText(t.At(section, {3})), "program_number: 0xa");
  EXPECT_EQ(t.tree.GetItemText(t.At(section, {8})), "pcr_pid: 0x1fff");
  EXPECT_EQ(t.tree.GetItemText(t.tree.GetParentItem(section)), "program: 0x5 (5) => pid: 0x500 (1280)");
}

// A new PMT section (from CPMTAddPrg) has neither heading.
ItemHandle NewPmt(MpegTree& t) {
  t.AddPat(1, 1, {{1, 0x100}});
  t.Select(t.tree.Root(1, Table::Pmt));
  CPMTAddPrg add(t.tree, t.ui);
  add.OnInitDialog();
  add.SetText(ids::pmt_program::kProgramNumber, "1");
  add.SetText(ids::pmt_program::kPcrPid, "0x101");
  EXPECT_TRUE(add.OnOK());
  return t.tree.GetSelectedItem();
}

bool AddHeading(MpegTree& t, ItemHandle section, int index) {
  t.Select(section);
  CPMTAddDescType dlg(t.tree, t.ui);
  dlg.OnInitDialog();
  EXPECT_EQ(dlg.ComboIndex(ids::pmt_type::kType), 0);
  dlg.SetComboIndex(ids::pmt_type::kType, index);
  return dlg.OnOK();
}

TEST(CPMTAddDescType, PlacesEachHeadingAtItsLineAndOnlyOnce) {
  MpegTree t;
  const ItemHandle section = NewPmt(t);
  EXPECT_TRUE(AddHeading(t, section, 1));
  EXPECT_EQ(t.tree.GetItemText(t.tree.GetSelectedItem()), "components");
  EXPECT_TRUE(AddHeading(t, section, 0));
  EXPECT_EQ(t.tree.GetItemText(t.tree.GetSelectedItem()), "program_info_descriptors");
  EXPECT_EQ(DumpTree(t.tree, section).substr(DumpTree(t.tree, section).find("  pcr_pid")),
            "  pcr_pid: 0x101\n"
            "  program_info_length: 0x0 (0)\n"
            "  program_info_descriptors\n"
            "  components\n"
            "  crc_32: 0x0\n");
  EXPECT_EQ(t.tree.KindOf(t.At(section, {10})), NodeKind::PmtProgramInfoList);
  EXPECT_EQ(t.tree.KindOf(t.At(section, {11})), NodeKind::PmtComponentList);

  for (int index : {0, 1}) {
    t.ui.messages.clear();
    t.Select(section);
    const std::string before = t.Snapshot();
    CPMTAddDescType dlg(t.tree, t.ui);
    dlg.OnInitDialog();
    dlg.SetComboIndex(ids::pmt_type::kType, index);
    EXPECT_FALSE(dlg.OnOK());
    ExpectRefusal(t.ui, dlg, "The node of this type is exist!", ids::pmt_type::kType);
    EXPECT_EQ(t.Snapshot(), before);
  }
}

TEST(CPMTAddDescType, WithoutItsLineNothingIsInserted) {
  MpegTree t;
  const ItemHandle section = NewPmt(t);
  t.tree.DeleteItem(t.At(section, {10}));  // program_info_length
  t.tree.DeleteItem(t.At(section, {9}));   // crc_32 is now last but one: pcr_pid before it
  t.tree.DeleteItem(t.At(section, {9}));   // crc_32
  const std::string before = t.Snapshot();
  EXPECT_TRUE(AddHeading(t, section, 0));
  EXPECT_TRUE(AddHeading(t, section, 1));
  EXPECT_EQ(t.Snapshot(), before);
}

ItemHandle AddComponent(MpegTree& t, ItemHandle list, const char* type, const char* pid) {
  t.Select(list);
  CPMTAddCom dlg(t.tree, t.ui, true);
  dlg.OnInitDialog();
  dlg.SetText(ids::pmt_component::kStreamType, type);
  dlg.SetText(ids::pmt_component::kElementaryPid, pid);
  EXPECT_TRUE(dlg.OnOK());
  return t.tree.GetSelectedItem();
}

TEST(CPMTAddCom, AddsComponentsWithTheImageOfTheirStreamType) {
  MpegTree t;
  const ItemHandle list = t.At(t.AddPmt(1, 1, 0x100, 0x101, {}, {}), {10});
  struct Case {
    const char* type;
    const char* text;
    int image;
  } cases[] = {{"1", "stream type:  1", kImageVideo},   {"0x2", "stream type:  2", kImageVideo},
               {"3", "stream type:  3", kImageAudio},   {"4", "stream type:  4", kImageAudio},
               {"0x1b", "stream type: 1b", kImageLine}, {"0x106", "stream type:  6", kImageLine}};
  for (const Case& c : cases) {
    const ItemHandle item = AddComponent(t, list, c.type, "0x1234");
    EXPECT_EQ(t.tree.GetItemText(item), c.text);
    EXPECT_EQ(t.tree.GetItemImage(item), c.image);
    EXPECT_EQ(t.tree.GetItemSelectedImage(item), c.image);
    EXPECT_EQ(DumpTree(t.tree, item),
              std::string(c.text) + "\n  elementary_pid: 0x1234 (4660)\n  es_info_length: 0x0 (0)\n");
  }
  EXPECT_EQ(t.tree.ChildCount(list), 6);
  EXPECT_EQ(t.Record(t.tree.ChildAt(list, 5)).As<PmtComponent>()->stream_type, 6);

  t.Select(list);
  const std::string before = t.Snapshot();
  CPMTAddCom dlg(t.tree, t.ui, true);
  dlg.OnInitDialog();
  dlg.SetText(ids::pmt_component::kStreamType, "2");
  EXPECT_FALSE(dlg.OnOK());
  ExpectRefusal(t.ui, dlg, "Elementary_Pid can not be null!", ids::pmt_component::kElementaryPid);
  dlg.SetText(ids::pmt_component::kStreamType, " ");
  t.ui.messages.clear();
  EXPECT_FALSE(dlg.OnOK());
  ExpectRefusal(t.ui, dlg, "StreamType can not be null!", ids::pmt_component::kStreamType);
  EXPECT_EQ(t.Snapshot(), before);
}

TEST(CPMTAddCom, ModifyKeepsTheComponentsDescriptors) {
  MpegTree t;
  const ItemHandle section =
      t.AddPmt(1, 1, 0x100, 0x101, {}, {{2, 0x200, {Descriptor(0x52, {7}), Descriptor(0x0a, {'e', 'n', 'g', 0})}}});
  const ItemHandle component = t.Select(t.At(section, {10, 0}));
  CPMTAddCom dlg(t.tree, t.ui, false);
  dlg.OnInitDialog();
  EXPECT_EQ(dlg.title, "Add Compenents");
  EXPECT_EQ(dlg.Text(ids::pmt_component::kStreamType), "0x2");
  EXPECT_EQ(dlg.Text(ids::pmt_component::kElementaryPid), "0x200");
  dlg.SetText(ids::pmt_component::kStreamType, "4");
  dlg.SetText(ids::pmt_component::kElementaryPid, "300");
  EXPECT_TRUE(dlg.OnOK());
  EXPECT_EQ(DumpTree(t.tree, component),
            "stream type:  4\n"
            "  elementary_pid: 0x12c (300)\n"
            "  es_info_length: 0x9 (9)\n"
            "  es descriptors\n"
            "    descriptor_tag: 52\n"
            "      descriptor_length (byte): 1\n"
            "      descriptor_data(hex): 07\n"
            "    descriptor_tag: 0a\n"
            "      descriptor_length (byte): 4\n"
            "      descriptor_data(hex): 65 6e 67 00\n");
  EXPECT_EQ(t.tree.GetItemImage(component), kImageAudio);
  const PmtComponent* c = t.Record(component).As<PmtComponent>();
  EXPECT_EQ(c->stream_type, 4);
  EXPECT_EQ(c->elementary_pid.get(), 300);
  EXPECT_EQ(c->es_info_length.get(), 9);
}

// Runs CPmtAddComDes on `selected` with page `page` filled by `fill`.
template <class Fill>
bool AddDescriptor(MpegTree& t, ItemHandle selected, int page, Fill fill) {
  t.Select(selected);
  CPmtAddComDes dlg(t.tree, t.ui);
  dlg.OnInitDialog();
  EXPECT_EQ(dlg.title, "Add Stream Descriptor");
  EXPECT_EQ(dlg.TabSheetOf(ids::kTabControl), &dlg.Sheet());
  EXPECT_EQ(dlg.Sheet().PageCount(), 2);
  EXPECT_STREQ(dlg.Sheet().Title(0), "Other");
  EXPECT_STREQ(dlg.Sheet().Title(1), "CAT Descriptor");
  dlg.Sheet().OnLButtonDown(page);
  fill(dlg);
  return dlg.OnOK();
}

auto Other(const char* tag, const char* length, const char* data) {
  return [=](CPmtAddComDes& d) {
    d.OtherPage().SetText(ids::pmt_other::kTag, tag);
    d.OtherPage().SetText(ids::pmt_other::kLength, length);
    d.OtherPage().SetText(ids::pmt_other::kData, data);
  };
}

auto Ca(const char* system, const char* pid, const char* length, const char* data) {
  return [=](CPmtAddComDes& d) {
    EXPECT_EQ(d.CaPage().Text(ids::ca_form::kTag), "0x09");
    EXPECT_EQ(d.CaPage().Text(ids::ca_form::kPrivateDataLength), "0");
    d.CaPage().SetText(ids::ca_form::kCaSystemId, system);
    d.CaPage().SetText(ids::ca_form::kCaPid, pid);
    d.CaPage().SetText(ids::ca_form::kPrivateDataLength, length);
    d.CaPage().SetText(ids::ca_form::kPrivateData, data);
  };
}

TEST(CPmtAddComDes, OtherDescriptorsInAComponentLoopCreateItsHolderAndSumItsLength) {
  MpegTree t;
  const ItemHandle component = t.At(t.AddPmt(1, 1, 0x100, 0x101, {}, {{2, 0x200, {}}}), {10, 0});
  EXPECT_TRUE(AddDescriptor(t, component, 0, Other("0x52", "4", "01020304")));
  EXPECT_TRUE(AddDescriptor(t, component, 0, Other("0x0a", "3", "65 6E 67")));
  EXPECT_EQ(DumpTree(t.tree, component),
            "stream type:  2\n"
            "  elementary_pid: 0x200 (512)\n"
            "  es_info_length: 0xb\n"
            "  es descriptors\n"
            "    descriptor_tag: 0x52\n"
            "      descriptor_length(byte): 4\n"
            "      descriptor_data(hex): 01 02 03 04 \n"
            "    descriptor_tag: 0xa\n"
            "      descriptor_length(byte): 3\n"
            "      descriptor_data(hex): 65 6E 67 \n");
  EXPECT_EQ(t.Record(component).As<PmtComponent>()->es_info_length.get(), 11);
  EXPECT_EQ(t.tree.GetSelectedItem(), t.At(component, {1}));
  const ItemHandle holder = t.At(component, {2});
  EXPECT_EQ(t.tree.KindOf(holder), NodeKind::PmtEsDescriptorList);
  EXPECT_TRUE(t.tree.IsExpanded(holder));
  EXPECT_TRUE(t.tree.IsExpanded(t.At(holder, {1})));
  EXPECT_EQ(t.tree.KindOf(t.At(holder, {0})), NodeKind::PmtEsDescriptor);
  EXPECT_EQ(t.Record(t.At(holder, {1})).As<GenericDescriptor>()->data, (std::vector<uint8_t>{0x65, 0x6e, 0x67}));
}

TEST(CPmtAddComDes, ProgramInfoLoopLengthIsTheSumOfItsDescriptors) {
  MpegTree t;
  const ItemHandle section = t.AddPmt(1, 1, 0x100, 0x101, {Descriptor(0x05, {'H', 'D', 'M', 'V'})}, {});
  const ItemHandle holder = t.At(section, {10});
  EXPECT_TRUE(AddDescriptor(t, holder, 0, Other("0x0e", "0", "-")));
  EXPECT_EQ(t.tree.GetItemText(t.At(section, {9})), "program_info_length: 0x8 (8)");
  EXPECT_EQ(t.Record(section).As<PmtSectionHeader>()->program_info_length.get(), 8);
  EXPECT_EQ(t.tree.GetSelectedItem(), t.At(section, {9}));
  EXPECT_EQ(DumpTree(t.tree, t.At(holder, {1})),
            "descriptor_tag: 0xe\n  descriptor_length(byte): 0\n  descriptor_data(hex): \n");
  EXPECT_EQ(t.tree.KindOf(t.At(holder, {1})), NodeKind::PmtProgramInfoDescriptor);
}

TEST(CPmtAddComDes, CaDescriptorsInBothLoops) {
  MpegTree t;
  const ItemHandle section =
      t.AddPmt(1, 1, 0x100, 0x101, {Descriptor(9, {0x0b, 0x00, 0xe1, 0x23})}, {{0x1b, 0x200, {}}});
  const ItemHandle holder = t.At(section, {10});
  EXPECT_TRUE(AddDescriptor(t, holder, 1, Ca("0x0b01", "0x1fff", "0", "ignored")));
  // a second CA descriptor of length 4 raises 6 to 12: the length grows by what was added
  EXPECT_EQ(t.tree.GetItemText(t.At(section, {9})), "program_info_length: 0xc");
  EXPECT_EQ(t.Record(section).As<PmtSectionHeader>()->program_info_length.get(), 12);
  EXPECT_EQ(DumpTree(t.tree, t.At(holder, {1})),
            "descriptor_tag: 0x9\n"
            "  descriptor_length: 0x4\n"
            "  descriptor_data\n"
            "    CA_system_ID: 0xb01\n"
            "    CA_PID: 0x1fff\n");
  const CaDescriptor* ca = t.Record(t.At(holder, {1})).As<CaDescriptor>();
  ASSERT_TRUE(ca);
  EXPECT_EQ(t.tree.KindOf(t.At(holder, {1})), NodeKind::PmtCaDescriptor);
  EXPECT_EQ(ca->length, 4);
  EXPECT_TRUE(ca->private_data.empty());
  EXPECT_TRUE(t.tree.IsExpanded(t.At(holder, {1, 1})));

  const ItemHandle component = t.At(section, {11, 0});
  EXPECT_TRUE(AddDescriptor(t, component, 1, Ca("256", "0x20", "2", "ab\ncd")));
  EXPECT_EQ(DumpTree(t.tree, component),
            "stream type: 1b\n"
            "  elementary_pid: 0x200 (512)\n"
            "  es_info_length: 0x8\n"
            "  es descriptors\n"
            "    descriptor_tag: 0x9\n"
            "      descriptor_length: 0x6\n"
            "      descriptor_data\n"
            "        CA_system_ID: 0x100\n"
            "        CA_PID: 0x20\n"
            "        descriptor_data(hex): ab cd \n");
  EXPECT_EQ(t.tree.GetSelectedItem(), t.At(component, {1}));
  EXPECT_EQ(t.Record(component).As<PmtComponent>()->es_info_length.get(), 8);
  EXPECT_EQ(t.Record(t.At(component, {2, 0})).As<CaDescriptor>()->private_data, (std::vector<uint8_t>{0xab, 0xcd}));
}

TEST(CPmtAddComDes, RefusalsKeepTheDialogOpenAndTheTreeUnchanged) {
  struct Case {
    int page;
    std::function<void(CPmtAddComDes&)> fill;
    const char* message;
    bool appBox;
  } cases[] = {
      {0, Other("", "1", "00"), "Descriptor_tag can not be null!", false},
      {0, Other("1", " ", "00"), "Descriptor_length can not be null!", false},
      {0, Other("1", "0", "  "), "Descriptor_data can not be null!", false},
      {0, Other("1", "2", "01"), "The data is error!", true},
      {0, Other("1", "300", "01"), "Descriptor_length must be 0 to 255!", false},
      {1, Ca(" ", "1", "0", ""), "ca_system_pid can not be null!", false},
      {1, Ca("1", "", "0", ""), "ca_pid can not be null!", false},
      {1, Ca("1", "1", " ", ""), "private_data_length can not be null!", false},
      {1, Ca("1", "1", "2", "01"), "The data is error!", true},
      {1, Ca("1", "1", "252", "01"), "private_data_length must be 0 to 251!", false},
  };
  for (const Case& c : cases) {
    for (int target = 0; target < 2; ++target) {
      MpegTree t;
      const ItemHandle section = t.AddPmt(1, 1, 0x100, 0x101, {Descriptor(5, {1, 2, 3, 4})}, {{2, 0x200, {}}});
      const ItemHandle selected = target == 0 ? t.At(section, {10}) : t.At(section, {11, 0});
      t.Select(selected);
      const std::string before = t.Snapshot();
      EXPECT_FALSE(AddDescriptor(t, selected, c.page, c.fill)) << c.message;
      ASSERT_EQ(t.ui.messages.size(), 1u);
      EXPECT_EQ(t.ui.messages[0].text, c.message);
      EXPECT_EQ(t.ui.messages[0].caption, c.appBox ? kApplicationTitle : kSystemInfo);
      EXPECT_EQ(t.Snapshot(), before) << c.message;
    }
  }
}

}  // namespace
}  // namespace quorvelin::test
