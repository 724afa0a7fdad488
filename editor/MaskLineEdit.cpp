#include "editor/MaskLineEdit.h"

#include <QApplication>
#include <QKeyEvent>

namespace quorvelin {
namespace {

CMaskEdit::Key MaskKey(int qtKey) {
  switch (qtKey) {
    case Qt::Key_Delete:
      return CMaskEdit::Key::Delete;
    case Qt::Key_Backspace:
      return CMaskEdit::Key::Backspace;
    case Qt::Key_Home:
      return CMaskEdit::Key::Home;
    case Qt::Key_End:
      return CMaskEdit::Key::End;
    case Qt::Key_Left:
      return CMaskEdit::Key::Left;
    case Qt::Key_Right:
      return CMaskEdit::Key::Right;
    case Qt::Key_Up:
      return CMaskEdit::Key::Up;
    case Qt::Key_Down:
      return CMaskEdit::Key::Down;
    case Qt::Key_Insert:
      return CMaskEdit::Key::Insert;
    default:
      return CMaskEdit::Key::Other;
  }
}

}  // namespace

MaskLineEdit::MaskLineEdit(QWidget* parent) : QLineEdit(parent) {
  logic_.SetBeepHandler([] { QApplication::beep(); });
  connect(this, &QLineEdit::textEdited, this, &MaskLineEdit::OnTextEdited);
}

bool MaskLineEdit::SetMask(const std::string& mask, const std::string& inputTemplate, char placeholder) {
  const bool ok = logic_.SetMask(mask, inputTemplate, placeholder);
  ShowLogic();
  return ok;
}

int MaskLineEdit::SetValue(const std::string& text, bool withFixedChars) {
  const int ok = logic_.SetValue(text, withFixedChars);
  ShowLogic();
  return ok;
}

void MaskLineEdit::HandSelection() {
  const int caret = cursorPosition();
  int anchor = caret;
  if (hasSelectedText()) anchor = caret == selectionStart() ? selectionEnd() : selectionStart();
  logic_.SetSelection(anchor, caret);
}

void MaskLineEdit::ShowLogic() {
  showing_ = true;
  const QString text = QString::fromLatin1(logic_.Text().data(), static_cast<qsizetype>(logic_.Text().size()));
  if (this->text() != text) setText(text);
  const int start = logic_.SelectionStart();
  const int end = logic_.SelectionEnd();
  if (start == end)
    setCursorPosition(logic_.Caret());
  else if (logic_.Caret() == start)
    setSelection(end, start - end);  // the caret at the start of the selection
  else
    setSelection(start, end - start);
  showing_ = false;

  switch (logic_.TakeRequest()) {
    case CMaskEdit::EditRequest::Cut:
      cut();
      break;
    case CMaskEdit::EditRequest::Copy:
      copy();
      break;
    case CMaskEdit::EditRequest::Paste:
      paste();
      break;
    case CMaskEdit::EditRequest::None:
      break;
  }
}

void MaskLineEdit::OnTextEdited(const QString& text) {
  if (showing_) return;
  HandSelection();
  logic_.TextEdited(text.toLatin1().toStdString());
  ShowLogic();
}

void MaskLineEdit::keyPressEvent(QKeyEvent* event) {
  HandSelection();
  const bool shift = event->modifiers() & Qt::ShiftModifier;
  const bool control = event->modifiers() & Qt::ControlModifier;
  const CMaskEdit::Key key = MaskKey(event->key());
  if (key != CMaskEdit::Key::Other) {
    if (logic_.KeyDown(key, shift, control)) {
      ShowLogic();
      return;
    }
    QLineEdit::keyPressEvent(event);
    return;
  }
  const QString typed = event->text();
  if (typed.size() == 1 && typed.at(0).isPrint() && !control && typed.at(0).unicode() < 0x100) {
    if (logic_.Char(static_cast<char>(typed.at(0).unicode()))) {
      ShowLogic();
      return;
    }
  }
  QLineEdit::keyPressEvent(event);
}

void MaskLineEdit::mouseReleaseEvent(QMouseEvent* event) {
  QLineEdit::mouseReleaseEvent(event);
  if (event->button() != Qt::LeftButton) return;
  HandSelection();
  if (hasSelectedText())
    logic_.ButtonUp();
  else
    logic_.Click(cursorPosition());
  ShowLogic();
}

void MaskLineEdit::focusInEvent(QFocusEvent* event) {
  QLineEdit::focusInEvent(event);
  HandSelection();
  logic_.FocusIn();
  ShowLogic();
}

}  // namespace quorvelin
