// Saving a port's NIT, BAT or CAT as a 4106-byte file of packets and loading such files.
#include "SectionTestSupport.h"

namespace quorvelin {
namespace {
using namespace testing;

class TableFile : public SectionTest {
 protected:
  // Runs the command on the root of `table` of `port`, the file dialog answered with `file`.
  // What it did for the status line lands in `done`.
  void Run(std::string (*command)(TableTreeCtrl&, Ui&), int port, Table table, const char* file = "table.data") {
    tree.SelectItem(tree.Root(port, table));
    ui.fileAnswers.push_back(file ? std::optional<std::string>(file) : std::nullopt);
    done = command(tree, ui);
  }
  void Add(uint8_t tableId, uint8_t number, uint8_t last, size_t dataBytes = 4) {
    const Bytes s = LoopSection(tableId, number, last, {}, Stream(number, 1, Descriptor(0x5F, Bytes(dataBytes, 1))));
    (tableId == 0x40 ? ParseNitSection : ParseBatSection)(tree, s.data(), s.size(), 1);
  }
  // The texts told since the last call, each in a plain message box.
  std::vector<std::string> Told() {
    std::vector<std::string> texts;
    for (const auto& m : ui.messages)
      texts.push_back(m.text + (m.caption == kDefaultCaption ? "" : " (" + m.caption + ")"));
    ui.messages.clear();
    return texts;
  }
  RecordingUi ui;
  std::string done;
};

TEST_F(TableFile, TablesAreSavedAsTheirPacketsWithFillerAndLoadedIntoAnyPort) {
  const Bytes cat = SampleSection("cat_r3");
  ASSERT_TRUE(ParseCatSection(tree, cat.data(), cat.size(), 1));
  Run(SaveCurrentTable, 1, Table::Cat);
  const FileDialogRequest& r = ui.fileRequests.at(0);
  EXPECT_EQ(std::tuple(r.save, r.defaultExtension, r.initialName, r.filter),
            std::tuple(true, "*", "*.data", "All Files (*.data)|*.data|"));
  EXPECT_EQ(ReadFileBytes("table.data"), Join({Packetized(cat, 0x0001), Bytes(3918, 0x00)}));
  EXPECT_EQ(done, "Saved the CAT of PortA to table.data: 1 table, 1 packet");
  Run(LoadCurrentTable, 2, Table::Cat);
  EXPECT_EQ(Branch(2, Table::Cat), Branch(1, Table::Cat));
  EXPECT_EQ(done, "Loaded table.data into the CAT of PortB: 1 table, 1 packet");

  Add(0x40, 0, 1);
  Add(0x40, 1, 1);
  Run(SaveCurrentTable, 1, Table::Nit);
  Bytes area(kPacketSize * 2, 0xFF);
  ASSERT_TRUE(BuildNit(tree, 1, area.data(), area.size()));
  EXPECT_EQ(ReadFileBytes("table.data"), Join({area, Bytes(3730, 0xFF)}));
  std::filesystem::resize_file("table.data", 2 * kPacketSize - 100);  // the last packet partly filled
  for (int sections : {2, 4}) {  // added behind what the branch holds
    Run(LoadCurrentTable, 2, Table::Nit);
    EXPECT_EQ(Sections(2, Table::Nit), sections);
  }
  EXPECT_EQ(Branch(2, Table::Nit), Branch(1, Table::Nit) + Branch(1, Table::Nit));
  EXPECT_TRUE(tree.IsExpanded(tree.GetChildItem(tree.Root(2, Table::Nit))));

  Add(0x4A, 0, 1);
  Add(0x4A, 1, 1);
  Run(SaveCurrentTable, 1, Table::Bat);
  Run(LoadCurrentTable, 2, Table::Bat);  // the first section only
  EXPECT_EQ(Branch(2, Table::Bat), Branch(1, Table::Bat).substr(0, Branch(2, Table::Bat).size()));
  EXPECT_EQ(Sections(2, Table::Bat), 1);
  EXPECT_EQ(Told(), std::vector<std::string>(3, "Save done ()"));

  Run(SaveCurrentTable, 1, Table::Pat, "pat.data");  // the dialog is shown, nothing else happens
  Run(LoadCurrentTable, 1, Table::Nit, nullptr);     // cancelled
  EXPECT_EQ(ui.fileRequests.size(), 9u);
  EXPECT_TRUE(ui.messages.empty() && !std::filesystem::exists("pat.data") && Sections(1, Table::Nit) == 2);
}

TEST_F(TableFile, FailuresAreToldAndWriteNothingAndShortFilesGiveWhatTheyHold) {
  for (Table table : {Table::Nit, Table::Bat, Table::Cat}) Run(SaveCurrentTable, 1, table);
  Add(0x40, 0, 0);
  Add(0x4A, 0, 0);
  Run(SaveCurrentTable, 1, Table::Nit, "missing/nit.data");
  Run(SaveCurrentTable, 1, Table::Bat, "missing/bat.data");
  for (Table table : {Table::Nit, Table::Bat, Table::Cat}) Run(LoadCurrentTable, 2, table, "nothing.data");
  EXPECT_EQ(Told(),
            (std::vector<std::string>{"Create NIT error", "Create BAT error", "Create BAT error", "save NIT error",
                                      "save BAT error", "NO NIT data", "NO BAT data", "NO CAT data"}));
  EXPECT_TRUE(tree.IsExpanded(tree.Root(2, Table::Cat)));

  Run(SaveCurrentTable, 1, Table::Nit);
  std::ofstream("short.data", std::ios::binary)
      .write(reinterpret_cast<const char*>(ReadFileBytes("table.data").data()), kPacketSize);
  for (Table table : {Table::Nit, Table::Bat, Table::Cat}) Run(LoadCurrentTable, 2, table, "short.data");  // a NIT only
  EXPECT_EQ(Sections(2, Table::Nit) << 8 | Sections(2, Table::Bat) << 4 | Sections(2, Table::Cat), 0x100);

  for (uint8_t n = 1; n < 7; ++n) Add(0x40, n, 6, 200);  // 1 + 6 * 2 = 13 packets
  Add(0x40, 7, 7, 800);                                  // 5 more: 18
  Add(0x40, 8, 8, 400);                                  // 3 more: 21, the most the file holds
  Run(SaveCurrentTable, 1, Table::Nit, "21.data");
  Add(0x40, 9, 9);
  Run(SaveCurrentTable, 1, Table::Nit, "22.data");
  EXPECT_EQ(Told(), (std::vector<std::string>{"Save done ()", "Save done ()",
                                              "NIT not written: its 22 packets (4136 bytes) do "
                                              "not fit the 4106-byte area, which holds 21 packets."}));
  EXPECT_TRUE(std::filesystem::exists("21.data") && !std::filesystem::exists("22.data"));
}

}  // namespace
}  // namespace quorvelin
