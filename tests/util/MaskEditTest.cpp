#include "util/MaskEdit.h"

#include <gtest/gtest.h>

#include <string>

namespace quorvelin {
namespace {

using Key = CMaskEdit::Key;
using Request = CMaskEdit::EditRequest;

CMaskEdit Masked(const std::string& mask, const std::string& inputTemplate, const std::string& value = "") {
  CMaskEdit edit;
  EXPECT_TRUE(edit.SetMask(mask, inputTemplate));
  if (!value.empty()) {
    EXPECT_EQ(edit.SetValue(value, true), 1);
  }
  return edit;
}

void Type(CMaskEdit& edit, const std::string& text) {
  for (const char c : text) edit.Char(c);
}

// "DD/DD": groups [0,2] and [3,5].
CMaskEdit Date(const std::string& value = "") { return Masked("DD/DD", "__/__", value); }
// A fixed stretch of three characters between the groups [0,2] and [5,7].
CMaskEdit Spaced() { return Masked("DD   DD", "__ - __"); }

TEST(MaskEdit, TypingAMisfitBeepsAndKeepsThePlaceholder) {
  CMaskEdit edit = Masked("DD", "__");
  EXPECT_TRUE(edit.Char('1'));
  EXPECT_TRUE(edit.Char('x'));
  EXPECT_EQ(edit.Text(), "1_");
  EXPECT_EQ(edit.BeepCount(), 1);
  EXPECT_EQ(edit.Caret(), 1);
}

TEST(MaskEdit, SetValue) {
  CMaskEdit edit = Date();
  EXPECT_EQ(edit.Text(), "__/__");
  EXPECT_EQ(edit.SetValue("12", false), 1);
  EXPECT_EQ(edit.Value(), "12/__");
  EXPECT_EQ(edit.SetValue("1_/_4", true), 1);  // placeholders are kept
  EXPECT_EQ(edit.Value(), "1_/_4");
  for (const auto& [text, withFixed] : {std::pair{"12/34", false}, {"12/345", true}, {"1x", true},
                                        {"12-3", true}, {"12/3a", true}}) {
    EXPECT_EQ(edit.SetValue(text, withFixed), 0) << text;
    EXPECT_EQ(edit.Value(), "1_/_4") << text;
  }
}

TEST(MaskEdit, ValidCharactersFilterWithAndWithoutMask) {
  CMaskEdit edit = Masked("AA", "__");
  edit.SetValidChars("0123456789abcdef");
  EXPECT_EQ(edit.SetValue("1f"), 1);
  EXPECT_EQ(edit.SetValue("1g"), 0);
  EXPECT_TRUE(edit.CheckChar(0, 'g'));  // with a mask only the mask decides a typed character

  CMaskEdit plain;
  plain.SetValidChars("abc");
  EXPECT_FALSE(plain.Char('a'));  // the edit inserts it
  EXPECT_TRUE(plain.Char('z'));
  EXPECT_EQ(plain.BeepCount(), 1);
  plain.TextEdited("ab");
  EXPECT_EQ(plain.Value(), "ab");
  plain.TextEdited("abz");
  EXPECT_EQ(plain.Value(), "ab");
  EXPECT_EQ(plain.BeepCount(), 2);
}

TEST(MaskEdit, MaskCharacters) {
  const struct {
    char mask;
    const char* accepted;
    const char* refused;
  } cases[] = {
      {'D', "09", " aZ+"}, {'d', "5 ", "a+"},   {'C', "aZ", " 5-"},  {'c', "q ", "5_"},
      {'A', "a5", " -"},   {'a', "a5 ", "-_"}, {'+', "+- ", "5a"}, {'x', "", "x5 "},
  };
  for (const auto& c : cases) {
    CMaskEdit edit = Masked(std::string(1, c.mask), "_");
    for (const char* p = c.accepted; *p; ++p) EXPECT_TRUE(edit.CheckChar(0, *p)) << c.mask << *p;
    for (const char* p = c.refused; *p; ++p) EXPECT_FALSE(edit.CheckChar(0, *p)) << c.mask << *p;
  }
  EXPECT_FALSE(Date().CheckChar(2, '/'));  // fixed position
  EXPECT_FALSE(Date().CheckChar(9, '1'));
}

TEST(MaskEdit, TypingRunsThroughTheGroups) {
  CMaskEdit edit = Date();
  edit.FocusIn();
  EXPECT_EQ(edit.SelectionStart(), 0);
  EXPECT_EQ(edit.SelectionEnd(), 2);
  Type(edit, "12");
  EXPECT_EQ(edit.Text(), "12/__");
  EXPECT_EQ(edit.Caret(), 3);  // jumped over the slash
  Type(edit, "34");
  EXPECT_EQ(edit.Text(), "12/34");
  EXPECT_EQ(edit.Caret(), 5);
  EXPECT_EQ(edit.BeepCount(), 0);
  edit.Char('5');  // no group after the last one
  EXPECT_EQ(edit.BeepCount(), 1);

  edit.SetSelection(2, 2);  // end of the first group: typing goes on in the next
  edit.Char('9');
  EXPECT_EQ(edit.Text(), "12/94");
}

TEST(MaskEdit, TypingOverASelectionKeepsTheGroupLength) {
  CMaskEdit edit = Masked("DDDD", "____", "1234");
  edit.SetSelection(3, 1);
  EXPECT_TRUE(edit.Char('7'));
  EXPECT_EQ(edit.Text(), "17_4");
  EXPECT_EQ(edit.Caret(), 2);
  edit.SetSelection(0, 2);
  edit.Char('x');
  EXPECT_EQ(edit.Text(), "17_4");
  EXPECT_EQ(edit.BeepCount(), 1);
}

TEST(MaskEdit, TypingOutsideAGroupReturnsIntoOne) {
  CMaskEdit edit = Spaced();
  edit.SetSelection(3, 3);
  edit.Char('1');
  EXPECT_EQ(edit.BeepCount(), 1);
  EXPECT_EQ(edit.Caret(), 5);
  EXPECT_EQ(edit.Text(), "__ - __");

  CMaskEdit date = Date("12/34");
  date.SetSelection(1, 4);  // crosses the slash
  date.Char('5');
  EXPECT_EQ(date.Text(), "12/34");
  EXPECT_EQ(date.SelectionStart(), 1);
  EXPECT_EQ(date.SelectionEnd(), 2);
}

TEST(MaskEdit, ClickInAFixedStretchMovesIntoTheNextGroup) {
  CMaskEdit edit = Spaced();
  edit.Click(3);
  EXPECT_EQ(edit.SelectionStart(), 5);
  EXPECT_EQ(edit.SelectionEnd(), 5);
  edit.Click(2);
  EXPECT_EQ(edit.Caret(), 2);
  edit.SetSelection(1, 6);  // a drag across the fixed stretch
  edit.ButtonUp();
  EXPECT_EQ(edit.SelectionStart(), 5);
  EXPECT_EQ(edit.SelectionEnd(), 6);

  edit.SetSelectByGroup(false);
  edit.Click(3);
  EXPECT_EQ(edit.Caret(), 3);
  edit.FocusIn();
  EXPECT_EQ(edit.SelectionEnd(), 7);
}

TEST(MaskEdit, DeleteShiftsTheRunOnly) {
  CMaskEdit edit = Masked("DDDaa", "_____", "123ab");
  edit.SetSelection(0, 0);
  EXPECT_TRUE(edit.KeyDown(Key::Delete, false, false));
  EXPECT_EQ(edit.Text(), "23_ab");  // the letters are another run
  EXPECT_EQ(edit.Caret(), 0);
  edit.SetSelection(3, 3);
  edit.KeyDown(Key::Delete, false, false);
  EXPECT_EQ(edit.Text(), "23_b_");
  EXPECT_EQ(edit.BeepCount(), 0);

  edit.SetSelection(5, 5);  // behind the last editable position
  edit.KeyDown(Key::Delete, false, false);
  EXPECT_EQ(edit.BeepCount(), 1);
  EXPECT_EQ(edit.Text(), "23_b_");
}

TEST(MaskEdit, DeleteRefusesACharacterThatWouldNotFitOneToTheLeft) {
  CMaskEdit edit = Masked("aa", "__", "1b");
  ASSERT_TRUE(edit.SetMask("DD", "__"));  // the value stays, its letter no longer fits
  EXPECT_EQ(edit.Text(), "1b");
  edit.SetSelection(0, 0);
  edit.KeyDown(Key::Delete, false, false);
  EXPECT_EQ(edit.Text(), "1b");
  EXPECT_EQ(edit.BeepCount(), 1);
  edit.SetSelection(2, 2);
  edit.KeyDown(Key::Backspace, false, false);  // the last character has nothing behind it
  EXPECT_EQ(edit.Text(), "1_");
  EXPECT_EQ(edit.Caret(), 1);
}

TEST(MaskEdit, BackspaceJumpsBetweenGroups) {
  CMaskEdit edit = Date("12/34");
  edit.SetSelection(4, 4);
  edit.KeyDown(Key::Backspace, false, false);
  EXPECT_EQ(edit.Text(), "12/4_");
  EXPECT_EQ(edit.Caret(), 3);
  edit.KeyDown(Key::Backspace, false, false);  // at the group's start: to the previous group
  EXPECT_EQ(edit.Text(), "12/4_");
  EXPECT_EQ(edit.Caret(), 2);
  edit.KeyDown(Key::Backspace, false, false);
  EXPECT_EQ(edit.Text(), "1_/4_");
  EXPECT_EQ(edit.BeepCount(), 0);
  edit.SetSelection(0, 0);
  edit.KeyDown(Key::Backspace, false, false);
  EXPECT_EQ(edit.BeepCount(), 1);
  EXPECT_TRUE(edit.Char('\b'));  // the character of the key is consumed
  EXPECT_EQ(edit.Text(), "1_/4_");
}

TEST(MaskEdit, DeletingASelection) {
  CMaskEdit edit = Masked("DDDD", "____", "1234");
  edit.SetSelection(1, 3);
  edit.KeyDown(Key::Backspace, false, false);
  EXPECT_EQ(edit.Text(), "14__");
  EXPECT_EQ(edit.Caret(), 1);

  CMaskEdit mixed = Masked("DDaa", "____", "12ab");
  mixed.SetSelection(1, 3);  // longer than the run of digits from 1
  mixed.KeyDown(Key::Delete, false, false);
  EXPECT_EQ(mixed.Text(), "12ab");
  EXPECT_EQ(mixed.BeepCount(), 1);
  EXPECT_EQ(mixed.SelectionStart(), 1);
  EXPECT_EQ(mixed.SelectionEnd(), 2);

  CMaskEdit date = Date("12/34");
  date.SetSelection(1, 4);
  date.KeyDown(Key::Delete, false, false);
  EXPECT_EQ(date.Text(), "12/34");
  EXPECT_EQ(date.BeepCount(), 1);
  EXPECT_EQ(date.SelectionEnd(), 2);
}

TEST(MaskEdit, HomeAndEndStayInTheGroups) {
  CMaskEdit edit = Date("12/34");
  edit.SetSelection(4, 4);
  edit.KeyDown(Key::Home, false, false);
  EXPECT_EQ(edit.Caret(), 3);
  edit.KeyDown(Key::End, false, false);
  EXPECT_EQ(edit.Caret(), 5);
  edit.SetSelection(2, 2);  // a caret at a group's end belongs to that group
  edit.KeyDown(Key::Home, false, false);
  EXPECT_EQ(edit.Caret(), 0);

  CMaskEdit parens = Masked("xDDx", "(__)");
  parens.SetSelection(0, 0);
  parens.KeyDown(Key::Home, false, false);
  EXPECT_EQ(parens.Caret(), 1);
  parens.SetSelection(4, 4);
  parens.KeyDown(Key::End, false, false);
  EXPECT_EQ(parens.Caret(), 3);
}

TEST(MaskEdit, ArrowsMoveWithinTheEditablePositions) {
  CMaskEdit edit = Spaced();
  edit.SetSelection(5, 5);
  edit.KeyDown(Key::Left, false, false);
  EXPECT_EQ(edit.Caret(), 2);  // over the fixed stretch
  edit.KeyDown(Key::Down, false, false);
  EXPECT_EQ(edit.Caret(), 5);
  edit.SetSelection(0, 0);
  edit.KeyDown(Key::Up, false, false);
  EXPECT_EQ(edit.BeepCount(), 1);
  edit.SetSelection(7, 7);
  edit.KeyDown(Key::Right, false, false);
  EXPECT_EQ(edit.BeepCount(), 2);

  edit.SetSelection(1, 1);
  edit.KeyDown(Key::Right, false, true);
  EXPECT_EQ(edit.Caret(), 5);
  edit.KeyDown(Key::Left, false, true);
  EXPECT_EQ(edit.Caret(), 0);
  edit.KeyDown(Key::Left, false, true);
  EXPECT_EQ(edit.BeepCount(), 3);
}

TEST(MaskEdit, ShiftExtendsTheSelectionInsideTheGroup) {
  CMaskEdit edit = Spaced();
  edit.SetSelection(0, 0);
  edit.KeyDown(Key::Right, true, false);
  edit.KeyDown(Key::Right, true, false);
  EXPECT_EQ(edit.SelectionStart(), 0);
  EXPECT_EQ(edit.SelectionEnd(), 2);
  edit.KeyDown(Key::Right, true, false);
  EXPECT_EQ(edit.SelectionEnd(), 2);
  EXPECT_EQ(edit.BeepCount(), 1);
  edit.KeyDown(Key::Left, false, false);  // collapses to the selection's start
  EXPECT_EQ(edit.SelectionEnd(), 0);

  edit.SetSelectByGroup(false);
  edit.SetSelection(0, 2);
  edit.KeyDown(Key::Right, true, false);
  EXPECT_EQ(edit.SelectionStart(), 0);
  EXPECT_EQ(edit.SelectionEnd(), 5);
}

TEST(MaskEdit, ClipboardKeysBecomeRequests) {
  CMaskEdit edit = Date("12/34");
  EXPECT_TRUE(edit.KeyDown(Key::Delete, true, false));
  EXPECT_EQ(edit.TakeRequest(), Request::Cut);
  EXPECT_EQ(edit.TakeRequest(), Request::None);
  EXPECT_EQ(edit.Text(), "12/34");
  edit.KeyDown(Key::Insert, false, true);
  EXPECT_EQ(edit.TakeRequest(), Request::Copy);
  edit.KeyDown(Key::Insert, true, false);
  EXPECT_EQ(edit.TakeRequest(), Request::Paste);
  EXPECT_TRUE(edit.KeyDown(Key::Insert, false, false));
  EXPECT_EQ(edit.TakeRequest(), Request::None);
  EXPECT_FALSE(edit.KeyDown(Key::Other, false, false));
}

TEST(MaskEdit, EditedTextIsCheckedAgainstTheMask) {
  CMaskEdit edit = Date("12/34");
  int beeps = 0;
  edit.SetBeepHandler([&] { ++beeps; });
  edit.TextEdited("1/34");  // a cut that pulled the slash onto a digit position
  EXPECT_EQ(edit.Text(), "12/34");
  EXPECT_EQ(beeps, 1);
  EXPECT_EQ(edit.SelectionEnd(), 2);
  edit.TextEdited("12/");  // shorter: the rest becomes placeholders
  EXPECT_EQ(edit.Text(), "12/__");
  EXPECT_EQ(beeps, 1);
  edit.TextEdited("12/345");
  EXPECT_EQ(edit.Text(), "12/__");
  EXPECT_EQ(beeps, 2);
}

TEST(MaskEdit, WithoutEditablePositionsEveryKeyBeeps) {
  CMaskEdit edit = Masked("xx", "ab");
  EXPECT_TRUE(edit.KeyDown(Key::Left, false, false));
  EXPECT_TRUE(edit.KeyDown(Key::Delete, false, false));
  EXPECT_TRUE(edit.Char('1'));
  EXPECT_EQ(edit.BeepCount(), 3);
  EXPECT_EQ(edit.Text(), "ab");
}

TEST(MaskEdit, MaskChanges) {
  CMaskEdit edit = Date("12/34");
  EXPECT_FALSE(edit.SetMask("DD", "___"));
  EXPECT_EQ(edit.Text(), "12/34");
  ASSERT_TRUE(edit.SetMask("DD-DD", "__-__"));  // other fixed characters: blank again
  EXPECT_EQ(edit.Text(), "__-__");
  ASSERT_TRUE(edit.SetMask("DD-DD", "__-__", ' '));
  EXPECT_EQ(edit.Text(), "  -  ");
}

}  // namespace
}  // namespace quorvelin
