// The progress of a Refresh or Submit in the editor window: once a flow has run for half a
// second, a modal progress dialog centred over the window names the table in hand and offers
// Cancel; from then on the window repaints between two exchanges and while the link waits. The
// tree view itself stays still until the flow is over.
#pragma once

#include <QElapsedTimer>
#include <QPointer>
#include <QProgressDialog>
#include <QWidget>
#include <memory>

#include "device/FlowLog.h"

namespace quorvelin {

class FlowProgressDialog final : public FlowProgress {
 public:
  static constexpr int kShowAfterMs = 500;

  // `owner` is the editor window, `view` the tree view that waits for the flow's end.
  FlowProgressDialog(QWidget* owner, QWidget* view) : owner_(owner), view_(view) {}
  ~FlowProgressDialog() override;
  FlowProgressDialog(const FlowProgressDialog&) = delete;
  FlowProgressDialog& operator=(const FlowProgressDialog&) = delete;
  void SetView(QWidget* view) { view_ = view; }

  void Step(const std::string& table, int done, int total) override;
  bool CancelRequested() override;
  // The link waits: the dialog appears when due, and paints.
  void Tick();
  // The flow is over: the dialog goes and the view paints again.
  void End();
  // The dialog while it is shown (tests press its Cancel).
  QProgressDialog* Dialog() const { return dialog_.get(); }

 private:
  void ShowWhenDue();
  void LetTheWindowRepaint();

  QPointer<QWidget> owner_, view_;
  QElapsedTimer clock_;
  std::unique_ptr<QProgressDialog> dialog_;
  QString label_;
  int done_ = 0, total_ = 0;
  bool running_ = false, cancelled_ = false;
};

}  // namespace quorvelin
