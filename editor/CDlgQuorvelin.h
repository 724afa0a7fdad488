// The editor window: a resizable modal dialog whose whole client area is the tree of the
// device's tables. It hands the tree the host's device address, port mode, callbacks and
// protocol mode, reads every table before it appears, routes the context-menu commands to the
// tree first and releases every record when it is closed.
#pragma once

#include <QDialog>
#include <QLabel>
#include <memory>

#include "device/DeviceLink.h"
#include "editor/FlowProgressDialog.h"
#include "editor/QtDialogRunner.h"
#include "editor/QtUi.h"
#include "editor/TableTreeView.h"
#include "editor/TreeItemModel.h"
#include "editor/WaitCursor.h"
#include "tree/TableTreeCtrl.h"
#include "commands/TreeCommands.h"

namespace quorvelin {

inline constexpr const char* kEditorCaption = "Quorvelin 2.2.6.2";
inline constexpr const char* kEditorResourceTitle = "Quorvelin";
inline constexpr int kEditorTemplateId = 4000;
inline constexpr int kTemplateWidth = 500, kTemplateHeight = 294;  // 250 x 147 dialog units

using HostFunction = bool (*)();

class CDlgQuorvelin : public QDialog, public CommandTarget {
 public:
  // Port mode 1: two ports; 2 or 3: one port; protocol mode 0x47: fragmented UDP transfer.
  CDlgQuorvelin(unsigned long deviceAddress, QWidget* parent, int portMode, HostFunction first, HostFunction second,
                int protocolMode);
  ~CDlgQuorvelin() override;

  // Runs the window modally (OnInitDialog first; through ExecModal) and returns when it is closed.
  int DoModal();
  // Socket, image list, first Refresh, caption; true (the framework sets the focus).
  virtual bool OnInitDialog();
  // Offers the command to the tree first; true when it was handled.
  bool OnCmdMsg(int id) override;
  // Keeps the tree filling the client area above the status line; ignored before the tree exists.
  void OnSize(int width, int height);
  // Releases the record of every item of the tree.
  void OnClose();

  MenuState UpdateMenuState() override;
  bool OnDoubleClick() override;

  // The link's waits, UDP port and exchange file (tests shorten the waits); the device address,
  // protocol mode and channel come from the host. Takes effect at OnInitDialog.
  LinkSettings& Link() { return link_ ? link_->Settings() : linkSettings_; }
  // A one-port device's channel, in the link and in the port node's label.
  void UseChannel(int channel);

  TableTreeCtrl& Tree() { return tree_; }
  TreeItemModel& Model() { return model_; }
  TableTreeView* TreeView() const { return view_.get(); }
  QLabel* StatusLine() const { return status_.get(); }
  FlowProgressDialog& Progress() { return progress_; }

  void setVisible(bool visible) override;
  void reject() override;

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  HostFunction first_;
  HostFunction second_;
  TableTreeCtrl tree_;
  QtUi ui_;
  QtDialogRunner runner_;
  LinkSettings linkSettings_;
  std::unique_ptr<DeviceLink> link_;
  WaitCursorExchange exchange_;
  std::unique_ptr<TreeCommands> commands_;
  TreeItemModel model_;
  std::unique_ptr<TableTreeView> view_;  // goes before the model and the tree it shows
  std::unique_ptr<QLabel> status_;
  FlowProgressDialog progress_;
  bool initialised_ = false;
  bool busy_ = false;  // a command runs: no second one, no closing

  // Before the window first appears: the size and place it had when it was last closed
  // (editor.ini in the user's config folder), else the screen's work area, maximised.
  void PlaceWindow();
  // The window's size, place and state, for the next run.
  void SaveWindowPlace();
  // Runs a command in one model batch; the status line shows its result afterwards.
  template <class Command>
  bool RunCommand(Command command);
};

}  // namespace quorvelin
