#include "dialogs/ModifyPages.h"

#include "dialogs/dvb/CBATAddBouquetDes.h"
#include "dialogs/dvb/CBATAddStreamDes.h"
#include "dialogs/dvb/CNITAddNWDes.h"
#include "dialogs/dvb/CNITAddStreamDes.h"
#include "dialogs/mpeg/CSDTAddDesc.h"

namespace quorvelin {
namespace {

// Runs the dialog `Dialog` in the mode `mode`.
template <class Dialog, auto mode>
bool Open(DialogRunner& runner, TableTreeCtrl& tree, Ui& ui) {
  Dialog dialog(tree, ui, mode);
  return runner.RunModal(dialog);
}

using K = NodeKind;
using Nit = CNITAddStreamDes::Mode;
using Bat = CBATAddStreamDes::Mode;
constexpr ModifyPage kPages[] = {
    {K::SdtServiceDescriptor, Open<CSDTAddDesc, CSDTAddDesc::Mode::ModifyService>},
    {K::NitNetworkName, Open<CNITAddNWDes, CNITAddNWDes::Mode::ModifyName>},
    {K::NitServiceList, Open<CNITAddStreamDes, Nit::ModifyServiceList>},
    {K::NitLogicalChannels, Open<CNITAddStreamDes, Nit::ModifyLogicalChannels>},
    {K::NitCableDelivery, Open<CNITAddStreamDes, Nit::ModifyCable>},
    {K::NitSatelliteDelivery, Open<CNITAddStreamDes, Nit::ModifySatellite>},
    {K::NitTerrestrialDelivery, Open<CNITAddStreamDes, Nit::ModifyTerrestrial>},
    {K::NitTransportNetworkName, Open<CNITAddStreamDes, Nit::ModifyNetworkName>},
    {K::BatBouquetName, Open<CBATAddBouquetDes, CBATAddBouquetDes::Mode::ModifyName>, true},
    {K::BatServiceList, Open<CBATAddStreamDes, Bat::ModifyServiceList>, true},
    {K::BatDescriptor, Open<CBATAddStreamDes, Bat::ModifyDescriptor>, true},
};

}  // namespace

const ModifyPage* FindModifyPage(NodeKind record) {
  for (const ModifyPage& p : kPages)
    if (p.record == record) return &p;
  return nullptr;
}

}  // namespace quorvelin
