// The linkage descriptor page (tag 0x4A): a page of the NIT network descriptor dialog (type 0)
// and of the SDT service descriptor dialog (type 1), or a dialog by itself.
#pragma once

#include "dialogs/dvb/DescriptorPage.h"
#include "resources/DvbDialogIds.h"

namespace quorvelin {

class CDlgNITLinkage : public DescriptorPage {
 public:
  // Types.
  static constexpr int kNitNetworkLoop = 0;
  static constexpr int kSdtServiceLoop = 1;
  // Private data bytes that fit the length byte (descriptor_length = private data + 7).
  static constexpr int kMaxPrivateData = 248;

  // `add` false: replaces the selected `NitLinkageDescriptor` of the network loop.
  CDlgNITLinkage(TableTreeCtrl& tree, Ui& ui, bool add = true);

  void OnInitDialog() override;
  // Tag field "0x4A", disabled.
  void IniCtrl();
  void SetType(int type) { type_ = type; }
  // Type 1: the descriptor holder of the service to insert under.
  void SetCurItem(ItemHandle item) { curItem_ = item; }
  // Type 1: bytes of the descriptor last added (descriptor_length + 2), 0 after a refusal.
  int GetLength() const { return length_; }

  int Type() const { return type_; }

  bool AddDesc() override;
  // Ok when the page runs as a dialog by itself: closes only when the descriptor was added.
  bool OnBnClickedOk() { return AddDesc(); }
  bool OnOK() override { return OnBnClickedOk(); }

 private:
  int type_ = kNitNetworkLoop;
  ItemHandle curItem_ = kNoItem;
  int length_ = 0;
  bool add_;
};

}  // namespace quorvelin
