#include "editor/FormView.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QTimeEdit>

#include "dialogs/dvb/CTabSheet.h"
#include "editor/FormDialog.h"

namespace quorvelin {
namespace {

const char* const kShownProperty = "quorvelinShown";  // the date-time a picker was last given

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

}  // namespace

QString ControlObjectName(int id) { return QStringLiteral("ctl%1").arg(id); }

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
  if (c.labelId != 0) label->setObjectName(ControlObjectName(c.labelId));
  return label;
}

QString FormView::LabelText(const ControlTemplate& c) const {
  std::string text = c.label;
  const auto& values = form_.Values();
  const int id = c.kind == ControlKind::Label ? c.id : c.labelId;
  if (const auto it = values.find(id); id != 0 && it != values.end() && !it->second.text.empty()) text = it->second.text;
  QString shown = QString::fromUtf8(text);
  if (!c.note.empty()) shown += QLatin1Char('\n') + QString::fromUtf8(c.note);
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
      for (const std::string& entry : c.entries) box->addItem(QString::fromUtf8(entry));
      w = box;
      break;
    }
    case ControlKind::Check:
    case ControlKind::Radio: {
      QAbstractButton* b = nullptr;
      if (c.kind == ControlKind::Check) {
        b = new QCheckBox(QString::fromUtf8(c.label), &parent);
      } else {
        b = new QRadioButton(QString::fromUtf8(c.label), &parent);
        if (!currentRadioGroup_) currentRadioGroup_ = new QButtonGroup(&parent);
        currentRadioGroup_->addButton(b);
      }
      QObject::connect(b, &QAbstractButton::clicked, dialog, [dialog, form, id] { dialog->RunCommand(*form, id); });
      w = b;
      break;
    }
    case ControlKind::Button: {
      auto* b = new QPushButton(QString::fromUtf8(c.label), &parent);
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
        list->setHorizontalHeaderItem(static_cast<int>(i), new QTableWidgetItem(QString::fromUtf8(c.columns[i].title)));
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
  w->setObjectName(ControlObjectName(id));
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
        v.text = e->text().toStdString();
      else if (auto* m = qobject_cast<QPlainTextEdit*>(b.widget))
        v.text = m->toPlainText().toStdString();
      break;
    case ControlKind::ComboBox:
    case ControlKind::DropList: {
      auto* box = static_cast<QComboBox*>(b.widget);
      const int index = box->currentIndex();
      v.text = box->currentText().toStdString();
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
      const QString text = QString::fromUtf8(v.text);
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
      if (box->isEditable()) box->setEditText(QString::fromUtf8(v.text));
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
      if (it != values.end() && !v.text.empty())
        static_cast<QPushButton*>(b.widget)->setText(QString::fromUtf8(v.text));
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
      const QString text =
          static_cast<size_t>(col) < row.size() ? QString::fromUtf8(row[static_cast<size_t>(col)]) : QString();
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

}  // namespace quorvelin
