// Message boxes and file dialogs of the core (util/Ui.h) shown with Qt: texts (UTF-8),
// captions, icons and buttons as asked.
#pragma once

#include <QPointer>
#include <QProgressDialog>
#include <QStringList>
#include <QWidget>

#include <memory>

#include "util/ProgressDisplay.h"
#include "util/Ui.h"

namespace quorvelin {

class QtUi : public Ui, public ProgressDisplay {
 public:
  explicit QtUi(QWidget* owner = nullptr) : owner_(owner) {}

  void SetOwner(QWidget* owner) { owner_ = owner; }

  MsgAnswer MessageBox(const std::string& text, const std::string& caption, MsgIcon icon,
                       MsgButtons buttons) override;
  std::optional<std::string> FileDialog(const FileDialogRequest& request) override;
  void Beep() override;
  // A modal progress dialog, shown when the task lasts longer than half a second (QtProgress.cpp).
  bool Progress(const std::string& text, uint64_t done, uint64_t total) override;

 private:
  // The dialog that is up (a rendered form), else the editor window.
  QWidget* Parent() const;

  QPointer<QWidget> owner_;
  std::unique_ptr<QProgressDialog> progress_;
};

// "All Files (*.data)|*.data|" (description|patterns| pairs, patterns split by ';') as Qt name
// filters: "All Files (*.data)".
QStringList QtNameFilters(const std::string& filter);
// The extension a saved name without one gets: the request's default extension when it is a
// plain one, else that of the first filter pattern ("*.data" gives "data"); empty when none.
QString DefaultSuffix(const FileDialogRequest& request);

}  // namespace quorvelin
