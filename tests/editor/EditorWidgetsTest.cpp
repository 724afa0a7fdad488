// The editor's widgets on their own: the dialog renderer, the item model, the masked edit.

#include "EditorTestUtil.h"
#include "editor/FormDialog.h"
#include "editor/MaskLineEdit.h"
#include "editor/QtDialogRunner.h"
#include "editor/QtUi.h"
#include "editor/TreeItemModel.h"
#include "tree/TableTreeCtrl.h"

namespace quorvelin {
namespace {

enum : int { kName = 4001, kNameLabel, kCount, kData, kType, kMode, kVisible, kRadio10, kRadio14, kList, kDay, kClock, kOff };
constexpr int kAdd = 3;
using K = ControlKind;

const DialogTemplate kFields = [] {
  DialogTemplate t{9001, "Fields", false, {}};
  auto add = [&t](int id, K kind, const char* label) -> ControlTemplate& {
    ControlTemplate& c = t.controls.emplace_back();
    c.id = id;
    c.kind = kind;
    c.label = label;
    return c;
  };
  add(kName, K::Edit, "Name:").labelId = kNameLabel;
  add(kCount, K::Edit, "Count:").digitsOnly = true;
  add(kData, K::Edit, "Data:").multiLine = true;
  add(kType, K::ComboBox, "Type:").entries = {"zero", "one", "two"};
  add(kMode, K::DropList, "Mode:").entries = {"off", "on"};
  add(kVisible, K::Check, "Visible");
  add(kRadio10, K::Radio, "10bit");
  add(kRadio14, K::Radio, "14bit");
  add(kList, K::List, "").columns = {{"Service_ID", 80}};
  add(kAdd, K::Button, "Add");
  add(kDay, K::Date, "time_of_change:");
  add(kClock, K::Time, "");
  add(kOff, K::Edit, "Off:").disabled = true;
  return t;
}();

// Ok refuses an empty name; Add appends the name as a row; the 14bit radio relabels the name.
class FieldsForm : public Form {
 public:
  explicit FieldsForm(Ui& ui) : Form(kFields.id, ui) {}
  const DialogTemplate* Template() const override { return &kFields; }
  void OnInitDialog() override {
    SetButtonsOkCancel();
    SetText(kCount, "7");
    SetComboIndex(kMode, 1);
    SetCheck(kRadio10, 1);
    Rows(kList) = {{"16"}, {"17"}};
    Value(kDay).time = Value(kClock).time = MakeDate(2013, 2, 28, 23, 59, 58);
    focusId = kCount;
  }
  bool OnOK() override {
    if (TrimmedText(kName).empty()) return Refuse("Name can not be null!", kName);
    seen = Values();
    return true;
  }
  void OnCommand(int id) override {
    if (id == kAdd) Rows(kList).push_back({Text(kName)});
    if (id == kRadio14) SetText(kNameLabel, "Channel:");
  }
  std::map<int, ControlValue> seen;
};

template <class T>
T* Find(QDialog& d, int id) {
  return qobject_cast<T*>(qobject_cast<FormDialog*>(&d)->ControlWidget(id));
}

}  // namespace

class EditorWidgetsTest : public QObject {
  Q_OBJECT

 private slots:
  // A form of the test's own with every control kind: start values shown, the user's input handed
  // back (UTF-8 inside), a command handler's changes shown again, a refusal that keeps the dialog
  // up with the focus on the field.
  void EveryControlKindShowsAndHandsBackItsValue() {
    QtUi ui;
    FieldsForm form(ui);
    test::ModalScript script;
    script.Then([](QDialog& d) {
      QCOMPARE(d.focusWidget(), Find<QWidget>(d, kCount));
      QCOMPARE(Find<QComboBox>(d, kMode)->currentText(), QStringLiteral("on"));
      QVERIFY(Find<QRadioButton>(d, kRadio10)->isChecked());
      QCOMPARE(Find<QTableWidget>(d, kList)->item(1, 0)->text(), QStringLiteral("17"));
      QCOMPARE(Find<QDateEdit>(d, kDay)->date(), QDate(2013, 2, 28));
      QCOMPARE(Find<QTimeEdit>(d, kClock)->time(), QTime(23, 59, 58));
      QVERIFY(!Find<QWidget>(d, kOff)->isEnabled());
      test::ClickButton(d, QStringLiteral("OK"));  // the name is empty: refused
      QCOMPARE(d.focusWidget(), Find<QWidget>(d, kName));
      Find<QLineEdit>(d, kName)->insert(QString::fromUtf8("\u4E2D\u6587 \u00F8\u00F1\u00E7\uD55C 1"));
      Find<QLineEdit>(d, kCount)->clear();
      QTest::keyClicks(Find<QLineEdit>(d, kCount), QStringLiteral("a1b2"));  // digits only
      auto* data = Find<QPlainTextEdit>(d, kData);
      QTest::keyClicks(data, QStringLiteral("01"));
      QTest::keyClick(data, Qt::Key_Return);  // a new line, not Ok
      QTest::keyClicks(data, QStringLiteral("02"));
      QTest::keyClicks(Find<QComboBox>(d, kType)->lineEdit(), QStringLiteral("0x19"));
      Find<QComboBox>(d, kMode)->setCurrentIndex(0);
      Find<QCheckBox>(d, kVisible)->click();
      Find<QRadioButton>(d, kRadio14)->click();
      QCOMPARE(Find<QLabel>(d, kNameLabel)->text(), QStringLiteral("Channel:"));
      test::ClickButton(d, QStringLiteral("Add"));
      Find<QTableWidget>(d, kList)->selectRow(2);
      Find<QTimeEdit>(d, kClock)->setTime(QTime(1, 2, 3));
      test::ClickButton(d, QStringLiteral("OK"));
    });
    script.Then([](QDialog& box) {
      QCOMPARE(test::MessageText(box), QStringLiteral("Name can not be null!"));
      box.accept();
    });
    QVERIFY(QtDialogRunner().RunModal(form));
    QVERIFY(script.Done());
    auto& v = form.seen;
    QCOMPARE(v[kName].text, std::string("\u4E2D\u6587 \u00F8\u00F1\u00E7\uD55C 1"));  // typed text as UTF-8
    QCOMPARE(v[kCount].text, std::string("12"));
    QCOMPARE(v[kData].text, std::string("01\n02"));
    QCOMPARE(v[kType].text, std::string("0x19"));
    QCOMPARE(v[kType].index, -1);  // typed text: no entry selected
    QCOMPARE(v[kMode].index, 0);
    QCOMPARE((std::vector{v[kVisible].check, v[kRadio10].check, v[kRadio14].check}), (std::vector{1, 0, 1}));
    QCOMPARE(v[kList].rows.size(), size_t{3});
    QCOMPARE(v[kList].selectionMark, 2);
    // The time picker changed the time of day and kept the date; the untouched date picker kept all.
    QCOMPARE(v[kClock].time, MakeDate(2013, 2, 28, 1, 2, 3));
    QCOMPARE(v[kDay].time, MakeDate(2013, 2, 28, 23, 59, 58));
  }

  void EveryResourceTemplateRenders() {
    QtUi ui;
    for (const DialogTemplate* t : AllDialogTemplates()) {
      Form form(t->id, ui);
      form.OnInitDialog();
      FormDialog dialog(form, nullptr);
      for (const ControlTemplate& c : t->controls)
        QVERIFY2(dialog.ControlWidget(c.id), qPrintable(QStringLiteral("template %1 control %2").arg(t->id).arg(c.id)));
    }
  }

  // UTF-8 text shows as it is; an index a view kept must not reach freed items.
  void TheModelShowsTheTreeAndForgetsDeletedItems() {
    TableTreeCtrl tree;
    TreeItemModel model(tree);
    tree.BuildRoots();
    const ItemHandle name = tree.InsertLine("service_name: \u4E2D\u6587", tree.Root(1, Table::Sdt));
    QCOMPARE(model.IndexOf(name).data().toString(), QString::fromUtf8("service_name: \u4E2D\u6587"));
    const QModelIndex pat = model.IndexOf(tree.Root(1, Table::Pat));
    tree.DeleteItem(tree.PortNode(1));
    QCOMPARE(model.data(pat), QVariant());
    QCOMPARE(model.rowCount(pat), 0);
    QCOMPARE(model.parent(pat), QModelIndex());
  }

  // The masked edit: keys and pasted text go through the mask logic.
  void TheMaskedEditFollowsItsLogic() {
    for (const auto& [value, caret, keys, shown, caretAfter] :
         {std::tuple{"__/__", 0, std::vector{Qt::Key_1, Qt::Key_X}, "1_/__", 1},  // X is not a digit
          std::tuple{"12/__", 3, std::vector{Qt::Key_3, Qt::Key_4}, "12/34", 5},
          std::tuple{"12/34", 3, std::vector{Qt::Key_Backspace}, "12/34", 2},  // to the end of the group before
          std::tuple{"12/34", 0, std::vector{Qt::Key_Delete}, "2_/34", 0}}) {  // the rest of the group moves left
      MaskLineEdit edit;
      QVERIFY(edit.SetMask("DD/DD", "__/__"));
      edit.SetValue(value);
      edit.setCursorPosition(caret);
      for (Qt::Key key : keys) QTest::keyClick(&edit, key);
      QCOMPARE(edit.text(), QString::fromLatin1(shown));
      QCOMPARE(edit.cursorPosition(), caretAfter);
    }
    MaskLineEdit edit;
    QVERIFY(edit.SetMask("DD/DD", "__/__"));
    edit.SetValue("12/34");
    edit.selectAll();
    edit.insert(QStringLiteral("ab"));  // as a paste would
    emit edit.textEdited(edit.text());
    QCOMPARE(edit.text(), QStringLiteral("12/34"));  // does not fit: undone
  }
};

}  // namespace quorvelin

QUORVELIN_EDITOR_TEST_MAIN(quorvelin::EditorWidgetsTest)
#include "EditorWidgetsTest.moc"
