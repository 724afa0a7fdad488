// The service_list_descriptor page (tag 0x41) of a NIT transport stream (family mode 1) or a
// BAT transport stream (family mode 2): rows of Service_ID and Service_Type.
#pragma once

#include "dialogs/dvb/EntryListPage.h"
#include "resources/DvbDialogIds.h"

namespace quorvelin {

class CDlgNITAddServiceList : public EntryListPage {
 public:
  // The family (NIT or BAT) decides the kinds of stream, holder and record.
  CDlgNITAddServiceList(TableTreeCtrl& tree, Ui& ui, Table family = Table::Nit);

 protected:
  NodeKind StreamKind() const override;
  NodeKind HolderKind() const override;
  NodeKind RecordKind() const override;
  void AddRow() override;
  bool CheckRow(const std::vector<std::string>& row) override;
  void EncodeRow(const std::vector<std::string>& row, std::vector<uint8_t>& entries) override;
  std::vector<std::string> DecodeEntry(const uint8_t* entry) override;

 private:
  Table family_;
};

}  // namespace quorvelin
