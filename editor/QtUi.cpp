#include "editor/QtUi.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

#include "editor/ModalHook.h"

namespace quorvelin {
namespace {

QMessageBox::Icon QtIcon(MsgIcon icon) {
  switch (icon) {
    case MsgIcon::Information:
      return QMessageBox::Information;
    case MsgIcon::Warning:
      return QMessageBox::Warning;
    case MsgIcon::Error:
      return QMessageBox::Critical;
    case MsgIcon::Question:
      return QMessageBox::Question;
    case MsgIcon::None:
      break;
  }
  return QMessageBox::NoIcon;
}

bool IsPlainExtension(const QString& ext) {
  return !ext.isEmpty() && !ext.contains(QLatin1Char('*')) && !ext.contains(QLatin1Char('?'));
}

}  // namespace

QWidget* QtUi::Parent() const {
  if (QWidget* modal = QApplication::activeModalWidget()) return modal;
  return owner_.data();
}

MsgAnswer QtUi::MessageBox(const std::string& text, const std::string& caption, MsgIcon icon, MsgButtons buttons) {
  QMessageBox box(QtIcon(icon), QString::fromUtf8(caption), QString::fromUtf8(text),
                  buttons == MsgButtons::YesNo ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok, Parent());
  box.setTextFormat(Qt::PlainText);  // the text exactly as given, never read as markup
  if (buttons == MsgButtons::YesNo) {
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::No);
  }
  ExecModal(box);
  if (buttons == MsgButtons::Ok) return MsgAnswer::Ok;
  return box.clickedButton() == box.button(QMessageBox::Yes) ? MsgAnswer::Yes : MsgAnswer::No;
}

std::optional<std::string> QtUi::FileDialog(const FileDialogRequest& request) {
  QFileDialog dialog(Parent());
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(request.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  const QStringList filters = QtNameFilters(request.filter);
  if (!filters.isEmpty()) dialog.setNameFilters(filters);
  dialog.setDefaultSuffix(DefaultSuffix(request));
  const QString initial = QString::fromUtf8(request.initialName);
  if (IsPlainExtension(initial)) dialog.selectFile(initial);
  if (ExecModal(dialog) != QDialog::Accepted) return std::nullopt;
  const QStringList chosen = dialog.selectedFiles();
  if (chosen.isEmpty()) return std::nullopt;
  return QFile::encodeName(chosen.front()).toStdString();
}

void QtUi::Beep() { QApplication::beep(); }

QStringList QtNameFilters(const std::string& filter) {
  const QStringList parts = QString::fromStdString(filter).split(QLatin1Char('|'));
  QStringList out;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QString description = parts[i].trimmed();
    const QString patterns = parts[i + 1].trimmed().replace(QLatin1Char(';'), QLatin1Char(' '));
    if (patterns.isEmpty()) continue;
    // The description usually repeats the patterns in parentheses; Qt reads them from there.
    const qsizetype open = description.lastIndexOf(QLatin1Char('('));
    if (open >= 0 && description.endsWith(QLatin1Char(')'))) description = description.left(open).trimmed();
    out << QStringLiteral("%1 (%2)").arg(description, patterns);
  }
  return out;
}

QString DefaultSuffix(const FileDialogRequest& request) {
  QString ext = QString::fromStdString(request.defaultExtension);
  if (ext.startsWith(QLatin1Char('.'))) ext.remove(0, 1);
  if (IsPlainExtension(ext)) return ext;
  const QStringList filters = QtNameFilters(request.filter);
  if (filters.isEmpty()) return {};
  const QString first = filters.front().section(QLatin1Char('('), -1).chopped(1).section(QLatin1Char(' '), 0, 0);
  const qsizetype dot = first.lastIndexOf(QLatin1Char('.'));
  const QString fromPattern = dot >= 0 ? first.mid(dot + 1) : QString();
  return IsPlainExtension(fromPattern) ? fromPattern : QString();
}

}  // namespace quorvelin
