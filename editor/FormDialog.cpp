#include "editor/FormDialog.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "dialogs/dvb/CTabSheet.h"
#include "editor/FormView.h"
#include "editor/SheetPage.h"
#include "editor/SheetTabBar.h"

namespace quorvelin {

FormDialog::FormDialog(Form& form, QWidget* parent) : QDialog(parent), form_(form) {
  setObjectName(QStringLiteral("form%1").arg(form.TemplateId()));
  auto* layout = new QVBoxLayout(this);
  auto* body = new QWidget(this);
  layout->addWidget(body);
  views_.emplace_back();  // the form's own view comes first; its tab sheets add the pages behind it
  views_.front() = std::make_unique<FormView>(form, *this, *body);

  auto* buttons = new QDialogButtonBox(this);
  const DialogTemplate* t = form.Template();
  auto buttonText = [&](const std::string& set, int id, const char* fallback) {
    if (!set.empty()) return QString::fromUtf8(set);
    if (const ControlTemplate* c = t ? t->Control(id) : nullptr; c && !c->label.empty())
      return QString::fromUtf8(c->label);
    return QString::fromLatin1(fallback);
  };
  QPushButton* ok = buttons->addButton(buttonText(form.okText, kIdOk, "OK"), QDialogButtonBox::AcceptRole);
  QPushButton* cancel = buttons->addButton(buttonText(form.cancelText, kIdCancel, "Cancel"), QDialogButtonBox::RejectRole);
  okButton_ = ok;
  cancelButton_ = cancel;
  ok->setObjectName(ControlObjectName(kIdOk));
  cancel->setObjectName(ControlObjectName(kIdCancel));
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &FormDialog::OnOk);
  connect(cancel, &QPushButton::clicked, this, &FormDialog::reject);
  layout->addWidget(buttons);

  setWindowTitle(QString::fromUtf8(form.title.empty() && t ? t->title : form.title));
  setMinimumWidth(380);
  PullAll();
  if (form.focusId != 0) FocusControl(form, form.focusId);
}

FormDialog::~FormDialog() = default;

QWidget* FormDialog::BuildSheet(CTabSheet& sheet, QTabBar*& barOut, QStackedWidget*& stackOut) {
  auto* box = new QWidget(this);
  auto* layout = new QVBoxLayout(box);
  layout->setContentsMargins(0, 0, 0, 0);
  auto* bar = new SheetTabBar(sheet, *this, box);
  bar->setExpanding(false);
  bar->setUsesScrollButtons(true);
  auto* stack = new QStackedWidget(box);
  layout->addWidget(bar);
  layout->addWidget(stack);
  barOut = bar;
  stackOut = stack;
  for (int i = 0; i < sheet.PageCount(); ++i) {
    bar->addTab(QString::fromUtf8(sheet.Title(i) ? sheet.Title(i) : ""));
    auto* page = new SheetPage(stack);
    page->setObjectName(QStringLiteral("page%1").arg(pageWidgets_.size()));
    stack->addWidget(page);
    pageWidgets_.emplace_back(page);
    if (Form* pageForm = sheet.Page(i)) {
      // Controls the page template disables stay disabled unless the page set them.
      if (const DialogTemplate* t = pageForm->Template())
        for (const ControlTemplate& c : t->controls)
          if (c.disabled && !pageForm->Values().count(c.id)) pageForm->Value(c.id).enabled = false;
      views_.push_back(std::make_unique<FormView>(*pageForm, *this, *page));
    }
  }
  return box;
}

QWidget* FormDialog::ControlWidget(int id) const {
  if (id == kIdOk) return okButton_;
  if (id == kIdCancel) return cancelButton_;
  if (QWidget* w = views_.front()->Widget(id)) return w;
  for (size_t i = 1; i < views_.size(); ++i)
    if (QWidget* w = views_[i]->Widget(id); w && w->isVisibleTo(this)) return w;
  for (size_t i = 1; i < views_.size(); ++i)
    if (QWidget* w = views_[i]->Widget(id)) return w;
  return nullptr;
}

QWidget* FormDialog::PageWidget(int index) const {
  return index >= 0 && static_cast<size_t>(index) < pageWidgets_.size() ? pageWidgets_[static_cast<size_t>(index)].data()
                                                                        : nullptr;
}

void FormDialog::PushAll() {
  for (auto& v : views_) v->Push();
}

void FormDialog::PullAll() {
  for (auto& v : views_) v->Pull();
}

void FormDialog::RunCommand(Form& form, int id) {
  PushAll();
  form.OnCommand(id);
  PullAll();
  if (form.focusId != 0) {
    FocusControl(form, form.focusId);
    form.focusId = 0;
  }
}

void FormDialog::RunTabChange(CTabSheet& sheet, int index, bool keyboard) {
  PushAll();
  if (keyboard)
    sheet.OnKeyboardSelect(index);
  else
    sheet.OnLButtonDown(index);
  PullAll();
}

void FormDialog::OnOk() {
  PushAll();
  for (auto& v : views_) v->GetForm().focusId = 0;
  const bool close = form_.OnOK();
  PullAll();
  if (close) {
    accept();
    return;
  }
  FocusRefusedControl();
}

void FormDialog::FocusRefusedControl() {
  if (form_.focusId != 0) {
    FocusControl(form_, form_.focusId);
    return;
  }
  // A page's own check refused: its field is on the page that is showing.
  for (size_t i = 1; i < views_.size(); ++i) {
    Form& page = views_[i]->GetForm();
    QWidget* w = page.focusId != 0 ? views_[i]->Widget(page.focusId) : nullptr;
    if (w && w->isVisibleTo(this)) {
      w->setFocus(Qt::OtherFocusReason);
      return;
    }
  }
}

void FormDialog::FocusControl(const Form& form, int id) {
  for (const auto& v : views_)
    if (&v->GetForm() == &form)
      if (QWidget* w = v->Widget(id)) {
        w->setFocus(Qt::OtherFocusReason);
        return;
      }
  if (QWidget* w = ControlWidget(id)) w->setFocus(Qt::OtherFocusReason);
}

void FormDialog::reject() {
  form_.OnCancel();
  QDialog::reject();
}

}  // namespace quorvelin
