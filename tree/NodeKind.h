// Kind codes of the records attached to tree items: table family in the high byte,
// role in the low byte (low byte 0x01 marks the head of a section).
#pragma once

#include <cstdint>

namespace quorvelin {

enum class NodeKind : uint32_t {
  None = 0,
  PatRoot = 0x0010,
  PmtRoot = 0x0011,
  SdtRoot = 0x0012,
  NitRoot = 0x0013,
  CatRoot = 0x0014,
  BatRoot = 0x0015,
  TdtRoot = 0x0600,
  TotRoot = 0x0700,

  PatSection = 0x0101,
  PatProgramList = 0x0102,
  PatProgram = 0x0103,

  PmtProgram = 0x0201,
  PmtSection = 0x0202,
  PmtProgramInfoList = 0x0203,
  PmtProgramInfoDescriptor = 0x0204,
  PmtComponentList = 0x0205,
  PmtComponent = 0x0206,
  PmtEsDescriptorList = 0x0207,
  PmtEsDescriptor = 0x0208,
  PmtCaDescriptor = 0x0209,

  SdtSection = 0x0301,
  SdtServiceList = 0x0302,
  SdtService = 0x0303,
  SdtServiceDescriptorList = 0x0304,
  SdtServiceDescriptor = 0x0305,
  SdtDescriptor = 0x0306,
  SdtLinkageDescriptor = 0x0307,

  CatSection = 0x0401,
  CatDescriptorList = 0x0402,
  CatCaDescriptor = 0x0403,
  CatDescriptor = 0x0404,  // any other descriptor, kept as its bytes

  NitSection = 0x0501,
  NitNetworkDescriptorList = 0x0502,
  NitNetworkName = 0x0503,
  NitNetworkDescriptor = 0x0504,
  NitTransportStreamList = 0x0505,
  NitTransportStream = 0x0506,
  NitTransportDescriptorList = 0x0507,
  NitTransportDescriptor = 0x0508,
  NitCableDelivery = 0x0509,
  NitServiceList = 0x0511,
  NitLinkageDescriptor = 0x0513,
  NitSatelliteDelivery = 0x0514,
  NitTransportNetworkName = 0x0515,
  NitLogicalChannels = 0x0516,
  NitTerrestrialDelivery = 0x0517,

  BatSection = 0x0801,
  BatBouquetDescriptorList = 0x0802,
  BatTransportStreamList = 0x0804,
  BatTransportStream = 0x0805,
  BatTransportDescriptorList = 0x0806,
  BatServiceList = 0x0811,
  BatDescriptor = 0x0812,
  BatBouquetName = 0x0815,
};

constexpr uint32_t KindCode(NodeKind k) { return static_cast<uint32_t>(k); }
constexpr bool IsSectionHead(NodeKind k) { return (KindCode(k) & 0xFF) == 0x01; }
constexpr bool IsTableRoot(NodeKind k) {
  return (KindCode(k) >= 0x10 && KindCode(k) <= 0x15) || k == NodeKind::TdtRoot || k == NodeKind::TotRoot;
}

}  // namespace quorvelin
