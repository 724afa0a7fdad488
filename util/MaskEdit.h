// CMaskEdit: the logic of a masked edit control, without a toolkit.
//
// The control shows its value: the input template with every "_" (an editable position)
// holding either input or the placeholder, and every other template character fixed. Typed
// characters must fit the mask character of their position; the caret moves from one group
// (a maximal run of editable positions) to the next.
//
// A widget wraps it like this: before each event it hands over the widget's selection
// (SetSelection), then offers keys to KeyDown and typed characters to Char. When they return
// true the event is consumed: the widget takes Text() and the selection back and runs the
// request of TakeRequest() (cut, copy, paste) if there is one. When they return false the
// widget processes the event itself and reports a changed text through TextEdited. The left
// button going up is Click(caret) (or ButtonUp() after a drag), focus arriving is FocusIn().
//
// Positions count characters from 0; the caret and selection ends lie between characters
// (0 .. length). Characters are single bytes.
#pragma once

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace quorvelin {

class CMaskEdit {
 public:
  enum class Key { Delete, Backspace, Home, End, Left, Right, Up, Down, Insert, Other };
  // An operation of the edit itself that a key asks for.
  enum class EditRequest { None, Cut, Copy, Paste };

  static constexpr char kEditable = '_';  // editable position in the input template

  struct GroupBounds {
    int start = -1;  // -1: no group
    int end = -1;    // one past the group's last position
    bool valid() const { return start >= 0; }
    bool operator==(const GroupBounds&) const = default;
  };

  CMaskEdit() = default;

  // --- configuration ---
  // An empty mask turns the mask off (the valid characters filter the input instead). Otherwise
  // the template must be as long as the mask (else false and nothing changes). The value is
  // kept when its fixed characters still match the template, else it becomes the blank template.
  bool SetMask(const std::string& mask, const std::string& inputTemplate, char placeholder = '_');
  void SetValidChars(const std::string& chars) { validChars_ = chars; }
  void SetSelectByGroup(bool on) { selectByGroup_ = on; }
  void SetBeepHandler(std::function<void()> handler) { beepHandler_ = std::move(handler); }

  const std::string& Template() const { return template_; }

  // --- the operations of the control ---
  bool CheckChar(int position, char ch) const;
  // 1 when the text became the value, 0 when it was refused (value unchanged).
  int SetValue(const std::string& text, bool withFixedChars = true);
  const std::string& Value() const { return value_; }
  // The group at or after `position` (forward) or at or before it; a caret at a group's end
  // counts as inside it.
  GroupBounds GetGroupBounds(int position, bool forward = true) const;

  // --- events ---
  bool KeyDown(Key key, bool shift, bool control);
  bool Char(char ch);
  void Click(int position);
  void ButtonUp();
  void FocusIn();
  void TextEdited(const std::string& newText);

  // --- the edit's state ---
  const std::string& Text() const { return value_; }
  void SetSelection(int anchor, int caret);
  int SelectionStart() const { return std::min(anchor_, caret_); }
  int SelectionEnd() const { return std::max(anchor_, caret_); }
  int Caret() const { return caret_; }
  int BeepCount() const { return beeps_; }
  EditRequest TakeRequest();

 private:
  bool HasMask() const { return !mask_.empty(); }
  bool IsEditable(int position) const;
  int Length() const { return static_cast<int>(value_.size()); }
  const GroupBounds* GroupHolding(int caret) const;  // start <= caret <= end
  const GroupBounds* GroupAfter(const GroupBounds& group) const;
  const GroupBounds* GroupBefore(const GroupBounds& group) const;
  bool SelectionInOneGroup() const;
  int RunEnd(int position) const;

  void Beep();
  void PlaceCaret(int position) { anchor_ = caret_ = position; }
  void SelectFirstGroup();
  void ClampSelectionInto(const GroupBounds& group);
  void ReturnSelectionIntoGroup();

  bool TypeAtCaret(char ch);
  bool TypeOverSelection(char ch);
  bool DeleteKey(bool backspace);
  bool DeleteAt(int position);
  void DeleteSelection();
  bool MoveKey(bool backward, bool shift, bool control);
  int StepTarget(bool backward) const;
  int GroupStepTarget(bool backward) const;

  std::string value_;
  std::string mask_;
  std::string template_;
  char placeholder_ = '_';
  std::string validChars_;
  bool selectByGroup_ = true;

  std::vector<GroupBounds> groups_;
  int anchor_ = 0;
  int caret_ = 0;
  int beeps_ = 0;
  std::function<void()> beepHandler_;
  EditRequest request_ = EditRequest::None;
};

}  // namespace quorvelin
