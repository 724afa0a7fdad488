#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <string>

#include "util/MaskEdit.h"
#include "util/Number.h"

namespace quorvelin {
namespace {

using Key = CMaskEdit::Key;
using Request = CMaskEdit::EditRequest;

CMaskEdit Masked(const std::string& mask, const std::string& inputTemplate, const std::string& value = "") {
  CMaskEdit edit;
  EXPECT_TRUE(edit.SetMask(mask, inputTemplate));
  EXPECT_TRUE(value.empty() || edit.SetValue(value, true) == 1);
  return edit;
}

// Plays `script` on the edit: characters are typed; {Key}, {S-Key} (shift), {C-Key} (control) go to
// KeyDown; {Sel a,c} selects from anchor a to caret c; {Click n}, {Drop} (button up after a drag),
// {Focus}, {Free} (selection not by group), {Remask M} (mask M, same template). Returns, at each
// "|" and at the end, the text, the selection, the caret, the beeps and what each key and
// character returned so far.
std::string Play(CMaskEdit& e, const std::string& inputTemplate, const std::string& script) {
  const std::map<std::string, Key> keys = {{"Del", Key::Delete}, {"Bs", Key::Backspace}, {"Home", Key::Home},
                                           {"End", Key::End},    {"Left", Key::Left},    {"Right", Key::Right},
                                           {"Up", Key::Up},      {"Down", Key::Down}};
  std::string handled, states;
  const auto state = [&] {
    return Format("%s %d-%d^%d b%d %s", e.Text().c_str(), e.SelectionStart(), e.SelectionEnd(), e.Caret(),
                  e.BeepCount(), handled.c_str());
  };
  for (size_t i = 0, end; i < script.size(); i = end + 1) {
    if (script[end = i] == '|') {
      states += state() + "| ";
      continue;
    }
    if (script[i] != '{') {
      handled += e.Char(script[end = i]) ? '1' : '0';
      continue;
    }
    const std::string k = script.substr(i + 1, (end = script.find('}', i)) - i - 1);
    const bool modified = k[1] == '-';
    int a = 0, c = 0;
    if (std::sscanf(k.c_str(), "Sel %d,%d", &a, &c) == 2) e.SetSelection(a, c);
    if (std::sscanf(k.c_str(), "Click %d", &a) == 1) e.Click(a);
    if (k == "Drop") e.ButtonUp();
    if (k == "Focus") e.FocusIn();
    if (k == "Free") e.SetSelectByGroup(false);
    if (k.starts_with("Remask ")) e.SetMask(k.substr(7), inputTemplate);
    if (const auto key = keys.find(k.substr(modified ? 2 : 0)); key != keys.end())
      handled += e.KeyDown(key->second, modified && k[0] == 'S', modified && k[0] == 'C') ? '1' : '0';
  }
  return states + state();
}

TEST(MaskEdit, KeysClicksAndTypingKeepToTheGroups) {
  const char *date = "DD/DD", *dateTemplate = "__/__", *spaced = "DD   DD", *spacedTemplate = "__ - __";
  const struct {
    const char *mask, *inputTemplate, *value, *script, *after;
  } rows[] = {
      // a misfit beeps and keeps the placeholder
      {"DD", "__", "", "1x", "1_ 1-1^1 b1 11"},
      // typing runs through the groups, over the slash; no group after the last one
      {date, dateTemplate, "", "{Focus}|12|34|5",
       "__/__ 0-2^2 b0 | 12/__ 3-3^3 b0 11| 12/34 5-5^5 b0 1111| 12/34 5-5^5 b1 11111"},
      {date, dateTemplate, "", "{Focus}1234{Sel 2,2}9", "12/94 4-4^4 b0 11111"},  // at a group's end: the next
      // typing over a selection keeps the group's length
      {"DDDD", "____", "1234", "{Sel 3,1}7|{Sel 0,2}x", "17_4 2-2^2 b0 1| 17_4 0-2^2 b1 11"},
      // typing outside a group returns into one; a selection across the slash shrinks to its group
      {spaced, spacedTemplate, "", "{Sel 3,3}1", "__ - __ 5-5^5 b1 1"},
      {date, dateTemplate, "12/34", "{Sel 1,4}5", "12/34 1-2^2 b1 1"},
      // a click in a fixed stretch moves into the next group; a drag across it starts there
      {spaced, spacedTemplate, "", "{Click 3}|{Click 2}|{Sel 1,6}{Drop}",
       "__ - __ 5-5^5 b0 | __ - __ 2-2^2 b0 | __ - __ 5-6^6 b0 "},
      {spaced, spacedTemplate, "", "{Free}{Click 3}|{Focus}", "__ - __ 3-3^3 b0 | __ - __ 0-7^7 b0 "},
      // Delete shifts the run of its kind only; behind the last position it beeps
      {"DDDaa", "_____", "123ab", "{Sel 0,0}{Del}|{Sel 3,3}{Del}|{Sel 5,5}{Del}",
       "23_ab 0-0^0 b0 1| 23_b_ 3-3^3 b0 11| 23_b_ 5-5^5 b1 111"},
      // a character that would not fit one to the left stays; the last one has nothing behind it
      {"aa", "__", "1b", "{Remask DD}{Sel 0,0}{Del}|{Sel 2,2}{Bs}", "1b 0-0^0 b1 1| 1_ 1-1^1 b1 11"},
      // Backspace at a group's start goes to the previous group; at the first position it beeps
      {date, dateTemplate, "12/34", "{Sel 4,4}{Bs}|{Bs}|{Bs}",
       "12/4_ 3-3^3 b0 1| 12/4_ 2-2^2 b0 11| 1_/4_ 1-1^1 b0 111"},
      {date, dateTemplate, "12/34", "{Sel 0,0}{Bs}\b", "12/34 0-0^0 b1 11"},  // the key's character consumed
      // deleting a selection: within a run, longer than the run, across the slash
      {"DDDD", "____", "1234", "{Sel 1,3}{Bs}", "14__ 1-1^1 b0 1"},
      {"DDaa", "____", "12ab", "{Sel 1,3}{Del}", "12ab 1-2^2 b1 1"},
      {date, dateTemplate, "12/34", "{Sel 1,4}{Del}", "12/34 1-2^2 b1 1"},
      // Home and End stay in the group; a caret at a group's end belongs to that group
      {date, dateTemplate, "12/34", "{Sel 4,4}{Home}|{End}|{Sel 2,2}{Home}",
       "12/34 3-3^3 b0 1| 12/34 5-5^5 b0 11| 12/34 0-0^0 b0 111"},
      {"xDDx", "(__)", "", "{Sel 0,0}{Home}|{Sel 4,4}{End}", "(__) 1-1^1 b0 1| (__) 3-3^3 b0 11"},
      // arrows move over fixed stretches and beep at the ends; control moves by group
      {spaced, spacedTemplate, "", "{Sel 5,5}{Left}|{Down}|{Sel 0,0}{Up}|{Sel 7,7}{Right}",
       "__ - __ 2-2^2 b0 1| __ - __ 5-5^5 b0 11| __ - __ 0-0^0 b1 111| __ - __ 7-7^7 b2 1111"},
      {spaced, spacedTemplate, "", "{Sel 1,1}{C-Right}|{C-Left}{C-Left}", "__ - __ 5-5^5 b0 1| __ - __ 0-0^0 b1 111"},
      // shift extends the selection inside the group; an arrow collapses it to its start
      {spaced, spacedTemplate, "", "{Sel 0,0}{S-Right}{S-Right}|{S-Right}|{Left}",
       "__ - __ 0-2^2 b0 11| __ - __ 0-2^2 b1 111| __ - __ 0-0^0 b1 1111"},
      {spaced, spacedTemplate, "", "{Free}{Sel 0,2}{S-Right}", "__ - __ 0-5^5 b0 1"},
      // without editable positions every key beeps
      {"xx", "ab", "", "{Left}{Del}1", "ab 0-0^0 b3 111"},
  };
  for (const auto& r : rows) {
    CMaskEdit edit = Masked(r.mask, r.inputTemplate, r.value);
    EXPECT_EQ(Play(edit, r.inputTemplate, r.script), r.after) << r.mask << " " << r.value << " " << r.script;
  }
}

TEST(MaskEdit, SetValueTakesOnlyWhatFitsTheMask) {
  CMaskEdit edit = Masked("DD/DD", "__/__");
  EXPECT_EQ(edit.SetValue("12", false), 1);
  EXPECT_EQ(edit.Value(), "12/__");
  EXPECT_EQ(edit.SetValue("1_/_4", true), 1);  // placeholders are kept
  for (const auto& [text, withFixed] :
       {std::pair{"12/34", false}, {"12/345", true}, {"1x", true}, {"12-3", true}, {"12/3a", true}})
    EXPECT_EQ(edit.SetValue(text, withFixed), 0) << text;
  EXPECT_EQ(edit.Value(), "1_/_4");
  EXPECT_FALSE(edit.SetMask("DD", "___"));
  ASSERT_TRUE(edit.SetMask("DD-DD", "__-__"));  // other fixed characters: blank again
  EXPECT_EQ(edit.Text(), "__-__");
  ASSERT_TRUE(edit.SetMask("DD-DD", "__-__", ' '));
  EXPECT_EQ(edit.Text(), "  -  ");
}

TEST(MaskEdit, MaskCharactersAndValidCharacters) {
  const struct {
    char mask;
    const char *accepted, *refused;
  } cases[] = {
      {'D', "09", " aZ+"}, {'d', "5 ", "a+"},  {'C', "aZ", " 5-"}, {'c', "q ", "5_"},
      {'A', "a5", " -"},   {'a', "a5 ", "-_"}, {'+', "+- ", "5a"}, {'x', "", "x5 "},
  };
  for (const auto& c : cases) {
    CMaskEdit edit = Masked(std::string(1, c.mask), "_");
    for (const char* p = c.accepted; *p; ++p) EXPECT_TRUE(edit.CheckChar(0, *p)) << c.mask << *p;
    for (const char* p = c.refused; *p; ++p) EXPECT_FALSE(edit.CheckChar(0, *p)) << c.mask << *p;
  }
  EXPECT_FALSE(Masked("DD/DD", "__/__").CheckChar(2, '/'));  // fixed position
  EXPECT_FALSE(Masked("DD/DD", "__/__").CheckChar(9, '1'));

  CMaskEdit edit = Masked("AA", "__");
  edit.SetValidChars("0123456789abcdef");
  EXPECT_EQ(edit.SetValue("1f") << 1 | edit.SetValue("1g"), 2);
  EXPECT_TRUE(edit.CheckChar(0, 'g'));  // with a mask only the mask decides a typed character
  CMaskEdit plain;
  plain.SetValidChars("abc");
  EXPECT_FALSE(plain.Char('a'));  // the edit inserts it
  EXPECT_TRUE(plain.Char('z'));
  plain.TextEdited("ab");
  plain.TextEdited("abz");
  EXPECT_EQ(plain.Value(), "ab");
  EXPECT_EQ(plain.BeepCount(), 2);
}

TEST(MaskEdit, ClipboardKeysBecomeRequestsAndEditedTextIsChecked) {
  CMaskEdit edit = Masked("DD/DD", "__/__", "12/34");
  const struct {
    Key key;
    bool shift, control;
    Request request;
  } keys[] = {{Key::Delete, true, false, Request::Cut},
              {Key::Insert, false, true, Request::Copy},
              {Key::Insert, true, false, Request::Paste},
              {Key::Insert, false, false, Request::None}};
  for (const auto& k : keys) {
    EXPECT_TRUE(edit.KeyDown(k.key, k.shift, k.control));
    EXPECT_EQ(edit.TakeRequest(), k.request);
    EXPECT_EQ(edit.TakeRequest(), Request::None);
  }
  EXPECT_EQ(edit.Text(), "12/34");
  EXPECT_FALSE(edit.KeyDown(Key::Other, false, false));
  int beeps = 0;
  edit.SetBeepHandler([&] { ++beeps; });
  edit.TextEdited("1/34");  // a cut that pulled the slash onto a digit position
  EXPECT_EQ(edit.Text() + Format(" %d-%d", edit.SelectionEnd(), beeps), "12/34 2-1");
  edit.TextEdited("12/");  // shorter: the rest becomes placeholders
  EXPECT_EQ(edit.Text(), "12/__");
  edit.TextEdited("12/345");
  EXPECT_EQ(edit.Text() + Format(" %d", beeps), "12/__ 2");
}

}  // namespace
}  // namespace quorvelin
