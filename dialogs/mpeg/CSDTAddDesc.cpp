#include "dialogs/mpeg/CSDTAddDesc.h"

#include "dialogs/common/TreeLines.h"
#include "resources/MpegDialogIds.h"
#include "util/Number.h"

namespace quorvelin {
namespace {

enum Page { kServicePage = 0, kOtherPage = 1, kLinkagePage = 2 };

}  // namespace

CSDTAddDesc::CSDTAddDesc(TableTreeCtrl& tree, Ui& ui)
    : DescriptorTabDialog(mpeg_ids::sdt_descriptor::kTemplate, tree, ui),
      service_(tree, ui),
      other_(tree, ui),
      linkage_(tree, ui) {}

void CSDTAddDesc::OnInitDialog() {
  DescriptorTabDialog::OnInitDialog();
  SetButtonsOkCancel();
  title = "Add Descriptor";
  AddPage("Service Descriptor", service_);
  AddPage("Other Descriptor", other_);
  AddPage("Link_age", linkage_);
  sheet_.Show();
}

bool CSDTAddDesc::OnOK() {
  const ItemHandle serviceItem = tree_.GetSelectedItem();
  SdtService* service = SelectedPayload<SdtService>(tree_, NodeKind::SdtService);
  if (!service) return true;
  ItemHandle holder = tree_.FindDirectChildOfKind(serviceItem, NodeKind::SdtServiceDescriptorList);
  if (!holder)
    holder =
        tree_.InsertRecordItem("descriptors", kImageLine, serviceItem, MakeHolder(NodeKind::SdtServiceDescriptorList));

  int added = 0;
  switch (sheet_.GetCurSel()) {
    case kServicePage:
      service_.SetHolder(holder);
      if (!service_.AddDesc()) return false;
      added = service_.AddedBytes();
      break;
    case kOtherPage:
      other_.SetHolder(holder);
      if (!other_.AddDesc()) return false;
      added = other_.AddedBytes();
      break;
    case kLinkagePage:
      linkage_.SetType(CDlgNITLinkage::kSdtServiceLoop);
      linkage_.SetCurItem(holder);
      linkage_.AddDesc();  // the dialog goes on whatever the page did; a refused page adds 0
      added = linkage_.GetLength();
      break;
    default:
      return true;
  }
  service->descriptors_loop_length.add(added);
  RewriteLineBefore(tree_, holder, Format("descriptor_loop_length: 0x%x", service->descriptors_loop_length.get()));
  return true;
}

}  // namespace quorvelin
