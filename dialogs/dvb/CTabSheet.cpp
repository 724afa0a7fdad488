#include "dialogs/dvb/CTabSheet.h"

namespace quorvelin {

int CTabSheet::AddPage(const char* title, Form* page, unsigned int templateId) {
  if (count_ >= kMaxPages) return 0;
  titles_[count_] = title;
  pages_[count_] = page;
  templateIds_[count_] = templateId;
  ++count_;
  return 1;
}

void CTabSheet::Show() {
  for (int i = 0; i < count_; ++i)
    if (pages_[i]) pages_[i]->OnInitDialog();
  if (count_ > 0) tabSelection_ = 0;
  SetRect();
}

void CTabSheet::SetRect() {
  for (int i = 0; i < count_; ++i) visible_[i] = i == 0;
}

void CTabSheet::ShowOnly(int index) {
  for (int i = 0; i < count_; ++i) visible_[i] = i == index;
}

int CTabSheet::SetCurSel(int index) {
  if (index < 0 || index >= count_) return -1;
  if (index == current_) return current_;
  const int previous = current_;
  current_ = index;
  ShowOnly(index);
  tabSelection_ = index;
  return previous;
}

void CTabSheet::OnLButtonDown(int index) {
  if (index >= 0 && index < count_ && index != tabSelection_) {
    const bool forbidden = selectionChanging && selectionChanging();
    if (!forbidden) tabSelection_ = index;
  }
  if (tabSelection_ != current_ && tabSelection_ >= 0) {
    current_ = tabSelection_;
    ShowOnly(current_);
  }
}

}  // namespace quorvelin
