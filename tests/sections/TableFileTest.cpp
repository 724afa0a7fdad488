#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "NitBatSupport.h"
#include "sections/BatSections.h"
#include "sections/CatSections.h"
#include "sections/NitSections.h"
#include "sections/TableFiles.h"

namespace quorvelin {
namespace {
using namespace testing;

class TableFile : public ::testing::Test {
 protected:
  void SetUp() override { BuildTwoPorts(tree); }

  // Runs a command on the root of `table` of `port`, answering its file dialog with `file`.
  void Save(int port, Table table, const std::string& file = "table.data") {
    tree.SelectItem(tree.Root(port, table));
    ui.fileAnswers.push_back(file);
    SaveCurrentTable(tree, ui);
  }
  void Load(int port, Table table, const std::string& file = "table.data") {
    tree.SelectItem(tree.Root(port, table));
    ui.fileAnswers.push_back(file);
    LoadCurrentTable(tree, ui);
  }
  void AddNit(int port, uint8_t number, uint8_t last, size_t dataBytes = 4) {
    const Bytes s =
        TestSection().Numbers(number, last).Stream(number, 1, Descriptor(0x5F, Bytes(dataBytes, number))).Make();
    ASSERT_TRUE(ParseNitSection(tree, s.data(), s.size(), port));
  }
  void AddBat(int port, uint8_t number, uint8_t last) {
    const Bytes s = TestSection(0x4A).Id(0x2000 + number).Numbers(number, last).Make();
    ASSERT_TRUE(ParseBatSection(tree, s.data(), s.size(), port));
  }
  std::string Branch(int port, Table table) const { return BranchText(tree, port, table); }
  void ExpectMessage(const std::string& text) {
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, text);
    EXPECT_EQ(ui.messages[0].caption, kDefaultCaption);
    EXPECT_EQ(ui.messages[0].icon, MsgIcon::None);
    EXPECT_EQ(ui.messages[0].buttons, MsgButtons::Ok);
    ui.messages.clear();
  }

  TableTreeCtrl tree;
  RecordingUi ui;
  ScratchDirectory dir;
};

TEST_F(TableFile, CatOfOnePacketIsFollowedByZeros) {
  const Bytes cat = SampleSection("cat_r3");
  ASSERT_TRUE(ParseCat(tree, cat.data(), cat.size(), 1));
  Save(1, Table::Cat);
  ASSERT_EQ(ui.fileRequests.size(), 1u);
  EXPECT_TRUE(ui.fileRequests[0].save);
  EXPECT_EQ(ui.fileRequests[0].defaultExtension, "*");
  EXPECT_EQ(ui.fileRequests[0].initialName, "*.data");
  EXPECT_EQ(ui.fileRequests[0].filter, "All Files (*.data)|*.data|");
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, "Save done");
  EXPECT_EQ(ui.messages[0].caption, "");
  EXPECT_EQ(ui.messages[0].icon, MsgIcon::Information);

  const Bytes file = ReadFileBytes("table.data");
  ASSERT_EQ(file.size(), kTableFileSize);
  Bytes packet = SamplePackets("cat_r3");
  packet[3] = 0x10;  // the capture's continuity_counter is 8; a built table counts from 0
  EXPECT_EQ(Bytes(file.begin(), file.begin() + kPacketSize), packet);
  EXPECT_EQ(Bytes(file.begin() + kPacketSize, file.end()), Bytes(3918, 0x00));

  // Loaded into the other port, the CAT shows the same branch.
  Load(2, Table::Cat);
  EXPECT_EQ(Branch(2, Table::Cat), Branch(1, Table::Cat));
}

TEST_F(TableFile, NitOfTwoSectionsSavesTwoPacketsAndLoadsBothEachTime) {
  AddNit(1, 0, 1);
  AddNit(1, 1, 1);
  Save(1, Table::Nit);
  const Bytes file = ReadFileBytes("table.data");
  ASSERT_EQ(file.size(), kTableFileSize);
  for (size_t i = 0; i < 2; ++i) {
    EXPECT_EQ(file[i * kPacketSize + 1], 0x40) << i;
    EXPECT_EQ(file[i * kPacketSize + 3], 0x10) << i;  // continuity_counter 0
    EXPECT_EQ(file[i * kPacketSize + 4], 0x00) << i;  // pointer_field
  }
  EXPECT_EQ(Bytes(file.begin() + 2 * kPacketSize, file.end()), Bytes(3730, 0xFF));

  Load(2, Table::Nit);
  EXPECT_EQ(Branch(2, Table::Nit), Branch(1, Table::Nit));
  EXPECT_TRUE(tree.IsExpanded(tree.Root(2, Table::Nit)));
  EXPECT_TRUE(tree.IsExpanded(tree.GetChildItem(tree.Root(2, Table::Nit))));
  Load(2, Table::Nit);
  EXPECT_EQ(tree.ChildCount(tree.Root(2, Table::Nit)), 4);
  EXPECT_EQ(std::filesystem::file_size("tables/nit.bin"), kNitBufferSize);
}

TEST_F(TableFile, RealNitAndBatCapturesGoThroughAFile) {
  const Bytes nit = SamplePackets("nit_tntv23");
  ASSERT_EQ(ReadNit(tree, 1, nit.size(), nit.data()), 1);
  Save(1, Table::Nit, "nit.data");
  const Bytes saved = ReadFileBytes("nit.data");
  EXPECT_EQ(Bytes(saved.begin(), saved.begin() + 6 * kPacketSize), nit);
  Load(2, Table::Nit, "nit.data");
  EXPECT_EQ(Branch(2, Table::Nit), Branch(1, Table::Nit));

  const Bytes bat = SampleSection("bat_tvnum");
  ASSERT_TRUE(ParseBatSection(tree, bat.data(), bat.size(), 1));
  Save(1, Table::Bat, "bat.data");
  Load(2, Table::Bat, "bat.data");
  EXPECT_EQ(Branch(2, Table::Bat), Branch(1, Table::Bat));
}

TEST_F(TableFile, BatFileOfTwoSectionsLoadsOnlyTheFirst) {
  AddBat(1, 0, 1);
  AddBat(1, 1, 1);
  Save(1, Table::Bat);
  Load(2, Table::Bat);
  ASSERT_EQ(tree.ChildCount(tree.Root(2, Table::Bat)), 1);
  EXPECT_EQ(tree.GetItemText(tree.GetChildItem(tree.Root(2, Table::Bat))),
            "SectionNumber: 0x0,BouquetID:0x2000,version_number:0x3");
}

TEST_F(TableFile, OtherSelectionsDoNothing) {
  Save(1, Table::Pat);  // the dialog is shown, nothing else happens
  EXPECT_EQ(ui.fileRequests.size(), 1u);
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_FALSE(std::filesystem::exists("table.data"));

  tree.SelectItem(tree.PortNode(1));  // no record: not even the dialog
  SaveCurrentTable(tree, ui);
  LoadCurrentTable(tree, ui);
  EXPECT_EQ(ui.fileRequests.size(), 1u);

  AddNit(1, 0, 0);
  tree.SelectItem(tree.Root(1, Table::Nit));
  SaveCurrentTable(tree, ui);  // dialog cancelled
  EXPECT_EQ(ui.fileRequests.size(), 2u);
  EXPECT_TRUE(ui.fileRequests[1].save);
  EXPECT_TRUE(ui.messages.empty());

  tree.SelectItem(tree.Root(1, Table::Nit));
  LoadCurrentTable(tree, ui);  // cancelled too
  EXPECT_FALSE(ui.fileRequests.back().save);
  EXPECT_EQ(tree.ChildCount(tree.Root(1, Table::Nit)), 1);
}

TEST_F(TableFile, MessagesOfFailedSavesAndLoads) {
  Save(1, Table::Nit);
  ExpectMessage("Create NIT error");
  Save(1, Table::Bat);
  ExpectMessage("Create BAT error");
  Save(1, Table::Cat);
  ExpectMessage("Create BAT error");
  EXPECT_FALSE(std::filesystem::exists("table.data"));

  AddNit(1, 0, 0);
  AddBat(1, 0, 0);
  Save(1, Table::Nit, "missing/dir/nit.data");
  ExpectMessage("save NIT error");
  Save(1, Table::Bat, "missing/dir/bat.data");
  ExpectMessage("save BAT error");

  Load(2, Table::Nit, "nothing.data");
  ExpectMessage("NO NIT data");
  Load(2, Table::Bat, "nothing.data");
  ExpectMessage("NO BAT data");
  Load(2, Table::Cat, "nothing.data");
  ExpectMessage("NO CAT data");
  EXPECT_TRUE(tree.IsExpanded(tree.Root(2, Table::Cat)));
}

TEST_F(TableFile, TablesPastTwentyOnePacketsAreRefusedWithoutWriting) {
  for (uint8_t n = 0; n < 7; ++n) AddNit(1, n, 6, 200);  // 7 sections of 2 packets
  Save(1, Table::Nit);
  EXPECT_EQ(ui.LastText(), "Save done");
  AddNit(1, 7, 7, 800);  // 5 more packets: 19
  AddNit(1, 8, 8, 400);  // 3 more: 22
  ui.messages.clear();
  Save(1, Table::Nit, "too-long.data");
  ExpectMessage("NIT not written: its 22 packets (4136 bytes) do not fit the 4106-byte area, which holds 21 packets.");
  EXPECT_FALSE(std::filesystem::exists("too-long.data"));
}

TEST_F(TableFile, ShortAndForeignFilesAddNothingOrWhatTheyHold) {
  AddNit(1, 0, 0);
  Save(1, Table::Nit);
  Bytes file = ReadFileBytes("table.data");
  file.resize(kPacketSize);  // one packet only: read as far as it goes
  std::ofstream("short.data", std::ios::binary).write(reinterpret_cast<const char*>(file.data()), kPacketSize);
  Load(2, Table::Nit, "short.data");
  EXPECT_EQ(tree.ChildCount(tree.Root(2, Table::Nit)), 1);
  Load(2, Table::Bat, "short.data");  // a NIT is not a BAT
  Load(2, Table::Cat, "short.data");
  std::ofstream("empty.data", std::ios::binary).flush();
  Load(2, Table::Bat, "empty.data");
  EXPECT_EQ(tree.ChildCount(tree.Root(2, Table::Bat)), 0);
  EXPECT_EQ(tree.ChildCount(tree.Root(2, Table::Cat)), 0);
  EXPECT_TRUE(ui.messages.size() == 1u && ui.messages[0].text == "Save done");
}

}  // namespace
}  // namespace quorvelin
