#include "dialogs/mpeg/CPMTAddDescType.h"

#include "resources/MpegDialogIds.h"

namespace quorvelin {
namespace {

using namespace mpeg_ids::pmt_type;

bool Contains(const std::string& text, const char* part) { return text.find(part) != std::string::npos; }

// The child after which a heading goes: the "program_info_length" line, or the child just before
// the "CRC_32" line; none when the line is missing.
ItemHandle HeadingPlace(const TableTreeCtrl& tree, ItemHandle section, NodeKind kind) {
  for (ItemHandle c = tree.GetChildItem(section); c != kNoItem; c = tree.GetNextSiblingItem(c)) {
    if (kind == NodeKind::PmtProgramInfoList) {
      if (Contains(tree.GetItemText(c), "program_info_length")) return c;
    } else if (const ItemHandle next = tree.GetNextSiblingItem(c); next && Contains(tree.GetItemText(next), "CRC_32")) {
      return c;
    }
  }
  return kNoItem;
}

}  // namespace

CPMTAddDescType::CPMTAddDescType(TableTreeCtrl& tree, Ui& ui) : Form(kTemplate, ui), tree_(tree) {}

void CPMTAddDescType::OnInitDialog() {
  Form::OnInitDialog();
  SetButtonsOkCancel();
  title = "Add Type";
  SetComboIndex(kType, 0);
}

bool CPMTAddDescType::OnOK() {
  const bool components = ComboIndex(kType) != 0;
  const NodeKind kind = components ? NodeKind::PmtComponentList : NodeKind::PmtProgramInfoList;
  const ItemHandle section = tree_.GetSelectedItem();
  if (tree_.KindOf(section) != NodeKind::PmtSection) return true;
  if (tree_.FindDirectChildOfKind(section, kind)) return Refuse("The node of this type is exist!", kType);

  const ItemHandle after = HeadingPlace(tree_, section, kind);
  if (!after) return true;
  const ItemHandle heading = tree_.InsertRecordItem(components ? "components" : "program_info_descriptors", kImageLine,
                                                    section, MakeHolder(kind), after);
  tree_.SelectItem(heading);
  return true;
}

}  // namespace quorvelin
