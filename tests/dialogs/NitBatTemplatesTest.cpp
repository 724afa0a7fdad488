// The NIT and BAT templates hold every control their dialogs use.
#include <gtest/gtest.h>

#include <set>

#include "dialogs/dvb/CAddBat.h"
#include "dialogs/dvb/CBATAddBouquetDes.h"
#include "dialogs/dvb/CBATAddGather.h"
#include "dialogs/dvb/CBATAddStreamDes.h"
#include "dialogs/dvb/CDlgModifyNIT.h"
#include "dialogs/dvb/CNITAdd.h"
#include "dialogs/dvb/CNITAddGather.h"
#include "dialogs/dvb/CNITAddNWDes.h"
#include "dialogs/dvb/CNITAddStreamDes.h"
#include "dialogs/dvb/CNITAddTranStream.h"

namespace quorvelin::test {
namespace {

TEST(NitBatTemplatesTest, EveryControlOfTheDialogsIsInItsTemplate) {
  const struct {
    int templateId;
    std::vector<int> controls;
  } uses[] = {
      {CNITAdd::kTemplate, {CNITAdd::kSectionNumber, CNITAdd::kNetworkId}},
      {CDlgModifyNIT::kTemplate,
       {CDlgModifyNIT::kVersionNumber, CDlgModifyNIT::kNetworkId, CDlgModifyNIT::kCurrentNext}},
      {CNITAddGather::kTemplate, {CNITAddGather::kType}},
      {CNITAddTranStream::kTemplate, {CNITAddTranStream::kTransportStreamId, CNITAddTranStream::kOriginalNetworkId}},
      {CNITAddNWDes::kTemplate, {DescriptorTabDialog::kTabControl}},
      {CNITAddStreamDes::kTemplate, {DescriptorTabDialog::kTabControl}},
      {CBATAddBouquetDes::kTemplate, {DescriptorTabDialog::kTabControl}},
      {CBATAddStreamDes::kTemplate, {DescriptorTabDialog::kTabControl}},
      {CNITAddNetworkName::kTemplate, {CNITAddNetworkName::kTag, CNITAddNetworkName::kName}},
      {CBATAddBouquetName::kTemplate, {CBATAddBouquetName::kTag, CBATAddBouquetName::kName}},
      {CDlgNITLinkage::kTemplate,
       {CDlgNITLinkage::kTag, CDlgNITLinkage::kTransportStreamId, CDlgNITLinkage::kOriginalNetworkId,
        CDlgNITLinkage::kServiceId, CDlgNITLinkage::kLinkageType, CDlgNITLinkage::kDataLength,
        CDlgNITLinkage::kPrivateData}},
      {CNITAddCable::kTemplate,
       {DeliveryPage::kTag, DeliveryPage::kFrequency, CNITAddCable::kFecOuter, CNITAddCable::kModulation,
        CNITAddCable::kSymbolRate, CNITAddCable::kFecInner}},
      {CNITAddSatellite::kTemplate,
       {DeliveryPage::kTag, DeliveryPage::kFrequency, CNITAddSatellite::kOrbitalPosition,
        CNITAddSatellite::kWestEastFlag, CNITAddSatellite::kPolarization, CNITAddSatellite::kModulation,
        CNITAddSatellite::kSymbolRate, CNITAddSatellite::kFecInner}},
      {CNITAddTDS::kTemplate,
       {DeliveryPage::kTag, CNITAddTDS::kCentreFrequency, CNITAddTDS::kBandwidth, CNITAddTDS::kConstellation,
        CNITAddTDS::kHierarchy, CNITAddTDS::kCodeRateHp, CNITAddTDS::kCodeRateLp, CNITAddTDS::kGuardInterval,
        CNITAddTDS::kTransmissionMode, CNITAddTDS::kOtherFrequency}},
      {CDlgNITAddServiceList::kTemplate,
       {EntryListPage::kTag, EntryListPage::kServiceId, CDlgNITAddServiceList::kServiceType, EntryListPage::kList,
        EntryListPage::kAddRow, EntryListPage::kDeleteRow}},
      {CDlgNITAddLC::kTemplate,
       {EntryListPage::kTag, EntryListPage::kServiceId, CDlgNITAddLC::kVisible, CDlgNITAddLC::k10Bit,
        CDlgNITAddLC::k14Bit, CDlgNITAddLC::kChannelNumber, EntryListPage::kList, EntryListPage::kAddRow,
        EntryListPage::kDeleteRow}},
      {CAddBat::kTemplate, {CAddBat::kBouquetId, CAddBat::kVersionNumber}},
      {CBATAddGather::kTemplate, {CBATAddGather::kType}},
  };
  for (const auto& use : uses) {
    const DialogTemplate* t = FindDialogTemplate(use.templateId);
    ASSERT_NE(t, nullptr) << use.templateId;
    for (int id : use.controls)
      EXPECT_NE(t->Control(id), nullptr) << "template " << use.templateId << " control " << id;
  }
  for (int hex : {CNITAddUndefDes::kTemplate, CNITAddUndef1::kTemplate, CBATAddUndefDes::kTemplate}) {
    const DialogTemplate* t = FindDialogTemplate(hex);
    ASSERT_NE(t, nullptr);
    EXPECT_TRUE(t->childPage);
    EXPECT_EQ(t->Control(HexDescriptorPage::kData)->note, "(Hex Number)");
    EXPECT_TRUE(t->Control(HexDescriptorPage::kLength)->digitsOnly);
  }
}

TEST(NitBatTemplatesTest, TemplateIdsAreUnique) {
  std::set<int> ids;
  for (const DialogTemplate* t : AllDialogTemplates()) EXPECT_TRUE(ids.insert(t->id).second) << t->id;
}

}  // namespace
}  // namespace quorvelin::test
