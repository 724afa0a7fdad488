// The tab container of every descriptor dialog: up to 16 pages, the page of the selected tab shown.
#pragma once

#include <array>
#include <functional>

#include "dialogs/common/Form.h"

namespace quorvelin {

class CTabSheet {
 public:
  static constexpr int kMaxPages = 16;

  CTabSheet() = default;

  // Appends a page; 0 when 16 pages are already registered. The title is not copied.
  int AddPage(const char* title, Form* page, unsigned int templateId);
  // Creates the tabs and shows page 0 (the current page index is not reset).
  void Show();
  // Places all pages; in this logic only page visibility is kept.
  void SetRect();
  // Switches page and tab; the previous index, or -1 (nothing changes) for an index out of range.
  int SetCurSel(int index);
  // The tab control's selected index.
  int GetCurSel() const { return tabSelection_; }

  // A mouse click on tab `index`: the tab control changes its selection unless the owner's
  // selection-changing answer forbids it, then the page follows the selection.
  void OnLButtonDown(int index);
  // A selection change made with the keyboard (arrow keys): the page follows too.
  void OnKeyboardSelect(int index) { OnLButtonDown(index); }

  // The owner's answer to the selection-changing notification: true forbids the change.
  std::function<bool()> selectionChanging;

  int PageCount() const { return count_; }
  int CurrentPage() const { return current_; }
  Form* Page(int index) const { return index >= 0 && index < count_ ? pages_[index] : nullptr; }
  const char* Title(int index) const { return index >= 0 && index < count_ ? titles_[index] : nullptr; }
  unsigned int TemplateIdOf(int index) const { return index >= 0 && index < count_ ? templateIds_[index] : 0; }
  bool IsPageVisible(int index) const { return index >= 0 && index < count_ && visible_[index]; }

 private:
  void ShowOnly(int index);

  std::array<const char*, kMaxPages> titles_{};
  std::array<unsigned int, kMaxPages> templateIds_{};
  std::array<Form*, kMaxPages> pages_{};
  std::array<bool, kMaxPages> visible_{};
  int count_ = 0;
  int current_ = 0;
  int tabSelection_ = -1;
};

}  // namespace quorvelin
