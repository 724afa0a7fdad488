#include "editor/CDlgQuorvelin.h"

#include <QCloseEvent>
#include <QCursor>
#include <QGuiApplication>
#include <QResizeEvent>
#include <QScreen>
#include <QSettings>
#include <algorithm>

#include "editor/IconStrip.h"
#include "editor/ModalHook.h"
#include "util/Settings.h"

namespace quorvelin {

CDlgQuorvelin::CDlgQuorvelin(unsigned long deviceAddress, QWidget* parent, int portMode, HostFunction first,
                             HostFunction second, int protocolMode)
    : QDialog(parent),
      first_(first),
      second_(second),
      ui_(this),
      runner_(this),
      model_(tree_),
      progress_(this, nullptr) {
  linkSettings_.deviceAddress = static_cast<uint32_t>(deviceAddress);
  linkSettings_.protocolMode = protocolMode;
  linkSettings_.channelNumber = portMode == 2 || portMode == 3 ? 1 : -1;
  tree_.LayOutPorts(portMode, linkSettings_.channelNumber);
  commands_ = std::make_unique<TreeCommands>(tree_, ui_, runner_, exchange_);
  commands_->UseLink(linkSettings_);

  setObjectName(QStringLiteral("dlg%1").arg(kEditorTemplateId));
  setWindowTitle(QString::fromLatin1(kEditorResourceTitle));
  setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                 Qt::WindowCloseButtonHint);
  resize(kTemplateWidth, kTemplateHeight);  // 250 x 147 dialog units, until PlaceWindow
  view_ = std::make_unique<TableTreeView>(model_, this);
  view_->SetCommandTarget(this);
  status_ = std::make_unique<QLabel>(this);
  status_->setObjectName(QStringLiteral("status"));
  status_->setTextFormat(Qt::PlainText);
  status_->setContentsMargins(4, 2, 4, 2);
  progress_.SetView(view_.get());
  commands_->SetProgress(&progress_);
  OnSize(width(), height());
}

CDlgQuorvelin::~CDlgQuorvelin() = default;

void CDlgQuorvelin::UseChannel(int channel) {
  Link().channelNumber = channel;
  tree_.LayOutPorts(3, channel);
}

int CDlgQuorvelin::DoModal() { return ExecModal(*this); }

void CDlgQuorvelin::setVisible(bool visible) {
  if (visible && !initialised_) {
    // The window appears at its place first, so that the first Refresh's progress stands over it.
    PlaceWindow();
    setWindowTitle(QString::fromLatin1(kEditorCaption));
    QDialog::setVisible(true);
    OnInitDialog();
    return;
  }
  if (!visible && isVisible() && initialised_) SaveWindowPlace();
  QDialog::setVisible(visible);
}

namespace {

QString PlaceFile() { return QString::fromStdString(UserConfigDirectory()) + QStringLiteral("/editor.ini"); }
constexpr const char* kGeometryKey = "window/geometry";

}  // namespace

void CDlgQuorvelin::PlaceWindow() {
  if (!UserConfigDirectory().empty()) {
    const QSettings place(PlaceFile(), QSettings::IniFormat);
    if (restoreGeometry(place.value(QLatin1String(kGeometryKey)).toByteArray())) return;
  }
  // Never placed before: the screen's work area, maximised. The size is set before the window
  // appears, so its content fills the screen even before the window manager's maximise arrives.
  QScreen* screen = QGuiApplication::screenAt(QCursor::pos());
  if (screen == nullptr) screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) return;
  const QRect work = screen->availableGeometry();
  setGeometry(work);
  setWindowState(windowState() | Qt::WindowMaximized);
}

void CDlgQuorvelin::SaveWindowPlace() {
  if (UserConfigDirectory().empty()) return;
  QSettings place(PlaceFile(), QSettings::IniFormat);
  place.setValue(QLatin1String(kGeometryKey), saveGeometry());
}

bool CDlgQuorvelin::OnInitDialog() {
  initialised_ = true;
  link_ = std::make_unique<DeviceLink>(ui_, linkSettings_);
  commands_->UseLink(link_->Settings());
  link_->SetHostCallbacks(first_ ? HostCallback(first_) : HostCallback(), second_ ? HostCallback(second_) : HostCallback());
  exchange_.SetLink(link_.get());
  link_->SetWaitTick([this] { progress_.Tick(); });
  tree_.ForgetPorts();
  tree_.menu = {};

  model_.SetImages(IconImages());
  RunCommand([this] {
    commands_->Refresh();
    return true;
  });
  view_->TakeStateFromTree();

  setWindowTitle(QString::fromLatin1(kEditorCaption));
  view_->setFocus();
  return true;
}

template <class Command>
bool CDlgQuorvelin::RunCommand(Command command) {
  if (busy_) return false;
  busy_ = true;
  bool handled = false;
  {
    const ModelBatch batch(model_);
    handled = command();
    progress_.End();
  }
  busy_ = false;
  status_->setText(QString::fromStdString(commands_->StatusLine()));
  return handled;
}

bool CDlgQuorvelin::OnCmdMsg(int id) {
  return RunCommand([this, id] { return commands_->OnCommand(id); });
}

MenuState CDlgQuorvelin::UpdateMenuState() { return commands_->UpdateMenuState(); }

bool CDlgQuorvelin::OnDoubleClick() {
  return RunCommand([this] { return commands_->OnDoubleClick(); });
}

void CDlgQuorvelin::OnSize(int width, int height) {
  if (!view_ || !status_) return;
  const int line = status_->sizeHint().height();
  view_->setGeometry(0, 0, width, std::max(0, height - line));
  status_->setGeometry(0, std::max(0, height - line), width, line);
}

void CDlgQuorvelin::OnClose() {
  if (const ItemHandle first = tree_.GetRootItem()) tree_.ReleaseRecords(first);
}

void CDlgQuorvelin::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  OnSize(event->size().width(), event->size().height());
}

void CDlgQuorvelin::closeEvent(QCloseEvent* event) {
  if (busy_) return event->ignore();  // a flow runs: its progress dialog offers Cancel
  QDialog::closeEvent(event);  // runs reject(), which asks before edits are dropped
}

// Escape and the close box: a port with edits not submitted is dropped only when the user says so.
void CDlgQuorvelin::reject() {
  if (busy_ || !commands_->MayDiscardAllEdits()) return;
  OnClose();
  QDialog::reject();
}

}  // namespace quorvelin
