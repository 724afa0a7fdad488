// The user interface of the headless commands: messages go to a stream in UTF-8 with their
// caption; questions are answered Yes and file dialogs are cancelled.
#pragma once

#include <ostream>

#include "util/Ui.h"

namespace quorvelin {

class ConsoleUi : public Ui {
 public:
  explicit ConsoleUi(std::ostream& out) : out_(out) {}
  MsgAnswer MessageBox(const std::string& text, const std::string& caption, MsgIcon, MsgButtons buttons) override {
    out_ << caption << ": " << text << '\n';
    return buttons == MsgButtons::Ok ? MsgAnswer::Ok : MsgAnswer::Yes;
  }
  std::optional<std::string> FileDialog(const FileDialogRequest&) override { return std::nullopt; }

 private:
  std::ostream& out_;
};

}  // namespace quorvelin
