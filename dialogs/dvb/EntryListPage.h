// The list pages of the transport descriptor dialogs (service list, logical channels): rows
// added and deleted with the page's buttons, written as one descriptor of fixed-size entries;
// in modify mode the selected descriptor is replaced, or removed when the list is emptied.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "dialogs/dvb/DescriptorPage.h"
#include "resources/DvbDialogIds.h"

namespace quorvelin {

class EntryListPage : public DescriptorPage {
 public:
  void OnInitDialog() override;
  // Buttons "Add" (a row from the fields) and "Delete" (the row at the selection mark).
  void OnCommand(int controlId) override;
  bool AddDesc() override;

  // 1 add (the selected item is the transport stream), 0 modify (the selected item is the
  // descriptor to replace).
  uint8_t add = 1;

 protected:
  struct Layout {
    uint8_t tag;
    int entrySize;
    const char* descriptorName;  // "network_service_list_descriptor"
    const char* emptyMessage;
    const char* fullMessage;
  };
  EntryListPage(int templateId, TableTreeCtrl& tree, Ui& ui, Layout layout)
      : DescriptorPage(templateId, tree, ui), layout_(layout) {}

  int MaxRows() const { return 255 / layout_.entrySize; }
  // Refuses a row beyond the descriptor's length byte.
  bool HasRoomForRow();
  static std::string Column(const std::vector<std::string>& row, size_t index) {
    return index < row.size() ? row[index] : std::string();
  }
  // The number a checked row holds in a column.
  static uint32_t RowNumber(const std::vector<std::string>& row, size_t index);

  virtual NodeKind StreamKind() const { return NodeKind::NitTransportStream; }
  virtual NodeKind HolderKind() const { return NodeKind::NitTransportDescriptorList; }
  virtual NodeKind RecordKind() const = 0;
  // The "Add" button.
  virtual void AddRow() = 0;
  // Refuses a row whose numbers do not fit their fields, focus on the field of the first; Ok
  // checks every row again (a width chosen after the row was added counts).
  virtual bool CheckRow(const std::vector<std::string>& row) = 0;
  // One row as entry bytes, and back (modify mode loads the stored entries in their order).
  virtual void EncodeRow(const std::vector<std::string>& row, std::vector<uint8_t>& entries) = 0;
  virtual std::vector<std::string> DecodeEntry(const uint8_t* entry) = 0;

 private:
  std::unique_ptr<NodeRecord> BuildRecord(const std::vector<std::vector<std::string>>& rows);
  bool ReplaceInNetworkLoop(const ReplacedDescriptor& old);

  Layout layout_;
};

}  // namespace quorvelin
