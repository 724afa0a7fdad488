#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "dialogs/dvb/CTabSheet.h"

namespace quorvelin {
namespace {

class CountingPage : public Form {
 public:
  explicit CountingPage(Ui& ui) : Form(0, ui) {}
  void OnInitDialog() override { ++created; }
  int created = 0;
};

struct Sheet {
  explicit Sheet(int pages) {
    for (int i = 0; i < pages; ++i) {
      owned.push_back(std::make_unique<CountingPage>(ui));
      EXPECT_EQ(sheet.AddPage(kTitles[i % 3], owned.back().get(), 4000u + static_cast<unsigned>(i)), 1);
    }
  }
  std::vector<int> Visible() const {
    std::vector<int> v;
    for (int i = 0; i < sheet.PageCount(); ++i)
      if (sheet.IsPageVisible(i)) v.push_back(i);
    return v;
  }
  static constexpr const char* kTitles[] = {"Other", "CAT Descriptor", "Link_age"};
  RecordingUi ui;
  std::vector<std::unique_ptr<CountingPage>> owned;
  CTabSheet sheet;
};

TEST(CTabSheet, RegistersAtMostSixteenPages) {
  Sheet s(16);
  RecordingUi ui;
  CountingPage extra(ui);
  EXPECT_EQ(s.sheet.AddPage("17th", &extra, 4099), 0);
  EXPECT_EQ(s.sheet.PageCount(), 16);
  EXPECT_EQ(s.sheet.Page(16), nullptr);
  EXPECT_EQ(s.sheet.TemplateIdOf(15), 4015u);
  EXPECT_STREQ(s.sheet.Title(1), "CAT Descriptor");
}

TEST(CTabSheet, ShowCreatesEveryPageAndShowsTheFirst) {
  Sheet s(3);
  EXPECT_EQ(s.sheet.GetCurSel(), -1);  // no tabs before Show
  s.sheet.Show();
  for (const auto& p : s.owned) EXPECT_EQ(p->created, 1);
  EXPECT_EQ(s.Visible(), std::vector<int>{0});
  EXPECT_EQ(s.sheet.GetCurSel(), 0);
  EXPECT_EQ(s.sheet.CurrentPage(), 0);

  Sheet one(1);
  one.sheet.Show();
  EXPECT_EQ(one.Visible(), std::vector<int>{0});
}

TEST(CTabSheet, SetCurSelSwitchesPageAndTab) {
  Sheet s(3);
  s.sheet.Show();
  EXPECT_EQ(s.sheet.SetCurSel(3), -1);
  EXPECT_EQ(s.sheet.SetCurSel(-1), -1);
  EXPECT_EQ(s.Visible(), std::vector<int>{0});
  EXPECT_EQ(s.sheet.SetCurSel(0), 0);  // already current: nothing changes
  EXPECT_EQ(s.sheet.SetCurSel(2), 0);  // the previous index
  EXPECT_EQ(s.Visible(), std::vector<int>{2});
  EXPECT_EQ(s.sheet.GetCurSel(), 2);
  EXPECT_EQ(s.sheet.SetCurSel(1), 2);
  EXPECT_EQ(s.Visible(), std::vector<int>{1});
}

TEST(CTabSheet, MouseAndKeyboardFollowTheTabUnlessTheOwnerForbids) {
  Sheet s(3);
  s.sheet.Show();
  s.sheet.OnLButtonDown(0);  // the selected tab: nothing changes
  EXPECT_EQ(s.Visible(), std::vector<int>{0});
  s.sheet.OnLButtonDown(-1);  // beside the tabs
  EXPECT_EQ(s.sheet.CurrentPage(), 0);
  s.sheet.OnLButtonDown(2);
  EXPECT_EQ(s.Visible(), std::vector<int>{2});
  EXPECT_EQ(s.sheet.GetCurSel(), 2);
  s.sheet.OnKeyboardSelect(1);
  EXPECT_EQ(s.Visible(), std::vector<int>{1});
  EXPECT_EQ(s.sheet.GetCurSel(), 1);

  bool locked = true;
  int asked = 0;
  s.sheet.selectionChanging = [&] {
    ++asked;
    return locked;
  };
  s.sheet.OnLButtonDown(0);
  s.sheet.OnKeyboardSelect(2);
  EXPECT_EQ(asked, 2);
  EXPECT_EQ(s.Visible(), std::vector<int>{1});
  EXPECT_EQ(s.sheet.GetCurSel(), 1);
  locked = false;
  s.sheet.OnLButtonDown(0);
  EXPECT_EQ(s.Visible(), std::vector<int>{0});
  // a page keeps its field contents while hidden: the sheet never touches them
  s.owned[1]->SetText(4017, "01 02");
  s.sheet.SetCurSel(2);
  EXPECT_EQ(s.owned[1]->Text(4017), "01 02");
}

}  // namespace
}  // namespace quorvelin
