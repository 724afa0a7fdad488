// The renderer against forms of the test's own: every control kind shown and read back, the
// refusal path (message, focus, dialog stays open), list pages with Add/Delete, and tab sheets
// with their lock.
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTableWidget>
#include <QTest>
#include <QTimeEdit>

#include "EditorTestMain.h"
#include "EditorTestUtil.h"
#include "dialogs/dvb/CTabSheet.h"
#include "editor/FormDialog.h"
#include "editor/QtDialogRunner.h"
#include "editor/QtUi.h"

namespace quorvelin {
namespace {

enum : int {
  kName = 4001,
  kNameLabel = 4003,
  kCount = 4002,
  kData = 4005,
  kTag = 4006,
  kType = 4007,
  kMode = 4008,
  kVisible = 4009,
  kRadio10 = 4050,
  kRadio14 = 4051,
  kList = 4031,
  kAdd = 3,
  kDelete = 4,
  kDay = 4036,
  kClock = 4041,
  kDisabled = 4060,
  kTab = 4013,
};

ControlTemplate& AddControl(DialogTemplate& t, int id, ControlKind kind, const std::string& label) {
  ControlTemplate c;
  c.id = id;
  c.kind = kind;
  c.label = label;
  t.controls.push_back(c);
  return t.controls.back();
}

DialogTemplate FieldsTemplate() {
  DialogTemplate t;
  t.id = 9001;
  t.title = "FieldsTemplate";
  AddControl(t, kName, ControlKind::Edit, "Name:").labelId = kNameLabel;
  AddControl(t, kCount, ControlKind::Edit, "Count:").digitsOnly = true;
  ControlTemplate& data = AddControl(t, kData, ControlKind::Edit, "Data:");
  data.note = "(Hex Number)";
  data.multiLine = true;
  AddControl(t, kTag, ControlKind::Edit, "Tag:").readOnly = true;
  AddControl(t, kType, ControlKind::ComboBox, "Type:").entries = {"zero", "one", "two"};
  AddControl(t, kMode, ControlKind::DropList, "Mode:").entries = {"off", "on"};
  AddControl(t, kVisible, ControlKind::Check, "Is Service Visible");
  AddControl(t, kRadio10, ControlKind::Radio, "10bit");
  AddControl(t, kRadio14, ControlKind::Radio, "14bit");
  AddControl(t, kList, ControlKind::List, "").columns = {{"Service_ID", 80}, {"Service_Type", 80}};
  AddControl(t, kAdd, ControlKind::Button, "Add");
  AddControl(t, kDelete, ControlKind::Button, "Delete");
  AddControl(t, kDay, ControlKind::Date, "time_of_change:");
  AddControl(t, kClock, ControlKind::Time, "");
  AddControl(t, kDisabled, ControlKind::Edit, "Disabled:").disabled = true;
  return t;
}

// A form of every control kind: start values in OnInitDialog, the name must not be empty,
// Add appends a row of name and type, Delete removes the marked row.
class FieldsForm : public Form {
 public:
  explicit FieldsForm(Ui& ui) : Form(9001, ui), template_(FieldsTemplate()) {}
  const DialogTemplate* Template() const override { return &template_; }

  void OnInitDialog() override {
    Form::OnInitDialog();
    SetButtonsOkCancel();
    title = "Add Service";
    SetText(kTag, "0x41");
    SetText(kCount, "7");
    SetComboIndex(kMode, 1);
    SetCheck(kRadio10, 1);
    Value(kDay).time = MakeDate(2013, 2, 28, 23, 59, 58);
    Value(kClock).time = MakeDate(2013, 2, 28, 23, 59, 58);
    focusId = kCount;
  }
  bool OnOK() override {
    ++okCalls;
    if (TrimmedText(kName).empty()) return Refuse("Name can not be null!", kName);
    seen = Values();
    return true;
  }
  void OnCancel() override { ++cancelCalls; }
  void OnCommand(int id) override {
    commands.push_back(id);
    if (id == kAdd) {
      if (TrimmedText(kName).empty()) {
        RefuseApp("Service_ID can't be NULL", kName);
        return;
      }
      Rows(kList).push_back({Text(kName), Value(kType).text});
    } else if (id == kDelete) {
      const int mark = Value(kList).selectionMark;
      if (mark >= 0 && mark < static_cast<int>(Rows(kList).size())) Rows(kList).erase(Rows(kList).begin() + mark);
      Value(kList).selectionMark = -1;
    } else if (id == kRadio14) {
      SetLabel("Channel:");
    }
  }
  void SetLabel(const std::string& text) { SetText(kNameLabel, text); }

  DialogTemplate template_;
  std::map<int, ControlValue> seen;
  std::vector<int> commands;
  int okCalls = 0;
  int cancelCalls = 0;
};

template <class T>
T* Find(QDialog& d, int id) {
  auto* w = qobject_cast<FormDialog*>(&d)->ControlWidget(id);
  return qobject_cast<T*>(w);
}

// --- a tab dialog: three pages, the owner's OK runs the showing page's add operation ---

DialogTemplate PageTemplate(int id, const std::string& label) {
  DialogTemplate t;
  t.id = id;
  t.childPage = true;
  AddControl(t, 4015, ControlKind::Edit, label);
  return t;
}

class PageForm : public Form {
 public:
  PageForm(Ui& ui, int id, const std::string& label) : Form(id, ui), template_(PageTemplate(id, label)) {}
  const DialogTemplate* Template() const override { return &template_; }
  void OnInitDialog() override { ++started; }
  bool Add() {
    if (TrimmedText(4015).empty()) return Refuse("Descriptor_tag can not be null!", 4015);
    added = Text(4015);
    return true;
  }
  DialogTemplate template_;
  std::string added;
  int started = 0;
};

class SheetForm : public Form {
 public:
  explicit SheetForm(Ui& ui)
      : Form(9002, ui), a_(ui, 9101, "Descriptor_tag:"), b_(ui, 9102, "Tag B:"), c_(ui, 9103, "Tag C:") {
    template_.id = 9002;
    template_.title = "Add Stream Descriptor";
    AddControl(template_, kTab, ControlKind::Tab, "");
    BindTabSheet(kTab, sheet_);
  }
  const DialogTemplate* Template() const override { return &template_; }
  void OnInitDialog() override {
    Form::OnInitDialog();
    SetButtonsOkCancel();
    sheet_.AddPage("Other Descriptor", &a_, 9101);
    sheet_.AddPage("ServiceList", &b_, 9102);
    sheet_.AddPage("logical_channel_descriptor", &c_, 9103);
    sheet_.selectionChanging = [this] { return locked; };
    sheet_.Show();
    if (startPage >= 0) sheet_.SetCurSel(startPage);
  }
  bool OnOK() override {
    switch (sheet_.GetCurSel()) {
      case 0:
        return a_.Add();
      case 1:
        return b_.Add();
      case 2:
        return c_.Add();
      default:
        return true;
    }
  }

  DialogTemplate template_;
  PageForm a_, b_, c_;
  CTabSheet sheet_;
  bool locked = false;
  int startPage = -1;
};

void ClickTab(QDialog& d, int index) {
  auto* bar = d.findChild<QTabBar*>();
  QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(index).center());
}

}  // namespace

class FormRendererTest : public QObject {
  Q_OBJECT

 private slots:
  void ShowsTheFormsStartValues() {
    QtUi ui;
    FieldsForm form(ui);
    QtDialogRunner runner;
    test::ModalScript script;
    script.Then([&](QDialog& d) {
      QCOMPARE(d.windowTitle(), QStringLiteral("Add Service"));
      QCOMPARE(Find<QPushButton>(d, kIdOk)->text(), QStringLiteral("Ok"));
      QCOMPARE(Find<QPushButton>(d, kIdCancel)->text(), QStringLiteral("Cancel"));
      QCOMPARE(Find<QLabel>(d, kNameLabel)->text(), QStringLiteral("Name:"));
      QCOMPARE(Find<QLineEdit>(d, kTag)->text(), QStringLiteral("0x41"));
      QVERIFY(Find<QLineEdit>(d, kTag)->isReadOnly());
      QCOMPARE(Find<QLineEdit>(d, kCount)->text(), QStringLiteral("7"));
      QCOMPARE(d.focusWidget(), Find<QWidget>(d, kCount));
      QCOMPARE(Find<QComboBox>(d, kType)->count(), 3);
      QVERIFY(Find<QComboBox>(d, kType)->isEditable());
      QCOMPARE(Find<QComboBox>(d, kMode)->currentText(), QStringLiteral("on"));
      QVERIFY(!Find<QComboBox>(d, kMode)->isEditable());
      QVERIFY(Find<QRadioButton>(d, kRadio10)->isChecked());
      QVERIFY(!Find<QRadioButton>(d, kRadio14)->isChecked());
      QVERIFY(Find<QPlainTextEdit>(d, kData) != nullptr);
      QCOMPARE(Find<QTableWidget>(d, kList)->horizontalHeaderItem(1)->text(), QStringLiteral("Service_Type"));
      QCOMPARE(Find<QDateEdit>(d, kDay)->date(), QDate(2013, 2, 28));
      QCOMPARE(Find<QTimeEdit>(d, kClock)->time(), QTime(23, 59, 58));
      QVERIFY(!Find<QWidget>(d, kDisabled)->isEnabled());
      test::ClickButton(d, QStringLiteral("Cancel"));
    });
    QVERIFY(!runner.RunModal(form));
    QCOMPARE(form.cancelCalls, 1);
    QCOMPARE(form.okCalls, 0);
    QCOMPARE(script.Remaining(), 0u);
    QVERIFY(script.unexpected.isEmpty());
  }

  void HandsTheInputToTheForm() {
    QtUi ui;
    FieldsForm form(ui);
    QtDialogRunner runner;
    test::ModalScript script;
    script.Then([&](QDialog& d) {
      Find<QLineEdit>(d, kName)->insert(QString::fromUtf8("\u4E2D\u6587 1"));
      auto* count = Find<QLineEdit>(d, kCount);
      count->clear();
      QTest::keyClicks(count, QStringLiteral("a1b2"));  // digits only
      auto* data = Find<QPlainTextEdit>(d, kData);
      QTest::keyClicks(data, QStringLiteral("01 02"));
      QTest::keyClick(data, Qt::Key_Return);  // a new line, not Ok
      QTest::keyClicks(data, QStringLiteral("03"));
      QTest::keyClicks(Find<QComboBox>(d, kType)->lineEdit(), QStringLiteral("0x19"));
      Find<QComboBox>(d, kMode)->setCurrentIndex(0);
      Find<QCheckBox>(d, kVisible)->click();
      Find<QRadioButton>(d, kRadio14)->click();
      // The form changed a label in its command handler.
      QCOMPARE(Find<QLabel>(d, kNameLabel)->text(), QStringLiteral("Channel:"));
      Find<QTimeEdit>(d, kClock)->setTime(QTime(1, 2, 3));
      test::ClickButton(d, QStringLiteral("Ok"));
    });
    QVERIFY(runner.RunModal(form));
    QCOMPARE(form.commands, (std::vector<int>{kVisible, kRadio14}));
    auto& v = form.seen;
    QCOMPARE(v[kName].text, std::string("\xD6\xD0\xCE\xC4 1"));  // CP936 inside
    QCOMPARE(v[kCount].text, std::string("12"));
    QCOMPARE(v[kData].text, std::string("01 02\n03"));
    QCOMPARE(v[kType].text, std::string("0x19"));
    QCOMPARE(v[kType].index, -1);  // typed text: no entry selected
    QCOMPARE(v[kMode].index, 0);
    QCOMPARE(v[kMode].text, std::string("off"));
    QCOMPARE(v[kVisible].check, 1);
    QCOMPARE(v[kRadio10].check, 0);
    QCOMPARE(v[kRadio14].check, 1);
    // The time picker changed the time of day and kept the date; the untouched date picker kept all.
    QCOMPARE(v[kClock].time, MakeDate(2013, 2, 28, 1, 2, 3));
    QCOMPARE(v[kDay].time, MakeDate(2013, 2, 28, 23, 59, 58));
  }

  void ARefusalKeepsTheDialogOpenWithFocusOnTheField() {
    QtUi ui;
    FieldsForm form(ui);
    QtDialogRunner runner;
    test::ModalScript script;
    QPointer<QDialog> formDialog;
    script
        .Then([&](QDialog& d) {
          formDialog = &d;
          QTest::keyClicks(Find<QLineEdit>(d, kName), QStringLiteral("   "));  // blanks only: empty
          test::ClickButton(d, QStringLiteral("Ok"));
          // The message box came and went inside the click; the form stays up.
          QVERIFY(d.isVisible());
          QCOMPARE(d.focusWidget(), Find<QWidget>(d, kName));
          Find<QLineEdit>(d, kName)->setText(QStringLiteral("x"));
          test::ClickButton(d, QStringLiteral("Ok"));
        })
        .Then([&](QDialog& box) {
          const test::ShownMessage m = test::ReadMessageBox(box);
          QCOMPARE(m.text, QStringLiteral("Name can not be null!"));
          QCOMPARE(m.caption, QStringLiteral("SystemInfo"));
          QCOMPARE(m.icon, static_cast<int>(QMessageBox::Information));
          QCOMPARE(m.buttons.size(), 1);
          QCOMPARE(box.parentWidget(), formDialog.data());
          test::ClickButton(box, QStringLiteral("OK"));
        });
    QVERIFY(runner.RunModal(form));
    QCOMPARE(form.okCalls, 2);
    QVERIFY(script.unexpected.isEmpty());
  }

  void ListRowsComeAndGoWithTheButtons() {
    QtUi ui;
    FieldsForm form(ui);
    QtDialogRunner runner;
    test::ModalScript script;
    script
        .Then([&](QDialog& d) {
          auto* list = Find<QTableWidget>(d, kList);
          test::ClickButton(d, QStringLiteral("Add"));  // name empty: refused through the application box
          QCOMPARE(list->rowCount(), 0);
          QCOMPARE(d.focusWidget(), Find<QWidget>(d, kName));
          Find<QLineEdit>(d, kName)->setText(QStringLiteral("16"));
          Find<QComboBox>(d, kType)->setCurrentIndex(1);
          test::ClickButton(d, QStringLiteral("Add"));
          Find<QLineEdit>(d, kName)->setText(QStringLiteral("17"));
          test::ClickButton(d, QStringLiteral("Add"));
          QCOMPARE(list->rowCount(), 2);
          QCOMPARE(list->item(0, 1)->text(), QStringLiteral("one"));
          QCOMPARE(list->item(1, 0)->text(), QStringLiteral("17"));
          list->selectRow(0);
          test::ClickButton(d, QStringLiteral("Delete"));
          QCOMPARE(list->rowCount(), 1);
          QCOMPARE(list->item(0, 0)->text(), QStringLiteral("17"));
          test::ClickButton(d, QStringLiteral("Delete"));  // nothing marked: nothing happens
          QCOMPARE(list->rowCount(), 1);
          test::ClickButton(d, QStringLiteral("Ok"));
        })
        .Then([&](QDialog& box) {
          QCOMPARE(test::ReadMessageBox(box).text, QStringLiteral("Service_ID can't be NULL"));
          QCOMPARE(test::ReadMessageBox(box).caption, QString::fromLatin1(kApplicationTitle));
          test::ClickButton(box, QStringLiteral("OK"));
        });
    QVERIFY(runner.RunModal(form));
    QCOMPARE(form.seen[kList].rows, (std::vector<std::vector<std::string>>{{"17", "one"}}));
  }

  void TabsSwitchPagesUnlessLocked() {
    QtUi ui;
    SheetForm form(ui);
    QtDialogRunner runner;
    test::ModalScript script;
    script.Then([&](QDialog& d) {
      auto* fd = qobject_cast<FormDialog*>(&d);
      auto* bar = d.findChild<QTabBar*>();
      QCOMPARE(bar->count(), 3);
      QCOMPARE(bar->tabText(2), QStringLiteral("logical_channel_descriptor"));
      QVERIFY(fd->PageWidget(0)->isVisible());
      QVERIFY(!fd->PageWidget(1)->isVisible());
      ClickTab(d, 1);
      QCOMPARE(bar->currentIndex(), 1);
      QVERIFY(fd->PageWidget(1)->isVisible());
      QVERIFY(!fd->PageWidget(0)->isVisible());
      form.locked = true;
      ClickTab(d, 2);
      QCOMPARE(bar->currentIndex(), 1);  // the lock keeps the user on the page
      QVERIFY(fd->PageWidget(1)->isVisible());
      // The same control id on two pages: the showing page's field is the one found.
      QCOMPARE(fd->ControlWidget(4015)->parentWidget(), fd->PageWidget(1));
      QTest::keyClicks(qobject_cast<QLineEdit*>(fd->ControlWidget(4015)), QStringLiteral("0x83"));
      test::ClickButton(d, QStringLiteral("Ok"));
    });
    QVERIFY(runner.RunModal(form));
    QCOMPARE(form.a_.started, 1);
    QCOMPARE(form.b_.added, std::string("0x83"));
    QVERIFY(form.a_.added.empty());
  }

  void APageRefusalFocusesThePagesField() {
    QtUi ui;
    SheetForm form(ui);
    form.startPage = 2;
    QtDialogRunner runner;
    test::ModalScript script;
    script
        .Then([&](QDialog& d) {
          auto* fd = qobject_cast<FormDialog*>(&d);
          QCOMPARE(d.findChild<QTabBar*>()->currentIndex(), 2);
          test::ClickButton(d, QStringLiteral("Ok"));
          QVERIFY(d.isVisible());
          QCOMPARE(d.focusWidget(), fd->ControlWidget(4015));
          QCOMPARE(d.focusWidget()->parentWidget(), fd->PageWidget(2));
          test::ClickButton(d, QStringLiteral("Cancel"));
        })
        .Then([&](QDialog& box) {
          QCOMPARE(test::ReadMessageBox(box).text, QStringLiteral("Descriptor_tag can not be null!"));
          test::ClickButton(box, QStringLiteral("OK"));
        });
    QVERIFY(!runner.RunModal(form));
    QVERIFY(form.c_.added.empty());
  }

  void MessageBoxesAnswerYesAndNo() {
    QtUi ui;
    test::ModalScript script;
    script
        .Then([&](QDialog& box) {
          const test::ShownMessage m = test::ReadMessageBox(box);
          QCOMPARE(m.text, QStringLiteral("Are you sure to delete?"));
          QCOMPARE(m.buttons.size(), 2);
          test::ClickButton(box, QStringLiteral("&Yes"));
        })
        .Then([&](QDialog& box) { test::ClickButton(box, QStringLiteral("&No")); })
        .Then([&](QDialog& box) {
          QCOMPARE(test::ReadMessageBox(box).icon, static_cast<int>(QMessageBox::Critical));
          QCOMPARE(test::ReadMessageBox(box).caption, QStringLiteral("system information"));
          box.reject();  // closed without a button
        })
        .Then([&](QDialog& box) { box.reject(); });
    QCOMPARE(ui.MessageBox("Are you sure to delete?", kSystemInfo, MsgIcon::Information, MsgButtons::YesNo),
             MsgAnswer::Yes);
    QCOMPARE(ui.MessageBox("Are you sure to delete?", kSystemInfo, MsgIcon::Information, MsgButtons::YesNo),
             MsgAnswer::No);
    QCOMPARE(ui.MessageBox("Save to Device error,please repeat!", "system information", MsgIcon::Error,
                           MsgButtons::Ok),
             MsgAnswer::Ok);
    QCOMPARE(ui.MessageBox("x", kSystemInfo, MsgIcon::Information, MsgButtons::YesNo), MsgAnswer::No);
  }

  void RendersEveryTemplateOfTheResources() {
    QtUi ui;
    const auto all = AllDialogTemplates();
    QVERIFY(!all.empty());
    for (const DialogTemplate* t : all) {
      Form form(t->id, ui);
      form.OnInitDialog();
      FormDialog dialog(form, nullptr);
      QCOMPARE(dialog.windowTitle(), QString::fromStdString(t->title));
      for (const ControlTemplate& c : t->controls) {
        if (c.kind == ControlKind::Button && (c.id == kIdOk || c.id == kIdCancel)) continue;
        QVERIFY2(dialog.ControlWidget(c.id) != nullptr, qPrintable(QStringLiteral("template %1 control %2").arg(t->id).arg(c.id)));
      }
    }
  }

  void FileFiltersBecomeQtFilters() {
    QCOMPARE(QtNameFilters("All Files (*.data)|*.data|"), QStringList{QStringLiteral("All Files (*.data)")});
    QCOMPARE(QtNameFilters("Tables|*.data;*.bin|All|*.*|"),
             (QStringList{QStringLiteral("Tables (*.data *.bin)"), QStringLiteral("All (*.*)")}));
    QCOMPARE(QtNameFilters(""), QStringList());
    QCOMPARE(QtNameFilters("broken|"), QStringList());
    FileDialogRequest r{true, "*", "*.data", "All Files (*.data)|*.data|"};
    QCOMPARE(DefaultSuffix(r), QStringLiteral("data"));
    r.defaultExtension = ".bin";
    QCOMPARE(DefaultSuffix(r), QStringLiteral("bin"));
    r = {false, "*", "*", "All|*.*|"};
    QCOMPARE(DefaultSuffix(r), QString());
  }
};

QUORVELIN_EDITOR_TEST(FormRendererTest);

}  // namespace quorvelin

#include "FormRendererTest.moc"
