// A page of a descriptor tab dialog: the dialog's Ok runs the add operation of the page that
// is showing, and closes when it succeeds.
#pragma once

#include <optional>
#include <string>

#include "dialogs/common/Form.h"
#include "dialogs/dvb/NitBatLoops.h"
#include "tree/TableTreeCtrl.h"

namespace quorvelin {

class DescriptorPage : public Form {
 public:
  DescriptorPage(int templateId, TableTreeCtrl& tree, Ui& ui) : Form(templateId, ui), tree_(tree) {}

  // Checks the fields and writes the descriptor into the tree; false keeps the dialog open
  // with the tree unchanged.
  virtual bool AddDesc() = 0;
  // Enter inside a page sends Ok to the page; a page never ends itself.
  bool OnOK() override { return false; }

 protected:
  // Entry `index` of a list control of the page's template; empty when there is none.
  std::string EntryText(int controlId, int index) const;
  // The transport stream `stream` of `streamKind` when its section has room for `growth` more
  // bytes; a full section is refused with its message and the focus on `focus`.
  std::optional<StreamPlace> StreamWithRoom(ItemHandle stream, NodeKind streamKind, int growth, int focus);
  // Where a transport descriptor of `size` bytes goes: the selected NIT transport stream, or, when
  // `replaced` is a kind, the stream of the selected descriptor of that kind, which it replaces.
  struct StreamTarget {
    StreamPlace place;
    ReplacedDescriptor old;
  };
  std::optional<StreamTarget> TargetStream(std::optional<NodeKind> replaced, int size, int focus);

  TableTreeCtrl& tree_;
};

}  // namespace quorvelin
