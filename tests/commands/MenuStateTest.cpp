#include <gtest/gtest.h>

#include "commands/MenuState.h"

namespace quorvelin {
namespace {

struct Row {
  NodeKind kind;
  bool add, del, modify;
};

TEST(MenuFlags, EnablingTableForEveryKind) {
  using K = NodeKind;
  const Row rows[] = {
      {K::PatRoot, 1, 0, 0}, {K::PmtRoot, 1, 0, 0}, {K::SdtRoot, 1, 0, 0}, {K::NitRoot, 1, 0, 0},
      {K::CatRoot, 1, 0, 0}, {K::BatRoot, 1, 0, 0}, {K::TdtRoot, 1, 1, 1}, {K::TotRoot, 1, 1, 1},
      {K::PatSection, 0, 0, 1}, {K::PatProgramList, 1, 0, 0}, {K::PatProgram, 0, 1, 1}, {K::PmtProgram, 0, 1, 0},
      {K::PmtSection, 1, 0, 1}, {K::PmtProgramInfoList, 1, 1, 0}, {K::PmtComponentList, 1, 1, 0},
      {K::PmtProgramInfoDescriptor, 0, 1, 0}, {K::PmtEsDescriptor, 0, 1, 0}, {K::PmtCaDescriptor, 0, 1, 0},
      {K::PmtComponent, 1, 1, 1}, {K::PmtEsDescriptorList, 0, 0, 0}, {K::SdtSection, 0, 1, 1},
      {K::SdtServiceList, 1, 0, 0}, {K::SdtService, 1, 1, 1}, {K::SdtServiceDescriptorList, 0, 1, 0},
      {K::SdtServiceDescriptor, 0, 1, 0}, {K::SdtDescriptor, 0, 1, 0}, {K::SdtLinkageDescriptor, 0, 1, 0},
      {K::CatSection, 1, 1, 0}, {K::CatDescriptorList, 0, 1, 0}, {K::CatCaDescriptor, 0, 1, 0},
      {K::NitSection, 1, 1, 0}, {K::NitNetworkDescriptorList, 1, 1, 0}, {K::NitTransportStreamList, 1, 1, 0},
      {K::NitNetworkName, 0, 1, 0}, {K::NitNetworkDescriptor, 0, 1, 0}, {K::NitTransportDescriptor, 0, 1, 0},
      {K::NitCableDelivery, 0, 1, 0}, {K::NitLinkageDescriptor, 0, 1, 0}, {K::NitSatelliteDelivery, 0, 1, 0},
      {K::NitTransportNetworkName, 0, 1, 0}, {K::NitTerrestrialDelivery, 0, 1, 0},
      {K::NitTransportStream, 1, 1, 1}, {K::NitTransportDescriptorList, 0, 0, 0}, {K::NitServiceList, 0, 1, 1},
      {K::NitLogicalChannels, 0, 1, 1}, {K::BatSection, 1, 1, 0}, {K::BatBouquetDescriptorList, 1, 1, 0},
      {K::BatTransportStreamList, 1, 1, 0}, {K::BatTransportStream, 1, 1, 0},
      {K::BatTransportDescriptorList, 0, 0, 0}, {K::BatServiceList, 0, 1, 1}, {K::BatDescriptor, 0, 1, 1},
      {K::BatBouquetName, 0, 1, 1},
  };
  for (const Row& r : rows) {
    const MenuFlags f = MenuFlagsFor(r.kind, true);
    EXPECT_EQ(f.add, r.add) << KindName(r.kind);
    EXPECT_EQ(f.del, r.del) << KindName(r.kind);
    EXPECT_EQ(f.modify, r.modify) << KindName(r.kind);
    EXPECT_TRUE(f.submit);
    EXPECT_EQ(f.modifyNit, r.kind == K::NitSection) << KindName(r.kind);
    EXPECT_EQ(f.saveLoad, r.kind == K::NitRoot || r.kind == K::BatRoot || r.kind == K::CatRoot) << KindName(r.kind);
  }
}

TEST(MenuFlags, ItemWithoutRecordAllowsOnlySubmit) {
  const MenuFlags f = MenuFlagsFor(NodeKind::None, false);
  EXPECT_TRUE(f.submit);
  EXPECT_FALSE(f.add || f.del || f.modify || f.modifyNit || f.saveLoad);
}

}  // namespace
}  // namespace quorvelin
