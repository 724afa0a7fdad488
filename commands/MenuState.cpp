#include "commands/MenuState.h"

namespace quorvelin {
namespace {

struct Enabling {
  bool add, del, modify;
};

Enabling EnablingOf(NodeKind kind) {
  using K = NodeKind;
  switch (kind) {
    case K::PatRoot: case K::PmtRoot: case K::SdtRoot: case K::NitRoot: case K::CatRoot: case K::BatRoot:
      return {true, false, false};
    case K::TdtRoot: case K::TotRoot:
      return {true, true, true};
    case K::PatSection:
      return {false, false, true};
    case K::PatProgramList:
      return {true, false, false};
    case K::PatProgram:
      return {false, true, true};
    case K::PmtProgram:
      return {false, true, false};
    case K::PmtSection:
      return {true, false, true};
    case K::PmtProgramInfoList: case K::PmtComponentList:
      return {true, true, false};
    case K::PmtProgramInfoDescriptor: case K::PmtEsDescriptor: case K::PmtCaDescriptor:
      return {false, true, false};
    case K::PmtComponent:
      return {true, true, true};
    case K::SdtSection:
      return {false, true, true};
    case K::SdtServiceList:
      return {true, false, false};
    case K::SdtService:
      return {true, true, true};
    case K::SdtServiceDescriptorList: case K::SdtDescriptor: case K::SdtLinkageDescriptor:
      return {false, true, false};
    case K::SdtServiceDescriptor:
      return {false, true, true};
    case K::CatSection:
      return {true, true, false};
    case K::CatDescriptorList: case K::CatCaDescriptor: case K::CatDescriptor:
      return {false, true, false};
    case K::NitSection: case K::NitNetworkDescriptorList: case K::NitTransportStreamList:
      return {true, true, false};
    case K::NitNetworkDescriptor: case K::NitTransportDescriptor: case K::NitLinkageDescriptor:
      return {false, true, false};
    case K::NitNetworkName: case K::NitTransportNetworkName: case K::NitCableDelivery:
    case K::NitSatelliteDelivery: case K::NitTerrestrialDelivery:
      return {false, true, true};
    case K::NitTransportStream:
      return {true, true, true};
    case K::NitServiceList: case K::NitLogicalChannels:
      return {false, true, true};
    case K::BatSection: case K::BatBouquetDescriptorList: case K::BatTransportStreamList:
    case K::BatTransportStream:
      return {true, true, false};
    case K::BatServiceList: case K::BatDescriptor: case K::BatBouquetName:
      return {false, true, true};
    default:  // PmtEsDescriptorList, NitTransportDescriptorList, BatTransportDescriptorList, ...
      return {false, false, false};
  }
}

}  // namespace

MenuFlags MenuFlagsFor(NodeKind kind, bool hasRecord) {
  MenuFlags f;
  f.submit = true;
  if (!hasRecord) return f;
  const Enabling e = EnablingOf(kind);
  f.add = e.add;
  f.del = e.del;
  f.modify = e.modify;
  f.modifyNit = kind == NodeKind::NitSection;
  f.saveLoad = kind == NodeKind::NitRoot || kind == NodeKind::BatRoot || kind == NodeKind::CatRoot;
  return f;
}

}  // namespace quorvelin
