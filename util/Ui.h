// What the core asks of the user interface: message boxes and file dialogs.
// The editor implements it with Qt; tests use RecordingUi. Texts are UTF-8.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace quorvelin {

enum class MsgIcon { None, Information, Warning, Error, Question };
enum class MsgButtons { Ok, YesNo };
enum class MsgAnswer { Ok, Yes, No };

// Caption of the application-wide message box ("The data is error!" and its like).
inline constexpr const char* kApplicationTitle = "Quorvelin";
// The caption that validation messages and "... is exist!" refusals use.
inline constexpr const char* kSystemInfo = "SystemInfo";
// The caption of a plain message box, whose owner names none.
inline constexpr const char* kDefaultCaption = "Error";

struct FileDialogRequest {
  bool save = false;             // save dialog, else open dialog
  std::string defaultExtension;  // "*"
  std::string initialName;       // "*.data"
  std::string filter;            // "All Files (*.data)|*.data|"
};

class Ui {
 public:
  virtual ~Ui() = default;
  virtual MsgAnswer MessageBox(const std::string& text, const std::string& caption, MsgIcon icon,
                               MsgButtons buttons) = 0;
  // The application-wide box: application title as caption, OK button, no icon.
  MsgAnswer AppMessageBox(const std::string& text) {
    return MessageBox(text, kApplicationTitle, MsgIcon::None, MsgButtons::Ok);
  }
  // A plain box: the default caption, OK button, no icon.
  MsgAnswer PlainMessageBox(const std::string& text) {
    return MessageBox(text, kDefaultCaption, MsgIcon::None, MsgButtons::Ok);
  }
  // The chosen path, or nothing when the user cancelled.
  virtual std::optional<std::string> FileDialog(const FileDialogRequest& request) = 0;
  virtual void Beep() {}
};

// Records every request; answers from queues (Yes and a cancelled file dialog when empty).
class RecordingUi : public Ui {
 public:
  struct Message {
    std::string text, caption;
    MsgIcon icon;
    MsgButtons buttons;
  };

  MsgAnswer MessageBox(const std::string& text, const std::string& caption, MsgIcon icon,
                       MsgButtons buttons) override {
    messages.push_back({text, caption, icon, buttons});
    if (buttons == MsgButtons::Ok) return MsgAnswer::Ok;
    if (answers.empty()) return MsgAnswer::Yes;
    const MsgAnswer a = answers.front();
    answers.pop_front();
    return a;
  }
  std::optional<std::string> FileDialog(const FileDialogRequest& request) override {
    fileRequests.push_back(request);
    if (fileAnswers.empty()) return std::nullopt;
    auto a = fileAnswers.front();
    fileAnswers.pop_front();
    return a;
  }
  void Beep() override { ++beeps; }

  std::string LastText() const { return messages.empty() ? std::string() : messages.back().text; }

  std::vector<Message> messages;
  std::deque<MsgAnswer> answers;
  std::vector<FileDialogRequest> fileRequests;
  std::deque<std::optional<std::string>> fileAnswers;
  int beeps = 0;
};

}  // namespace quorvelin
