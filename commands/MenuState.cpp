#include "commands/MenuState.h"

#include "sections/descriptors/EditableKinds.h"

namespace quorvelin {
namespace {

struct Enabling {
  bool add, del, modify;
};

Enabling EnablingOf(NodeKind kind) {
  using K = NodeKind;
  if (IsDescriptorKind(kind)) return {false, true, IsModifiedInPlace(kind)};
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
    case K::PmtComponent:
      return {true, true, true};
    case K::SdtServiceDescriptorList: case K::CatDescriptorList:
      return {false, true, false};
    case K::SdtSection:
      return {false, true, true};
    case K::SdtServiceList:
      return {true, false, false};
    case K::SdtService:
      return {true, true, true};
    case K::CatSection:
      return {true, true, false};
    case K::NitSection: case K::NitNetworkDescriptorList: case K::NitTransportStreamList:
      return {true, true, false};
    case K::NitTransportStream:
      return {true, true, true};
    case K::BatSection: case K::BatBouquetDescriptorList: case K::BatTransportStreamList:
    case K::BatTransportStream:
      return {true, true, false};
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
