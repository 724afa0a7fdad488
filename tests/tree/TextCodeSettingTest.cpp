#include <gtest/gtest.h>

#include "tree/TableTreeCtrl.h"
#include "util/Settings.h"
#include "util/TextCode.h"

namespace quorvelin {
namespace {

TEST(TableTreeTextCode, ConstructionReadsTheTextCodeBesideTheExecutable) {
  SetTextCode(7);
  const TableTreeCtrl tree;
  EXPECT_EQ(TextCode(), ReadTextCodeSetting());
  EXPECT_NE(TextCode(), 7);
  SetTextCode(0);
}

}  // namespace
}  // namespace quorvelin
