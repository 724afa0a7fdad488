// The masked edit as a widget: a QLineEdit whose keys, typed characters, clicks and focus go
// through the mask logic of util/MaskEdit.h, which decides what the edit shows.
#pragma once

#include <QLineEdit>

#include "util/MaskEdit.h"

namespace quorvelin {

class MaskLineEdit : public QLineEdit {
  Q_OBJECT

 public:
  explicit MaskLineEdit(QWidget* parent = nullptr);

  bool SetMask(const std::string& mask, const std::string& inputTemplate, char placeholder = '_');
  int SetValue(const std::string& text, bool withFixedChars = true);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;

 private:
  // Hands the edit's selection to the logic.
  void HandSelection();
  // Shows the logic's text and selection, then runs the cut, copy or paste it asked for.
  void ShowLogic();
  void OnTextEdited(const QString& text);

  CMaskEdit logic_;
  bool showing_ = false;
};

}  // namespace quorvelin
