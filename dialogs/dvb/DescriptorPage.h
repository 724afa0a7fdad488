// A page of a descriptor tab dialog: the dialog's Ok runs the add operation of the page that
// is showing, and closes when it succeeds.
#pragma once

#include "dialogs/common/Form.h"
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
  TableTreeCtrl& tree_;
};

}  // namespace quorvelin
