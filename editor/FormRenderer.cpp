#include "editor/FormRenderer.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QStackedWidget>
#include <QTabBar>
#include <QTableWidget>
#include <QTimeEdit>
#include <QVBoxLayout>

#include "dialogs/dvb/CTabSheet.h"
#include "editor/ModalHook.h"
#include "editor/QtText.h"

namespace quorvelin {
namespace {

const char* const kShownProperty = "quorvelinShown";  // the date-time a picker was last given

QString ControlName(int id) { return QStringLiteral("ctl%1").arg(id); }

bool IsDialogButton(const ControlTemplate& c) {
  return c.kind == ControlKind::Button && (c.id == kIdOk || c.id == kIdCancel);
}

bool HasLabelColumn(ControlKind kind) {
  switch (kind) {
    case ControlKind::Edit:
    case ControlKind::ComboBox:
    case ControlKind::DropList:
    case ControlKind::List:
    case ControlKind::Date:
    case ControlKind::Time:
      return true;
    default:
      return false;
  }
}

// --- date-time values of the pickers ---

QDateTime ToQDateTime(const DateTime& value) {
  const DateParts p = BreakDown(value);
  if (p.year < 0) return QDateTime(QDate(1899, 12, 30), QTime(0, 0));
  return QDateTime(QDate(p.year, p.month, p.day), QTime(p.hour, p.minute, p.second));
}

DateTime FromQDateTime(const QDateTime& v) {
  return MakeDate(v.date().year(), v.date().month(), v.date().day(), v.time().hour(), v.time().minute(),
                  v.time().second());
}

// A picker shows one half of the value; the other half is kept from the value it was given.
DateTime MergePicked(const DateTime& old, const QDateTime& picked, ControlKind kind) {
  QDateTime merged = ToQDateTime(old);
  if (kind == ControlKind::Date)
    merged.setDate(picked.date());
  else
    merged.setTime(picked.time());
  return FromQDateTime(merged);
}

// Clicks on a tab go through the sheet, which may refuse the change (the tab lock); the bar then
// shows whatever the sheet holds.
class SheetTabBar : public QTabBar {
 public:
  SheetTabBar(CTabSheet& sheet, FormDialog& dialog, QWidget* parent)
      : QTabBar(parent), sheet_(sheet), dialog_(dialog) {}

 protected:
  void mousePressEvent(QMouseEvent* e) override {
    if (e->button() != Qt::LeftButton) return;
    const int index = tabAt(e->position().toPoint());
    if (index >= 0) dialog_.RunTabChange(sheet_, index, false);
  }
  void mouseReleaseEvent(QMouseEvent* /*e*/) override {}
  void wheelEvent(QWheelEvent* /*e*/) override {}
  void keyPressEvent(QKeyEvent* e) override {
    const int step = e->key() == Qt::Key_Left ? -1 : e->key() == Qt::Key_Right ? 1 : 0;
    if (step == 0) {
      QTabBar::keyPressEvent(e);
      return;
    }
    const int index = currentIndex() + step;
    if (index >= 0 && index < count()) dialog_.RunTabChange(sheet_, index, true);
  }

 private:
  CTabSheet& sheet_;
  FormDialog& dialog_;
};

// The container of one page of a tab sheet. Enter in a field of the page stays on the page: a
// page answers its own Ok with nothing, so the dialog's Ok never runs from inside a page.
class SheetPage : public QWidget {
 public:
  using QWidget::QWidget;

 protected:
  void keyPressEvent(QKeyEvent* e) override {
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter)
      e->accept();
    else
      QWidget::keyPressEvent(e);
  }
};

struct SheetWidgets {
  CTabSheet* sheet = nullptr;
  QTabBar* bar = nullptr;
  QStackedWidget* stack = nullptr;
};

}  // namespace

// The widgets of one form (the dialog's own, or one page of a tab sheet).
class FormView {
 public:
  FormView(Form& form, FormDialog& dialog, QWidget& container);

  Form& GetForm() const { return form_; }
  QWidget* Widget(int id) const;
  // Widgets to values.
  void Push();
  // Values to widgets.
  void Pull();

 private:
  struct Binding {
    const ControlTemplate* control;
    QWidget* widget;
    QLabel* label;  // the label beside it, if any
  };

  void Build(const DialogTemplate& t, QWidget& container);
  QWidget* MakeWidget(const ControlTemplate& c, QWidget& parent);
  QLabel* MakeLabel(const ControlTemplate& c, QWidget& parent);
  QString LabelText(const ControlTemplate& c) const;
  void PushOne(const Binding& b);
  void PullOne(const Binding& b);
  void PullList(QTableWidget& list, const ControlValue& v);
  void PullSheet(const SheetWidgets& s);

  Form& form_;
  FormDialog& dialog_;
  std::vector<Binding> bindings_;
  std::vector<SheetWidgets> sheets_;
  QButtonGroup* currentRadioGroup_ = nullptr;
};

FormView::FormView(Form& form, FormDialog& dialog, QWidget& container) : form_(form), dialog_(dialog) {
  if (const DialogTemplate* t = form.Template()) Build(*t, container);
}

void FormView::Build(const DialogTemplate& t, QWidget& container) {
  auto* layout = new QFormLayout(&container);
  layout->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
  QHBoxLayout* buttonRow = nullptr;
  for (const ControlTemplate& c : t.controls) {
    if (IsDialogButton(c)) continue;
    if (c.kind != ControlKind::Radio) currentRadioGroup_ = nullptr;
    QWidget* w = MakeWidget(c, container);
    if (c.kind == ControlKind::Button) {
      if (!buttonRow) {
        buttonRow = new QHBoxLayout;
        buttonRow->addStretch();
        layout->addRow(buttonRow);
      }
      buttonRow->insertWidget(buttonRow->count() - 1, w);
      bindings_.push_back({&c, w, nullptr});
      continue;
    }
    buttonRow = nullptr;
    QLabel* label = HasLabelColumn(c.kind) ? MakeLabel(c, container) : nullptr;
    if (label)
      layout->addRow(label, w);
    else if (HasLabelColumn(c.kind) && c.kind != ControlKind::List)
      layout->addRow(QString(), w);  // beside the field above it (a time picker next to its date)
    else
      layout->addRow(w);
    bindings_.push_back({&c, w, label});
  }
}

QLabel* FormView::MakeLabel(const ControlTemplate& c, QWidget& parent) {
  if (c.label.empty() && c.note.empty() && c.labelId == 0) return nullptr;
  auto* label = new QLabel(&parent);
  label->setTextFormat(Qt::PlainText);
  if (c.labelId != 0) label->setObjectName(ControlName(c.labelId));
  return label;
}

QString FormView::LabelText(const ControlTemplate& c) const {
  std::string text = c.label;
  const auto& values = form_.Values();
  const int id = c.kind == ControlKind::Label ? c.id : c.labelId;
  if (const auto it = values.find(id); id != 0 && it != values.end() && !it->second.text.empty()) text = it->second.text;
  QString shown = FromCp936(text);
  if (!c.note.empty()) shown += QLatin1Char('\n') + FromCp936(c.note);
  return shown;
}

QWidget* FormView::MakeWidget(const ControlTemplate& c, QWidget& parent) {
  QWidget* w = nullptr;
  const int id = c.id;
  Form* form = &form_;
  FormDialog* dialog = &dialog_;
  switch (c.kind) {
    case ControlKind::Label: {
      auto* label = new QLabel(&parent);
      label->setTextFormat(Qt::PlainText);
      w = label;
      break;
    }
    case ControlKind::Edit:
      if (c.multiLine) {
        auto* e = new QPlainTextEdit(&parent);
        e->setReadOnly(c.readOnly);
        e->setTabChangesFocus(true);
        e->setMinimumHeight(72);
        w = e;
      } else {
        auto* e = new QLineEdit(&parent);
        e->setReadOnly(c.readOnly);
        if (c.digitsOnly)
          e->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), e));
        w = e;
      }
      break;
    case ControlKind::ComboBox:
    case ControlKind::DropList: {
      auto* box = new QComboBox(&parent);
      box->setEditable(c.kind == ControlKind::ComboBox);
      box->setInsertPolicy(QComboBox::NoInsert);
      for (const std::string& entry : c.entries) box->addItem(FromCp936(entry));
      w = box;
      break;
    }
    case ControlKind::Check:
    case ControlKind::Radio: {
      QAbstractButton* b = nullptr;
      if (c.kind == ControlKind::Check) {
        b = new QCheckBox(FromCp936(c.label), &parent);
      } else {
        b = new QRadioButton(FromCp936(c.label), &parent);
        if (!currentRadioGroup_) currentRadioGroup_ = new QButtonGroup(&parent);
        currentRadioGroup_->addButton(b);
      }
      QObject::connect(b, &QAbstractButton::clicked, dialog, [dialog, form, id] { dialog->RunCommand(*form, id); });
      w = b;
      break;
    }
    case ControlKind::Button: {
      auto* b = new QPushButton(FromCp936(c.label), &parent);
      b->setAutoDefault(false);
      QObject::connect(b, &QPushButton::clicked, dialog, [dialog, form, id] { dialog->RunCommand(*form, id); });
      w = b;
      break;
    }
    case ControlKind::List: {
      auto* list = new QTableWidget(0, static_cast<int>(c.columns.size()), &parent);
      list->setSelectionBehavior(QAbstractItemView::SelectRows);
      list->setSelectionMode(QAbstractItemView::SingleSelection);
      list->setEditTriggers(QAbstractItemView::NoEditTriggers);
      list->verticalHeader()->hide();
      list->setShowGrid(true);
      list->setMinimumHeight(120);
      for (size_t i = 0; i < c.columns.size(); ++i) {
        list->setHorizontalHeaderItem(static_cast<int>(i), new QTableWidgetItem(FromCp936(c.columns[i].title)));
        list->setColumnWidth(static_cast<int>(i), c.columns[i].width);
      }
      w = list;
      break;
    }
    case ControlKind::Date: {
      auto* e = new QDateEdit(&parent);
      e->setCalendarPopup(true);
      e->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
      w = e;
      break;
    }
    case ControlKind::Time: {
      auto* e = new QTimeEdit(&parent);
      e->setDisplayFormat(QStringLiteral("HH:mm:ss"));
      w = e;
      break;
    }
    case ControlKind::Tab: {
      if (CTabSheet* sheet = form->TabSheetOf(id)) {
        SheetWidgets s{sheet, nullptr, nullptr};
        w = dialog->BuildSheet(*sheet, s.bar, s.stack);
        sheets_.push_back(s);
      } else {
        w = new QTabBar(&parent);
      }
      break;
    }
  }
  w->setObjectName(ControlName(id));
  w->setProperty("controlId", id);
  return w;
}

QWidget* FormView::Widget(int id) const {
  for (const Binding& b : bindings_) {
    if (b.control->id == id) return b.widget;
    if (b.label && b.control->labelId == id) return b.label;
  }
  return nullptr;
}

void FormView::Push() {
  for (const Binding& b : bindings_) PushOne(b);
}

void FormView::PushOne(const Binding& b) {
  const ControlTemplate& c = *b.control;
  ControlValue& v = form_.Value(c.id);
  switch (c.kind) {
    case ControlKind::Edit:
      if (auto* e = qobject_cast<QLineEdit*>(b.widget))
        v.text = ToCp936(e->text());
      else if (auto* m = qobject_cast<QPlainTextEdit*>(b.widget))
        v.text = ToCp936(m->toPlainText());
      break;
    case ControlKind::ComboBox:
    case ControlKind::DropList: {
      auto* box = static_cast<QComboBox*>(b.widget);
      const int index = box->currentIndex();
      v.text = ToCp936(box->currentText());
      // Typed text that is not the chosen entry counts as no selection.
      v.index = index >= 0 && box->itemText(index) == box->currentText() ? index : -1;
      break;
    }
    case ControlKind::Check:
    case ControlKind::Radio:
      v.check = static_cast<QAbstractButton*>(b.widget)->isChecked() ? 1 : 0;
      break;
    case ControlKind::List: {
      auto* list = static_cast<QTableWidget*>(b.widget);
      const auto selected = list->selectionModel()->selectedRows();
      v.selectionMark = selected.isEmpty() ? -1 : selected.front().row();
      break;
    }
    case ControlKind::Date:
    case ControlKind::Time: {
      auto* e = static_cast<QDateTimeEdit*>(b.widget);
      // An untouched picker leaves the value as it was (an invalid value stays invalid).
      if (e->dateTime() != e->property(kShownProperty).toDateTime()) v.time = MergePicked(v.time, e->dateTime(), c.kind);
      break;
    }
    case ControlKind::Label:
    case ControlKind::Button:
    case ControlKind::Tab:
      break;
  }
}

void FormView::Pull() {
  for (const Binding& b : bindings_) PullOne(b);
  for (const SheetWidgets& s : sheets_) PullSheet(s);
}

void FormView::PullOne(const Binding& b) {
  const ControlTemplate& c = *b.control;
  const auto& values = form_.Values();
  const auto it = values.find(c.id);
  const ControlValue empty;
  const ControlValue& v = it == values.end() ? empty : it->second;
  if (b.label) b.label->setText(LabelText(c));
  b.widget->setEnabled(it == values.end() ? !c.disabled : v.enabled);
  if (b.label) b.label->setEnabled(b.widget->isEnabled());
  switch (c.kind) {
    case ControlKind::Label:
      static_cast<QLabel*>(b.widget)->setText(LabelText(c));
      break;
    case ControlKind::Edit: {
      const QString text = FromCp936(v.text);
      if (auto* e = qobject_cast<QLineEdit*>(b.widget)) {
        if (e->text() != text) e->setText(text);
      } else if (auto* m = qobject_cast<QPlainTextEdit*>(b.widget)) {
        if (m->toPlainText() != text) m->setPlainText(text);
      }
      break;
    }
    case ControlKind::ComboBox:
    case ControlKind::DropList: {
      auto* box = static_cast<QComboBox*>(b.widget);
      const QSignalBlocker block(box);
      box->setCurrentIndex(v.index >= 0 && v.index < box->count() ? v.index : -1);
      if (box->isEditable()) box->setEditText(FromCp936(v.text));
      break;
    }
    case ControlKind::Check:
    case ControlKind::Radio: {
      auto* button = static_cast<QAbstractButton*>(b.widget);
      QButtonGroup* group = button->group();
      const bool exclusive = group && group->exclusive();
      if (exclusive) group->setExclusive(false);  // lets every radio of a group be unchecked
      button->setChecked(v.check == 1);
      if (exclusive) group->setExclusive(true);
      break;
    }
    case ControlKind::Button:
      if (it != values.end() && !v.text.empty()) static_cast<QPushButton*>(b.widget)->setText(FromCp936(v.text));
      break;
    case ControlKind::List:
      PullList(*static_cast<QTableWidget*>(b.widget), v);
      break;
    case ControlKind::Date:
    case ControlKind::Time: {
      auto* e = static_cast<QDateTimeEdit*>(b.widget);
      const QDateTime shown = ToQDateTime(v.time);
      e->setDateTime(shown);
      e->setProperty(kShownProperty, e->dateTime());
      break;
    }
    case ControlKind::Tab:
      break;
  }
}

void FormView::PullList(QTableWidget& list, const ControlValue& v) {
  const QSignalBlocker block(&list);
  list.clearSelection();
  list.setRowCount(static_cast<int>(v.rows.size()));
  for (size_t r = 0; r < v.rows.size(); ++r) {
    for (int col = 0; col < list.columnCount(); ++col) {
      const auto& row = v.rows[r];
      const QString text = static_cast<size_t>(col) < row.size() ? FromCp936(row[static_cast<size_t>(col)]) : QString();
      list.setItem(static_cast<int>(r), col, new QTableWidgetItem(text));
    }
  }
  if (v.selectionMark >= 0 && v.selectionMark < list.rowCount()) list.selectRow(v.selectionMark);
}

void FormView::PullSheet(const SheetWidgets& s) {
  if (!s.bar || !s.stack) return;
  const QSignalBlocker block(s.bar);
  if (s.sheet->GetCurSel() >= 0 && s.sheet->GetCurSel() < s.bar->count()) s.bar->setCurrentIndex(s.sheet->GetCurSel());
  if (s.sheet->CurrentPage() < s.stack->count()) s.stack->setCurrentIndex(s.sheet->CurrentPage());
}

// --- the dialog ---

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
    if (!set.empty()) return FromCp936(set);
    if (const ControlTemplate* c = t ? t->Control(id) : nullptr; c && !c->label.empty()) return FromCp936(c->label);
    return QString::fromLatin1(fallback);
  };
  QPushButton* ok = buttons->addButton(buttonText(form.okText, kIdOk, "OK"), QDialogButtonBox::AcceptRole);
  QPushButton* cancel = buttons->addButton(buttonText(form.cancelText, kIdCancel, "Cancel"), QDialogButtonBox::RejectRole);
  okButton_ = ok;
  cancelButton_ = cancel;
  ok->setObjectName(ControlName(kIdOk));
  cancel->setObjectName(ControlName(kIdCancel));
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &FormDialog::OnOk);
  connect(cancel, &QPushButton::clicked, this, &FormDialog::reject);
  layout->addWidget(buttons);

  setWindowTitle(FromCp936(form.title.empty() && t ? t->title : form.title));
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
    bar->addTab(FromCp936(sheet.Title(i) ? sheet.Title(i) : ""));
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

// --- the runner ---

bool QtDialogRunner::RunModal(Form& form) {
  // Controls the template disables start disabled; the form's start-up may enable them.
  if (const DialogTemplate* t = form.Template())
    for (const ControlTemplate& c : t->controls)
      if (c.disabled) form.Value(c.id).enabled = false;
  form.OnInitDialog();
  QWidget* parent = QApplication::activeModalWidget();
  if (!parent) parent = owner_.data();
  FormDialog dialog(form, parent);
  return ExecModal(dialog) == QDialog::Accepted;
}

}  // namespace quorvelin
