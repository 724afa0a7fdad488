#include "dialogs/mpeg/CSDTAddDesc.h"

#include "dialogs/dvb/NitBatLoops.h"
#include "resources/MpegDialogIds.h"
#include "tree/LoopLengths.h"
#include "util/Number.h"

namespace quorvelin {
namespace {

enum Page { kServicePage = 0, kOtherPage = 1, kLinkagePage = 2 };

}  // namespace

CSDTAddDesc::CSDTAddDesc(TableTreeCtrl& tree, Ui& ui, Mode mode)
    : DescriptorTabDialog(mpeg_ids::sdt_descriptor::kTemplate, tree, ui),
      service_(tree, ui),
      other_(tree, ui),
      linkage_(tree, ui),
      mode_(mode) {}

void CSDTAddDesc::OnInitDialog() {
  DescriptorTabDialog::OnInitDialog();
  SetButtonsOkCancel();
  title = mode_ == Mode::Add ? "Add Descriptor" : "Modify Descriptor";
  AddPage("service_descriptor", service_);
  AddPage("Other Descriptor", other_);
  AddPage("linkage_descriptor", linkage_);
  if (mode_ == Mode::ModifyService) {
    replaced_ = DescriptorToReplace(tree_, tree_.GetSelectedItem(), NodeKind::SdtServiceDescriptor);
    if (replaced_) service_.SetReplaced(*replaced_);
    tabLock_ = 1;
  }
  sheet_.Show();
}

bool CSDTAddDesc::OnOK() {
  if (mode_ == Mode::ModifyService) {
    if (!replaced_ || sheet_.GetCurSel() != kServicePage) return true;
    service_.SetHolder(replaced_->holder);
    if (!service_.AddDesc()) return false;
    GrowLoop(tree_, replaced_->holder, service_.AddedBytes());
    return true;
  }
  const ItemHandle serviceItem = tree_.GetSelectedItem();
  SdtService* service = SelectedPayload<SdtService>(tree_, NodeKind::SdtService);
  if (!service) return true;
  ItemHandle holder = tree_.FindDirectChildOfKind(serviceItem, NodeKind::SdtServiceDescriptorList);
  const bool newHolder = holder == kNoItem;
  if (newHolder)
    holder =
        tree_.InsertRecordItem("descriptors", kImageLine, serviceItem, MakeHolder(NodeKind::SdtServiceDescriptorList));

  int added = 0;
  bool done = true;
  switch (sheet_.GetCurSel()) {
    case kServicePage:
      service_.SetHolder(holder);
      done = service_.AddDesc();
      added = service_.AddedBytes();
      break;
    case kOtherPage:
      other_.SetHolder(holder);
      done = other_.AddDesc();
      added = other_.AddedBytes();
      break;
    case kLinkagePage:
      linkage_.SetType(CDlgNITLinkage::kSdtServiceLoop);
      linkage_.SetCurItem(holder);
      done = linkage_.AddDesc();
      added = linkage_.GetLength();
      break;
    default:
      break;
  }
  if (!done || added == 0) {
    // a refused page leaves the tree as it was: the holder made for it goes again
    if (newHolder) RemoveItem(tree_, holder);
    return done;
  }
  GrowLoop(tree_, holder, added);
  return true;
}

}  // namespace quorvelin
