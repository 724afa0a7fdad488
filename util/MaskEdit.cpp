#include "util/MaskEdit.h"

#include <algorithm>
#include <utility>

namespace quorvelin {
namespace {

using GroupBounds = CMaskEdit::GroupBounds;

constexpr char kBackspaceChar = '\b';
constexpr char kDeleteChar = 0x7F;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool IsBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

bool FitsMask(char maskChar, char c) {
  switch (maskChar) {
    case 'D': return IsDigit(c);
    case 'd': return IsDigit(c) || IsBlank(c);
    case 'C': return IsLetter(c);
    case 'c': return IsLetter(c) || IsBlank(c);
    case 'A': return IsDigit(c) || IsLetter(c);
    case 'a': return IsDigit(c) || IsLetter(c) || IsBlank(c);
    case '+': return c == '+' || c == '-' || IsBlank(c);
    default: return false;
  }
}

std::vector<GroupBounds> GroupsOf(const std::string& inputTemplate) {
  std::vector<GroupBounds> groups;
  const int n = static_cast<int>(inputTemplate.size());
  for (int p = 0; p < n;) {
    if (inputTemplate[static_cast<size_t>(p)] != CMaskEdit::kEditable) {
      ++p;
      continue;
    }
    const int start = p;
    while (p < n && inputTemplate[static_cast<size_t>(p)] == CMaskEdit::kEditable) ++p;
    groups.push_back({start, p});
  }
  return groups;
}

std::string BlankTemplate(const std::string& inputTemplate, char placeholder) {
  std::string blank = inputTemplate;
  std::replace(blank.begin(), blank.end(), CMaskEdit::kEditable, placeholder);
  return blank;
}

bool InSet(const std::string& set, char c) { return set.find(c) != std::string::npos; }

}  // namespace

// --- configuration ---

bool CMaskEdit::SetMask(const std::string& mask, const std::string& inputTemplate, char placeholder) {
  if (!mask.empty() && inputTemplate.size() != mask.size()) return false;
  const char oldPlaceholder = placeholder_;
  mask_ = mask;
  template_ = inputTemplate;
  placeholder_ = placeholder;
  groups_ = HasMask() ? GroupsOf(template_) : std::vector<GroupBounds>();
  if (HasMask()) {
    bool keep = value_.size() == template_.size();
    for (int p = 0; keep && p < Length(); ++p) {
      char& c = value_[static_cast<size_t>(p)];
      if (!IsEditable(p))
        keep = c == template_[static_cast<size_t>(p)];
      else if (c == oldPlaceholder)
        c = placeholder_;
    }
    if (!keep) value_ = BlankTemplate(template_, placeholder_);
  }
  SetSelection(anchor_, caret_);
  return true;
}

// --- the operations of the control ---

bool CMaskEdit::CheckChar(int position, char ch) const {
  if (HasMask()) return IsEditable(position) && FitsMask(mask_[static_cast<size_t>(position)], ch);
  return validChars_.empty() || InSet(validChars_, ch);
}

int CMaskEdit::SetValue(const std::string& text, bool withFixedChars) {
  std::vector<int> editable;
  for (const GroupBounds& g : groups_)
    for (int p = g.start; p < g.end; ++p) editable.push_back(p);
  if (HasMask() && text.size() > (withFixedChars ? template_.size() : editable.size())) return 0;

  if (!validChars_.empty()) {
    for (size_t i = 0; i < text.size(); ++i) {
      const bool onEditable = !HasMask() || !withFixedChars || IsEditable(static_cast<int>(i));
      if (onEditable && text[i] != placeholder_ && !InSet(validChars_, text[i])) return 0;
    }
  }
  if (!HasMask()) {
    value_ = text;
    SetSelection(anchor_, caret_);
    return 1;
  }

  std::string result = BlankTemplate(template_, placeholder_);
  size_t next = 0;
  for (int p = 0; p < Length() && next < text.size(); ++p) {
    const char c = text[next];
    if (IsEditable(p)) {
      if (c != placeholder_ && !FitsMask(mask_[static_cast<size_t>(p)], c)) return 0;
      result[static_cast<size_t>(p)] = c;
      ++next;
    } else if (withFixedChars) {
      if (c != template_[static_cast<size_t>(p)]) return 0;
      ++next;
    }
  }
  value_ = std::move(result);
  SetSelection(anchor_, caret_);
  return 1;
}

GroupBounds CMaskEdit::GetGroupBounds(int position, bool forward) const {
  if (const GroupBounds* g = GroupHolding(position)) return *g;
  if (forward) {
    for (const GroupBounds& g : groups_)
      if (g.start > position) return g;
  } else {
    for (auto g = groups_.rbegin(); g != groups_.rend(); ++g)
      if (g->end < position) return *g;
  }
  return {};
}

// --- events ---

bool CMaskEdit::KeyDown(Key key, bool shift, bool control) {
  if (key == Key::Other || !HasMask()) return false;  // the edit's own handling
  if (groups_.empty()) {
    Beep();
    return true;
  }
  switch (key) {
    case Key::Delete:
      if (shift) {
        request_ = EditRequest::Cut;
        return true;
      }
      return DeleteKey(false);
    case Key::Backspace:
      return DeleteKey(true);
    case Key::Home: {
      const GroupBounds g = GetGroupBounds(caret_, false);
      PlaceCaret(g.valid() ? g.start : groups_.front().start);
      return true;
    }
    case Key::End: {
      const GroupBounds g = GetGroupBounds(caret_, true);
      PlaceCaret(g.valid() ? g.end : groups_.back().end);
      return true;
    }
    case Key::Left:
    case Key::Up:
      return MoveKey(true, shift, control);
    case Key::Right:
    case Key::Down:
      return MoveKey(false, shift, control);
    case Key::Insert:
      if (control)
        request_ = EditRequest::Copy;
      else if (shift)
        request_ = EditRequest::Paste;
      return true;
    case Key::Other:
      break;
  }
  return false;
}

bool CMaskEdit::Char(char ch) {
  if (ch == kBackspaceChar || ch == kDeleteChar) return HasMask();  // KeyDown did the work
  if (static_cast<unsigned char>(ch) < 0x20) return false;
  if (!HasMask()) {
    if (CheckChar(0, ch)) return false;  // the edit inserts it
    Beep();
    return true;
  }
  if (anchor_ == caret_ && GroupHolding(caret_)) return TypeAtCaret(ch);
  if (anchor_ != caret_ && SelectionInOneGroup()) return TypeOverSelection(ch);
  Beep();
  ReturnSelectionIntoGroup();
  return true;
}

void CMaskEdit::Click(int position) {
  SetSelection(position, position);
  ButtonUp();
}

void CMaskEdit::ButtonUp() {
  if (!selectByGroup_ || groups_.empty()) return;
  GroupBounds g = GetGroupBounds(caret_, true);
  if (!g.valid()) g = GetGroupBounds(caret_, false);
  ClampSelectionInto(g);
}

void CMaskEdit::FocusIn() { SelectFirstGroup(); }

void CMaskEdit::TextEdited(const std::string& newText) {
  if (newText == value_) return;
  if (!SetValue(newText, true)) Beep();
  if (newText != value_) SelectFirstGroup();  // the window shows the value again
}

// --- the edit's state ---

void CMaskEdit::SetSelection(int anchor, int caret) {
  anchor_ = std::clamp(anchor, 0, Length());
  caret_ = std::clamp(caret, 0, Length());
}

CMaskEdit::EditRequest CMaskEdit::TakeRequest() { return std::exchange(request_, EditRequest::None); }

// --- positions and groups ---

bool CMaskEdit::IsEditable(int position) const {
  return HasMask() && position >= 0 && position < static_cast<int>(template_.size()) &&
         template_[static_cast<size_t>(position)] == kEditable;
}

const GroupBounds* CMaskEdit::GroupHolding(int caret) const {
  for (const GroupBounds& g : groups_)
    if (g.start <= caret && caret <= g.end) return &g;
  return nullptr;
}

const GroupBounds* CMaskEdit::GroupAfter(const GroupBounds& group) const {
  for (const GroupBounds& g : groups_)
    if (g.start > group.start) return &g;
  return nullptr;
}

const GroupBounds* CMaskEdit::GroupBefore(const GroupBounds& group) const {
  for (auto g = groups_.rbegin(); g != groups_.rend(); ++g)
    if (g->start < group.start) return &*g;
  return nullptr;
}

bool CMaskEdit::SelectionInOneGroup() const {
  const GroupBounds* g = GroupHolding(SelectionStart());
  return g && SelectionStart() < g->end && SelectionEnd() <= g->end;
}

// The run: from `position` on while the group lasts and the mask character stays the same.
int CMaskEdit::RunEnd(int position) const {
  int end = position;
  while (IsEditable(end) && mask_[static_cast<size_t>(end)] == mask_[static_cast<size_t>(position)]) ++end;
  return end;
}

// --- selection ---

void CMaskEdit::Beep() {
  ++beeps_;
  if (beepHandler_) beepHandler_();
}

void CMaskEdit::SelectFirstGroup() {
  if (selectByGroup_ && !groups_.empty()) {
    anchor_ = groups_.front().start;
    caret_ = groups_.front().end;
  } else {
    anchor_ = 0;
    caret_ = Length();
  }
}

void CMaskEdit::ClampSelectionInto(const GroupBounds& group) {
  if (!group.valid()) return;
  anchor_ = std::clamp(anchor_, group.start, group.end);
  caret_ = std::clamp(caret_, group.start, group.end);
}

void CMaskEdit::ReturnSelectionIntoGroup() {
  GroupBounds g = GetGroupBounds(SelectionStart(), true);
  if (!g.valid()) g = GetGroupBounds(SelectionStart(), false);
  ClampSelectionInto(g);
}

// --- typing ---

bool CMaskEdit::TypeAtCaret(char ch) {
  const GroupBounds* g = GroupHolding(caret_);
  if (caret_ == g->end) {  // at a group's end: on to the next group
    g = GroupAfter(*g);
    if (!g) {
      Beep();
      return true;
    }
    PlaceCaret(g->start);
  }
  if (!CheckChar(caret_, ch)) {
    Beep();
    return true;
  }
  value_[static_cast<size_t>(caret_)] = ch;
  int next = caret_ + 1;
  if (next == g->end)
    if (const GroupBounds* following = GroupAfter(*g)) next = following->start;
  PlaceCaret(next);
  return true;
}

bool CMaskEdit::TypeOverSelection(char ch) {
  const int start = SelectionStart();
  const int end = SelectionEnd();
  if (!CheckChar(start, ch)) {
    Beep();
    return true;
  }
  value_[static_cast<size_t>(start)] = ch;
  std::fill(value_.begin() + start + 1, value_.begin() + end, placeholder_);
  PlaceCaret(start + 1);
  return true;
}

// --- deleting ---

bool CMaskEdit::DeleteKey(bool backspace) {
  if (anchor_ != caret_) {
    if (SelectionInOneGroup()) {
      DeleteSelection();
    } else {
      Beep();
      ReturnSelectionIntoGroup();
    }
    return true;
  }
  const int caret = caret_;
  if (!backspace) {
    if (IsEditable(caret)) {
      DeleteAt(caret);
    } else {
      Beep();
      ReturnSelectionIntoGroup();
    }
    return true;
  }
  const GroupBounds* g = GroupHolding(caret);
  if (!g) {
    Beep();
    ReturnSelectionIntoGroup();
  } else if (caret == g->start) {
    if (const GroupBounds* previous = GroupBefore(*g))
      PlaceCaret(previous->end);
    else
      Beep();
  } else if (DeleteAt(caret - 1)) {
    PlaceCaret(caret - 1);
  }
  return true;
}

// Removes the character at `position`: the rest of its run moves one to the left.
bool CMaskEdit::DeleteAt(int position) {
  const int end = RunEnd(position);
  for (int p = position + 1; p < end; ++p) {
    const char c = value_[static_cast<size_t>(p)];
    if (c != placeholder_ && !CheckChar(p - 1, c)) {
      Beep();
      return false;
    }
  }
  std::copy(value_.begin() + position + 1, value_.begin() + end, value_.begin() + position);
  value_[static_cast<size_t>(end - 1)] = placeholder_;
  return true;
}

void CMaskEdit::DeleteSelection() {
  const int start = SelectionStart();
  const int end = SelectionEnd();
  const int runEnd = RunEnd(start);
  if (end > runEnd) {
    Beep();
    anchor_ = start;
    caret_ = runEnd;
    return;
  }
  std::copy(value_.begin() + end, value_.begin() + runEnd, value_.begin() + start);
  std::fill(value_.begin() + runEnd - (end - start), value_.begin() + runEnd, placeholder_);
  PlaceCaret(start);
}

// --- moving ---

bool CMaskEdit::MoveKey(bool backward, bool shift, bool control) {
  if (!shift && !control && anchor_ != caret_) {
    PlaceCaret(backward ? SelectionStart() : SelectionEnd());
    return true;
  }
  int target = control ? GroupStepTarget(backward) : StepTarget(backward);
  if (shift && selectByGroup_) {
    const GroupBounds* g = GroupHolding(anchor_);
    if (g && target >= 0) target = std::clamp(target, g->start, g->end);
    if (!g || target == caret_) target = -1;
  }
  if (target < 0) {
    Beep();  // the move would leave the editable positions
    return true;
  }
  if (shift)
    caret_ = target;
  else
    PlaceCaret(target);
  return true;
}

// The next caret position within the groups, one step to the left or right.
int CMaskEdit::StepTarget(bool backward) const {
  const int candidate = backward ? caret_ - 1 : caret_ + 1;
  if (candidate < 0 || candidate > Length()) return -1;
  if (GroupHolding(candidate)) return candidate;
  if (backward) {
    for (auto g = groups_.rbegin(); g != groups_.rend(); ++g)
      if (g->end < caret_) return g->end;
  } else {
    for (const GroupBounds& g : groups_)
      if (g.start > caret_) return g.start;
  }
  return -1;
}

// The start of the previous or next group.
int CMaskEdit::GroupStepTarget(bool backward) const {
  if (const GroupBounds* g = GroupHolding(caret_)) {
    const GroupBounds* other = backward ? GroupBefore(*g) : GroupAfter(*g);
    return other ? other->start : -1;
  }
  const GroupBounds g = GetGroupBounds(caret_, !backward);
  return g.valid() ? g.start : -1;
}

}  // namespace quorvelin
