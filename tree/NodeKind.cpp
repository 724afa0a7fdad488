#include "tree/NodeKind.h"

namespace quorvelin {

namespace {
struct KindEntry {
  NodeKind kind;
  const char* name;
};
#define Q_KIND(k) {NodeKind::k, #k}
constexpr KindEntry kKinds[] = {
    Q_KIND(PatRoot), Q_KIND(PmtRoot), Q_KIND(SdtRoot), Q_KIND(NitRoot), Q_KIND(CatRoot), Q_KIND(BatRoot),
    Q_KIND(TdtRoot), Q_KIND(TotRoot), Q_KIND(PatSection), Q_KIND(PatProgramList), Q_KIND(PatProgram),
    Q_KIND(PmtProgram), Q_KIND(PmtSection), Q_KIND(PmtProgramInfoList), Q_KIND(PmtProgramInfoDescriptor),
    Q_KIND(PmtComponentList), Q_KIND(PmtComponent), Q_KIND(PmtEsDescriptorList), Q_KIND(PmtEsDescriptor),
    Q_KIND(PmtCaDescriptor), Q_KIND(SdtSection), Q_KIND(SdtServiceList), Q_KIND(SdtService),
    Q_KIND(SdtServiceDescriptorList), Q_KIND(SdtServiceDescriptor), Q_KIND(SdtDescriptor),
    Q_KIND(SdtLinkageDescriptor), Q_KIND(CatSection), Q_KIND(CatDescriptorList), Q_KIND(CatCaDescriptor),
    Q_KIND(CatDescriptor),
    Q_KIND(NitSection), Q_KIND(NitNetworkDescriptorList), Q_KIND(NitNetworkName), Q_KIND(NitNetworkDescriptor),
    Q_KIND(NitTransportStreamList), Q_KIND(NitTransportStream), Q_KIND(NitTransportDescriptorList),
    Q_KIND(NitTransportDescriptor), Q_KIND(NitCableDelivery), Q_KIND(NitServiceList),
    Q_KIND(NitLinkageDescriptor), Q_KIND(NitSatelliteDelivery), Q_KIND(NitTransportNetworkName),
    Q_KIND(NitLogicalChannels), Q_KIND(NitTerrestrialDelivery), Q_KIND(BatSection),
    Q_KIND(BatBouquetDescriptorList), Q_KIND(BatTransportStreamList), Q_KIND(BatTransportStream),
    Q_KIND(BatTransportDescriptorList), Q_KIND(BatServiceList), Q_KIND(BatDescriptor), Q_KIND(BatBouquetName),
};
#undef Q_KIND
}  // namespace

bool IsValidKind(uint32_t code) {
  for (const auto& e : kKinds)
    if (KindCode(e.kind) == code) return true;
  return false;
}

const char* KindName(NodeKind k) {
  for (const auto& e : kKinds)
    if (e.kind == k) return e.name;
  return "None";
}

}  // namespace quorvelin
