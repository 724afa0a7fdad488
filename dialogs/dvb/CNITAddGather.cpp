#include "dialogs/dvb/CNITAddGather.h"

#include "dialogs/dvb/NitBatLoops.h"

namespace quorvelin {

using namespace dvb_ids::nit_gather;

void CNITAddGather::OnInitDialog() {
  Form::OnInitDialog();
  SetButtonsOkCancel();
  title = "Add NIT Descriptor type";
  SetComboIndex(kType, 0);
}

bool CNITAddGather::OnOK() {
  static constexpr LoopHolderSpec kNetworkDescriptors{NodeKind::NitNetworkDescriptorList,
                                                      "network_descriptors is exist!", "network_descriptors_length",
                                                      "network_descriptors"};
  static constexpr LoopHolderSpec kTransportStreams{NodeKind::NitTransportStreamList, "transport_streams is exist!",
                                                    "transport_stream_loop_length", "transport_streams"};
  const ItemHandle section = tree_.GetSelectedItem();
  if (tree_.KindOf(section) != NodeKind::NitSection) return true;
  return AddLoopHolder(*this, tree_, section, ComboIndex(kType) == 0 ? kNetworkDescriptors : kTransportStreams, kType);
}

}  // namespace quorvelin
