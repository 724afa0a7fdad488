// The masked edit widget: what the user types, deletes and clicks reaches the mask logic, and
// the widget shows what the logic decided.
#include <QSignalSpy>
#include <QTest>

#include "EditorTestMain.h"
#include "editor/MaskLineEdit.h"

namespace quorvelin {
namespace {

struct ProbedEdit : MaskLineEdit {
  using QLineEdit::cursorRect;
};

}  // namespace

class MaskLineEditTest : public QObject {
  Q_OBJECT

 private slots:
  void TypingFollowsTheMask() {
    MaskLineEdit edit;
    edit.show();
    QVERIFY(edit.SetMask("DD", "__"));
    QCOMPARE(edit.text(), QStringLiteral("__"));
    edit.setCursorPosition(0);
    QTest::keyClick(&edit, Qt::Key_1);
    QTest::keyClick(&edit, Qt::Key_X);  // refused: a beep, nothing changes
    QCOMPARE(edit.text(), QStringLiteral("1_"));
    QCOMPARE(edit.Logic().BeepCount(), 1);
    QCOMPARE(edit.cursorPosition(), 1);
  }

  void FixedCharactersStayAndTheCaretJumpsGroups() {
    MaskLineEdit edit;
    edit.show();
    QVERIFY(edit.SetMask("DD/DD", "__/__"));
    QCOMPARE(edit.SetValue("12", false), 1);
    QCOMPARE(edit.text(), QStringLiteral("12/__"));
    edit.setCursorPosition(3);
    QTest::keyClicks(&edit, QStringLiteral("34"));
    QCOMPARE(edit.text(), QStringLiteral("12/34"));
    // Backspace at the start of the second group goes to the end of the first.
    edit.setCursorPosition(3);
    QTest::keyClick(&edit, Qt::Key_Backspace);
    QCOMPARE(edit.cursorPosition(), 2);
    QCOMPARE(edit.text(), QStringLiteral("12/34"));
    // Delete in a group moves the rest of the run left.
    edit.setCursorPosition(0);
    QTest::keyClick(&edit, Qt::Key_Delete);
    QCOMPARE(edit.text(), QStringLiteral("2_/34"));
  }

  void AClickOnAFixedCharacterLandsInTheNextGroup() {
    ProbedEdit edit;
    edit.resize(200, 30);
    edit.show();
    QVERIFY(edit.SetMask("DD..DD", "__::__"));
    edit.SetValue("12::34");
    edit.setCursorPosition(3);  // between the two fixed colons
    const QPoint inside = edit.cursorRect().center();
    edit.setCursorPosition(0);
    QTest::mouseClick(&edit, Qt::LeftButton, {}, inside);
    QCOMPARE(edit.hasSelectedText() ? edit.selectionStart() : edit.cursorPosition(), 4);
  }

  void PastedTextThatDoesNotFitIsUndone() {
    MaskLineEdit edit;
    edit.show();
    QVERIFY(edit.SetMask("DD", "__"));
    edit.SetValue("12");
    edit.selectAll();
    edit.insert(QStringLiteral("ab"));  // as a paste would
    emit edit.textEdited(edit.text());
    QCOMPARE(edit.text(), QStringLiteral("12"));
  }
};

QUORVELIN_EDITOR_TEST(MaskLineEditTest);

}  // namespace quorvelin

#include "MaskLineEditTest.moc"
