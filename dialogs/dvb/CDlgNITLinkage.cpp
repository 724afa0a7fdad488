#include "dialogs/dvb/CDlgNITLinkage.h"

#include <vector>

#include "dialogs/common/FieldRange.h"
#include "dialogs/dvb/NitBatLoops.h"
#include "sections/descriptors/Linkage.h"
#include "util/Number.h"

namespace quorvelin {

using namespace dvb_ids::linkage;

CDlgNITLinkage::CDlgNITLinkage(TableTreeCtrl& tree, Ui& ui, bool add)
    : DescriptorPage(kTemplate, tree, ui), add_(add) {}

void CDlgNITLinkage::OnInitDialog() {
  DescriptorPage::OnInitDialog();
  IniCtrl();
}

void CDlgNITLinkage::IniCtrl() {
  SetText(kTag, "0x4A");
  Value(kTag).enabled = false;
}

bool CDlgNITLinkage::AddDesc() {
  length_ = 0;
  // No emptiness checks on this page: an empty number field reads as 0.
  const auto tag = ReadFieldOrZero(*this, kTag, kByteField);
  if (!tag) return false;
  const auto tsid = ReadFieldOrZero(*this, kTransportStreamId, kIdField);
  if (!tsid) return false;
  const auto onid = ReadFieldOrZero(*this, kOriginalNetworkId, kIdField);
  if (!onid) return false;
  const auto serviceId = ReadFieldOrZero(*this, kServiceId, kIdField);
  if (!serviceId) return false;
  const int listed = ComboIndex(kLinkageType);
  const auto linkageType =
      listed >= 0 ? std::optional<uint32_t>(listed) : ReadFieldOrZero(*this, kLinkageType, kByteField);
  if (!linkageType) return false;
  const auto dataLength = ReadFieldOrZero(*this, kDataLength, {0, kMaxPrivateData});
  if (!dataLength) return false;
  const int n = static_cast<int>(*dataLength);
  std::vector<uint8_t> data(static_cast<size_t>(n) + 1);
  std::string hex;
  if (!ReadHexData(*this, kPrivateData, kDataLength, Text(kPrivateData), n, hex, data.data())) return false;
  data.resize(static_cast<size_t>(n));

  // Where the descriptor goes, and the one it replaces.
  ItemHandle parent = kNoItem;
  ReplacedDescriptor replaced;
  if (type_ == kSdtServiceLoop) {
    parent = curItem_;
    if (!tree_.IsValid(parent)) return false;
  } else {
    if (add_) {
      parent = tree_.GetSelectedItem();
    } else {
      const auto old = DescriptorToReplace(tree_, tree_.GetSelectedItem(), NodeKind::NitLinkageDescriptor);
      if (!old) return false;
      replaced = *old;
      parent = replaced.holder;
    }
    if (tree_.KindOf(parent) != NodeKind::NitNetworkDescriptorList) return false;
    const LoopSectionHeader* section = LoopHeaderOf(tree_, tree_.GetParentItem(parent));
    if (!section) return false;
    if (!LoopSectionHasRoom(*section, n + 9 - replaced.size)) return Refuse(kSectionFullMessage, kDataLength);
  }

  LinkageDescriptor d;
  d.tag = static_cast<uint8_t>(*tag);
  d.length = static_cast<uint8_t>(n + 7);
  d.transport_stream_id = static_cast<uint16_t>(*tsid);
  d.original_network_id = static_cast<uint16_t>(*onid);
  d.service_id = static_cast<uint16_t>(*serviceId);
  d.linkage_type = static_cast<uint8_t>(*linkageType);
  d.private_data = std::move(data);
  const int size = d.length + 2;
  const NodeKind kind = type_ == kSdtServiceLoop ? NodeKind::SdtLinkageDescriptor : NodeKind::NitLinkageDescriptor;

  PutDescriptor(tree_, parent, *MakeRecord(kind, std::move(d)), replaced);

  if (type_ == kSdtServiceLoop)
    length_ = size;
  else
    GrowLoop(tree_, parent, size - replaced.size);
  return true;
}

}  // namespace quorvelin
