#include "dialogs/mpeg/CCatDesPMT.h"

#include "dialogs/mpeg/PmtDescriptorLoops.h"
#include "resources/MpegDialogIds.h"
#include "tree/LoopLengths.h"
#include "util/Number.h"

namespace quorvelin {

CCatDesPMT::CCatDesPMT(TableTreeCtrl& tree, Ui& ui) : CaDescriptorForm(mpeg_ids::ca_form::kPmtPageTemplate, tree, ui) {}

bool CCatDesPMT::AddDesc() {
  const std::optional<Input> input = ReadFields();
  if (!input) return false;
  const ItemHandle selected = tree_.GetSelectedItem();
  const ItemHandle holder = PmtDescriptorHolder(tree_, selected);
  if (!holder) return true;
  InsertDescriptor(holder, NodeKind::PmtCaDescriptor, *input);

  if (holder == selected) {  // program-info loop: the section's length grows by the descriptor
    GrowLoop(tree_, holder, input->descriptor.length + 2);
  } else if (const ItemHandle line = UpdateEsInfoLength(tree_, selected, holder)) {
    tree_.SelectItem(line);
  }
  return true;
}

}  // namespace quorvelin
