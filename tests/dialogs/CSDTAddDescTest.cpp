// CSDTAddDesc with its three pages on a service of the SDT.
#include "MpegFixture.h"
#include "dialogs/mpeg/CSDTAddDesc.h"
#include "resources/MpegDialogIds.h"
#include "util/TextCode.h"

namespace quorvelin::test {
namespace {

namespace page1 = mpeg_ids::sdt_service_page;
namespace page2 = mpeg_ids::sdt_other;

class TextCodeScope {
 public:
  explicit TextCodeScope(int code) : saved_(TextCode()) { SetTextCode(code); }
  ~TextCodeScope() { SetTextCode(saved_); }

 private:
  int saved_;
};

template <class Fill>
bool AddDescriptor(MpegTree& t, ItemHandle service, int page, Fill fill) {
  t.Select(service);
  CSDTAddDesc dlg(t.tree, t.ui);
  dlg.OnInitDialog();
  EXPECT_EQ(dlg.title, "Add Descriptor");
  EXPECT_EQ(dlg.Sheet().PageCount(), 3);
  EXPECT_STREQ(dlg.Sheet().Title(0), "Service Descriptor");
  EXPECT_STREQ(dlg.Sheet().Title(1), "Other Descriptor");
  EXPECT_STREQ(dlg.Sheet().Title(2), "Link_age");
  EXPECT_EQ(dlg.ServicePage().Text(page1::kTag), "0x48");
  dlg.Sheet().OnLButtonDown(page);
  fill(dlg);
  return dlg.OnOK();
}

auto ServicePage(const char* type, const char* provider, const char* name) {
  return [=](CSDTAddDesc& d) {
    d.ServicePage().SetText(page1::kServiceType, type);
    d.ServicePage().SetText(page1::kProviderName, provider);
    d.ServicePage().SetText(page1::kServiceName, name);
  };
}

auto OtherPage(const char* tag, const char* length, const char* data) {
  return [=](CSDTAddDesc& d) {
    d.OtherPage().SetText(page2::kTag, tag);
    d.OtherPage().SetText(page2::kLength, length);
    d.OtherPage().SetText(page2::kData, data);
  };
}

auto LinkagePage(const char* length, const char* data) {
  return [=](CSDTAddDesc& d) {
    CDlgNITLinkage& l = d.LinkagePage();
    l.SetText(CDlgNITLinkage::kTransportStreamId, "0x10");
    l.SetText(CDlgNITLinkage::kOriginalNetworkId, "0x20");
    l.SetText(CDlgNITLinkage::kServiceId, "0x30");
    l.SetComboIndex(CDlgNITLinkage::kLinkageType, 5);
    l.SetText(CDlgNITLinkage::kDataLength, length);
    l.SetText(CDlgNITLinkage::kPrivateData, data);
  };
}

TEST(CSDTAddDesc, AServiceDescriptorOnANewServiceCreatesTheHolderAndRewritesTheLoopLine) {
  MpegTree t;
  TextCodeScope code(0);
  const ItemHandle service = t.At(t.AddSdt(1, 1, 2, {{0x10, 4, {}}}), {9, 0});
  EXPECT_TRUE(AddDescriptor(t, service, 0, ServicePage("1", "ab", "xyz")));
  EXPECT_EQ(DumpTree(t.tree, service),
            "service_id: 0x0010 (16)\n"
            "  eit_schedule_flag: 0x0\n"
            "  eit_present_following_flag: 0x1\n"
            "  runing_status: 0x4\n"
            "  free_CA_mode: 0x0\n"
            "  descriptor_loop_length: 0xa\n"
            "  descriptors\n"
            "    descriptor_tag: 0x48\n"
            "      descriptor_length(byte): 8\n"
            "      descriptor_data\n"
            "        service_type: 0x1 => digital television service\n"
            "        service_provider_name_length: 0x2\n"
            "        service_provider_name: ab\n"
            "        service_name_length: 0x3\n"
            "        service_name: xyz\n");
  const ItemHandle item = t.At(service, {5, 0});
  EXPECT_EQ(t.tree.GetSelectedItem(), item);
  EXPECT_TRUE(t.tree.IsExpanded(item));
  EXPECT_TRUE(t.tree.IsExpanded(t.At(item, {1})));
  EXPECT_EQ(t.tree.KindOf(t.At(service, {5})), NodeKind::SdtServiceDescriptorList);
  const SdtServiceDescriptor* d = t.Record(item).As<SdtServiceDescriptor>();
  ASSERT_TRUE(d);
  EXPECT_EQ(d->length, 8);
  EXPECT_EQ(d->provider_name_length, 2);
  EXPECT_EQ(d->service_name[2], 'z');
  EXPECT_EQ(t.Record(service).As<SdtService>()->descriptors_loop_length.get(), 10);
}

TEST(CSDTAddDesc, NamesAreEncodedByTheTextCode) {
  MpegTree t;              // a new tree reads the text code of setting.ini: set the code after it
  TextCodeScope code(10);  // selector 0x14, then UCS-2 big-endian
  const ItemHandle service = t.At(t.AddSdt(1, 1, 2, {{0x10, 4, {}}}), {9, 0});
  EXPECT_TRUE(AddDescriptor(t, service, 0, ServicePage("0x19", "ab", "xyz")));
  const ItemHandle item = t.At(service, {5, 0});
  const SdtServiceDescriptor* d = t.Record(item).As<SdtServiceDescriptor>();
  EXPECT_EQ(d->provider_name_length, 5);
  EXPECT_EQ(d->service_name_length, 7);
  EXPECT_EQ(d->length, 15);
  EXPECT_EQ(std::vector<uint8_t>(d->provider_name.begin(), d->provider_name.begin() + 5),
            (std::vector<uint8_t>{0x14, 0, 'a', 0, 'b'}));
  EXPECT_EQ(DumpTree(t.tree, t.At(item, {1})),
            "descriptor_data\n"
            "  service_type: 0x19 => \n"
            "  service_provider_name_length: 0x5\n"
            "  service_provider_name: ab\n"
            "  service_name_length: 0x7\n"
            "  service_name: xyz\n");
  EXPECT_EQ(t.tree.GetItemText(t.At(item, {0})), "descriptor_length(byte): 15");
  EXPECT_EQ(t.tree.GetItemText(t.At(service, {4})), "descriptor_loop_length: 0x11");
}

TEST(CSDTAddDesc, LoopLengthGrowsByEachPage) {
  MpegTree t;
  TextCodeScope code(0);
  const ItemHandle service = t.At(t.AddSdt(1, 1, 2, {{0x10, 4, {Descriptor(0x5f, {0, 0, 0, 0x28})}}}), {9, 0});
  EXPECT_TRUE(AddDescriptor(t, service, 1, OtherPage("0x87", "3", "aa BB cc")));
  const ItemHandle holder = t.At(service, {5});
  EXPECT_EQ(DumpTree(t.tree, t.At(holder, {1})),
            "descriptor_tag: 0x87\n  descriptor_length(byte): 3\n  descriptor_data(hex): aa BB cc \n");
  EXPECT_EQ(t.tree.GetSelectedItem(), t.At(holder, {1}));
  EXPECT_EQ(t.tree.KindOf(t.At(holder, {1})), NodeKind::SdtDescriptor);
  EXPECT_EQ(t.tree.GetItemText(t.At(service, {4})), "descriptor_loop_length: 0xb");

  EXPECT_TRUE(AddDescriptor(t, service, 2, LinkagePage("2", "0102")));
  EXPECT_EQ(t.tree.KindOf(t.At(holder, {2})), NodeKind::SdtLinkageDescriptor);
  EXPECT_EQ(t.tree.GetItemText(t.At(holder, {2})), "descriptor_tag: 0x4a =>link_age_descriptor");
  EXPECT_EQ(t.tree.GetItemText(t.At(service, {4})), "descriptor_loop_length: 0x16");
  EXPECT_EQ(t.Record(service).As<SdtService>()->descriptors_loop_length.get(), 0x16);
  EXPECT_EQ(t.tree.LoopBytes(holder), 0x16);
}

TEST(CSDTAddDesc, ARefusedPageLeavesOnlyTheNewHolder) {
  struct Case {
    int page;
    std::function<void(CSDTAddDesc&)> fill;
    const char* message;
    int focus;
  } cases[] = {
      {0, ServicePage(" ", "a", "b"), "service_type can not be null!", page1::kServiceType},
      {0, ServicePage("1", "", "b"), "service_provider_name can not be null!", page1::kProviderName},
      {0, ServicePage("1", "a", "\t"), "service_name can not be null!", page1::kServiceName},
      {1, OtherPage("", "1", "00"), "Descriptor_tag can not be null!", page2::kTag},
      {1, OtherPage("1", "2", "00"), "The data is error!", page2::kData},
  };
  for (const Case& c : cases) {
    MpegTree t;
    TextCodeScope code(0);
    const ItemHandle service = t.Select(t.At(t.AddSdt(1, 1, 2, {{0x10, 4, {}}}), {9, 0}));
    const std::string before = t.Snapshot();
    EXPECT_FALSE(AddDescriptor(t, service, c.page, c.fill));
    ASSERT_EQ(t.ui.messages.size(), 1u);
    EXPECT_EQ(t.ui.LastText(), c.message);
    // the holder is inserted before the page is checked; nothing else changes
    const ItemHandle holder = t.At(service, {5});
    EXPECT_EQ(t.tree.KindOf(holder), NodeKind::SdtServiceDescriptorList);
    EXPECT_EQ(t.tree.ChildCount(holder), 0);
    t.tree.DeleteItem(holder);
    EXPECT_EQ(t.Snapshot(), before);
  }
  // with a holder already there, a refusal changes nothing
  MpegTree t;
  const ItemHandle service = t.Select(t.At(t.AddSdt(1, 1, 2, {{0x10, 4, {Descriptor(0x5f, {1, 2, 3, 4})}}}), {9, 0}));
  const std::string before = t.Snapshot();
  EXPECT_FALSE(AddDescriptor(t, service, 0, ServicePage("1", "a", "")));
  EXPECT_EQ(t.Snapshot(), before);
}

TEST(CSDTAddDesc, NamesThatDoNotFitTheLengthByteAreRefused) {
  MpegTree t;
  TextCodeScope code(0);
  const ItemHandle service = t.Select(t.At(t.AddSdt(1, 1, 2, {{0x10, 4, {Descriptor(0x5f, {1, 2, 3, 4})}}}), {9, 0}));
  const std::string before = t.Snapshot();
  const std::string provider(200, 'p');
  const std::string tooLong(53, 's');
  EXPECT_FALSE(AddDescriptor(t, service, 0, ServicePage("1", provider.c_str(), tooLong.c_str())));
  EXPECT_EQ(t.ui.LastText(), "service_provider_name and service_name can't be longer than 252 bytes together!");
  EXPECT_EQ(t.Snapshot(), before);

  const std::string fits(52, 's');
  EXPECT_TRUE(AddDescriptor(t, service, 0, ServicePage("1", provider.c_str(), fits.c_str())));
  const SdtServiceDescriptor* d = t.Record(t.tree.GetSelectedItem()).As<SdtServiceDescriptor>();
  EXPECT_EQ(d->length, 255);
  EXPECT_EQ(d->provider_name_length, 200);
  EXPECT_EQ(t.Record(service).As<SdtService>()->descriptors_loop_length.get(), 6 + 257);
}

TEST(CSDTAddDesc, ALinkagePageThatAddsNothingStillClosesTheDialog) {
  MpegTree t;
  const ItemHandle service = t.At(t.AddSdt(1, 1, 2, {{0x10, 4, {}}}), {9, 0});
  EXPECT_TRUE(AddDescriptor(t, service, 2, LinkagePage("2", "01")));  // too short: focus only
  EXPECT_TRUE(t.ui.messages.empty());
  EXPECT_EQ(t.tree.ChildCount(t.At(service, {5})), 0);
  EXPECT_EQ(t.tree.GetItemText(t.At(service, {4})), "descriptor_loop_length: 0x0");
  EXPECT_EQ(t.Record(service).As<SdtService>()->descriptors_loop_length.get(), 0);
}

}  // namespace
}  // namespace quorvelin::test
