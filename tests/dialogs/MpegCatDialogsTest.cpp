// CCATAddDes1: the CA_descriptor form of the CAT section.
#include "MpegFixture.h"
#include "dialogs/mpeg/CCATAddDes1.h"
#include "resources/MpegDialogIds.h"

namespace quorvelin::test {
namespace {

namespace ca = mpeg_ids::ca_form;

bool AddCa(MpegTree& t, ItemHandle section, const char* system, const char* pid, const char* length, const char* data) {
  t.Select(section);
  CCATAddDes1 dlg(t.tree, t.ui);
  dlg.OnInitDialog();
  EXPECT_EQ(dlg.title, "Add Descriptor");
  EXPECT_EQ(dlg.Text(ca::kTag), "0x09");
  EXPECT_EQ(dlg.Text(ca::kPrivateDataLength), "0");
  dlg.SetText(ca::kCaSystemId, system);
  dlg.SetText(ca::kCaPid, pid);
  dlg.SetText(ca::kPrivateDataLength, length);
  dlg.SetText(ca::kPrivateData, data);
  return dlg.OnOK();
}

TEST(CCATAddDes1, TheFirstDescriptorCreatesTheHolderBeforeTheCrcLine) {
  MpegTree t;
  const ItemHandle section = t.AddCat(1, {});
  EXPECT_TRUE(AddCa(t, section, "0x0b00", "0x1234", "3", "0A0b0C"));
  EXPECT_EQ(DumpTree(t.tree, section),
            "SECTION:0\n"
            "  table_id: 0x1\n"
            "  section_syntax_indicator: 0x1\n"
            "  section_length: 0x9\n"
            "  version_number: 0x0\n"
            "  current_next_indicator: 0x1\n"
            "  section_number: 0x0\n"
            "  last_section_number: 0x0\n"
            "  descriptors\n"
            "    descriptor_tag: 0x9\n"
            "      descriptor_length: 0x7\n"
            "      descriptor_data\n"
            "        CA_system_ID: 0xb00\n"
            "        CA_PID: 0x1234\n"
            "        descriptor_data(hex): 0A 0b 0C \n"
            "  crc_32: 0xd66da242\n");
  const ItemHandle holder = t.At(section, {7});
  EXPECT_EQ(t.tree.KindOf(holder), NodeKind::CatDescriptorList);
  EXPECT_FALSE(t.Record(holder).HasPayload());
  EXPECT_EQ(t.tree.GetItemImage(holder), kImageLine);
  for (ItemHandle expanded : {holder, t.At(holder, {0}), t.At(holder, {0, 1})})
    EXPECT_TRUE(t.tree.IsExpanded(expanded));
  const ItemHandle item = t.At(holder, {0});
  EXPECT_EQ(t.tree.KindOf(item), NodeKind::CatCaDescriptor);
  const CaDescriptor* d = t.Record(item).As<CaDescriptor>();
  EXPECT_EQ(d->tag, 9);
  EXPECT_EQ(d->length, 7);
  EXPECT_EQ(d->ca_system_id, 0x0b00);
  EXPECT_EQ(d->ca_pid.get(), 0x1234);
  EXPECT_EQ(d->private_data, (std::vector<uint8_t>{0x0a, 0x0b, 0x0c}));
  // the CAT's section_length is worked out when the section is built
  EXPECT_EQ(t.Record(section).As<CatSectionHeader>()->section_length.get(), 9);

  EXPECT_TRUE(AddCa(t, section, "2", "3", "0", "not read"));
  EXPECT_EQ(t.tree.ChildCount(holder), 2);
  EXPECT_EQ(t.tree.ChildCount(section), 9);
  EXPECT_EQ(t.Record(t.At(holder, {1})).As<CaDescriptor>()->length, 4);
  EXPECT_EQ(t.tree.ChildCount(t.At(holder, {1, 1})), 2);  // no "descriptor_data(hex): " line
}

TEST(CCATAddDes1, AddsToAnExistingHolder) {
  MpegTree t;
  const ItemHandle section = t.AddCat(2, {Descriptor(9, {0x01, 0x00, 0xe0, 0x10})});
  EXPECT_TRUE(AddCa(t, section, "0x500", "0x11", "251", std::string(502, 'f').c_str()));
  const ItemHandle holder = t.At(section, {7});
  EXPECT_EQ(t.tree.ChildCount(holder), 2);
  EXPECT_EQ(t.Record(t.At(holder, {1})).As<CaDescriptor>()->length, 255);
  EXPECT_EQ(t.tree.GetItemText(t.At(section, {8})).substr(0, 8), "crc_32: ");
}

TEST(CCATAddDes1, RefusalsLeaveTheTreeUnchanged) {
  struct Case {
    const char* tag;
    const char* system;
    const char* pid;
    const char* length;
    const char* data;
    const char* message;
    int focus;
  } cases[] = {
      {" ", "1", "1", "0", "", "Descriptor_tag can not be null!", ca::kTag},
      {"0x09", "", "1", "0", "", "ca_system_pid can not be null!", ca::kCaSystemId},
      {"0x09", "1", " ", "0", "", "ca_pid can not be null!", ca::kCaPid},
      {"0x09", "1", "1", "", "", "private_data_length can not be null!", ca::kPrivateDataLength},
      {"0x09", "1", "1", "2", "01", "The data is error!", ca::kPrivateData},
      {"0x09", "1", "1", "1", "", "The data is error!", ca::kPrivateData},
      {"0x09", "1", "1", "252", "", "private_data_length must be 0 to 251!", ca::kPrivateDataLength},
      {"0x09", "1", "1", "-1", "", "private_data_length must be 0 to 251!", ca::kPrivateDataLength},
  };
  for (const Case& c : cases) {
    MpegTree t;
    const ItemHandle section = t.Select(t.AddCat(1, {}));
    const std::string before = t.Snapshot();
    CCATAddDes1 dlg(t.tree, t.ui);
    dlg.OnInitDialog();
    dlg.SetText(ca::kTag, c.tag);
    dlg.SetText(ca::kCaSystemId, c.system);
    dlg.SetText(ca::kCaPid, c.pid);
    dlg.SetText(ca::kPrivateDataLength, c.length);
    dlg.SetText(ca::kPrivateData, c.data);
    EXPECT_FALSE(dlg.OnOK()) << c.message;
    ASSERT_EQ(t.ui.messages.size(), 1u);
    EXPECT_EQ(t.ui.LastText(), c.message);
    EXPECT_EQ(dlg.focusId, c.focus);
    EXPECT_EQ(t.Snapshot(), before);
    EXPECT_EQ(t.tree.ChildCount(section), 8);
  }
}

}  // namespace
}  // namespace quorvelin::test
