#include "dialogs/dvb/DescriptorTabDialog.h"

namespace quorvelin {

DescriptorTabDialog::DescriptorTabDialog(int templateId, TableTreeCtrl& tree, Ui& ui)
    : Form(templateId, ui), tree_(tree) {
  BindTabSheet(dvb_ids::kTabControl, sheet_);
  sheet_.selectionChanging = [this] { return tabLock_ != 0; };
}

void DescriptorTabDialog::AddPage(const char* tabTitle, DescriptorPage& page) {
  sheet_.AddPage(tabTitle, &page, static_cast<unsigned>(page.TemplateId()));
}

bool DescriptorTabDialog::OnOK() {
  auto* page = dynamic_cast<DescriptorPage*>(sheet_.Page(sheet_.GetCurSel()));
  return page ? page->AddDesc() : true;
}

}  // namespace quorvelin
