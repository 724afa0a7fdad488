// A descriptor dialog of tab pages (its tab control kTabControl): Ok runs the add operation of the page
// that is showing and closes when it succeeds.
#pragma once

#include <cstdint>

#include "dialogs/dvb/CTabSheet.h"
#include "dialogs/dvb/DescriptorPage.h"
#include "resources/DvbDialogIds.h"

namespace quorvelin {

class DescriptorTabDialog : public Form {
 public:
  DescriptorTabDialog(int templateId, TableTreeCtrl& tree, Ui& ui);

  CTabSheet& Sheet() { return sheet_; }
  bool OnOK() override;
  // The answer to the tab control's selection-changing notification: nonzero keeps the page.

 protected:
  void AddPage(const char* tabTitle, DescriptorPage& page);

  TableTreeCtrl& tree_;
  CTabSheet sheet_;
  uint8_t tabLock_ = 0;
};

}  // namespace quorvelin
