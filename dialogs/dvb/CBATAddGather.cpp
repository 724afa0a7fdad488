#include "dialogs/dvb/CBATAddGather.h"

#include "dialogs/dvb/NitBatLoops.h"

namespace quorvelin {

using namespace dvb_ids::bat_gather;

bool CBATAddGather::OnOK() {
  static constexpr LoopHolderSpec kBouquetDescriptors{NodeKind::BatBouquetDescriptorList,
                                                      "bouqet_descriptors is exist!", "bouquet_descriptors_length",
                                                      "bouquet_descriptors"};
  static constexpr LoopHolderSpec kTransportStreams{NodeKind::BatTransportStreamList, "transport_streams is exist!",
                                                    "transport_stream_loop_length", "transport_streams"};
  const ItemHandle section = tree_.GetSelectedItem();
  if (tree_.KindOf(section) != NodeKind::BatSection) return true;
  return AddLoopHolder(*this, tree_, section, ComboIndex(kType) == 0 ? kBouquetDescriptors : kTransportStreams, kType);
}

}  // namespace quorvelin
