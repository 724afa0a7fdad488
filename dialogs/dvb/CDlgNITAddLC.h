// The logical_channel_number_descriptor page (tag 0x83): rows of Service_ID, channel number and
// visibility; channel numbers of 10 or 14 bits as the "LCN_FLAG" setting chooses.
#pragma once

#include "dialogs/dvb/EntryListPage.h"
#include "resources/DvbDialogIds.h"

namespace quorvelin {

class CDlgNITAddLC : public EntryListPage {
 public:
  CDlgNITAddLC(TableTreeCtrl& tree, Ui& ui);

  // Checks the radio button of the stored width before the entries are loaded.
  void OnInitDialog() override;
  // The radio buttons write "LCN_FLAG" at once; the list buttons add and delete rows.
  void OnCommand(int controlId) override;

  bool Is14Bit() { return Check(dvb_ids::logical_channels::k10Bit) == 0; }

 protected:
  NodeKind RecordKind() const override { return NodeKind::NitLogicalChannels; }
  void AddRow() override;
  bool CheckRow(const std::vector<std::string>& row) override;
  void EncodeRow(const std::vector<std::string>& row, std::vector<uint8_t>& entries) override;
  std::vector<std::string> DecodeEntry(const uint8_t* entry) override;
};

}  // namespace quorvelin
