// Adds a descriptor to a service of the SDT: a tab dialog with the pages "service_descriptor",
// "Other Descriptor" and "linkage_descriptor"; or modifies the selected service_descriptor in its place.
#pragma once

#include <optional>

#include "dialogs/dvb/CDlgNITLinkage.h"
#include "dialogs/dvb/DescriptorTabDialog.h"
#include "dialogs/dvb/HexDescriptorPage.h"
#include "dialogs/mpeg/CSheetSdtAddDesc1.h"

namespace quorvelin {

class CSDTAddDesc : public DescriptorTabDialog {
 public:
  // Add on a `SdtService`; ModifyService on a `SdtServiceDescriptor`, on its page alone.
  enum class Mode { Add, ModifyService };
  CSDTAddDesc(TableTreeCtrl& tree, Ui& ui, Mode mode = Mode::Add);
  void OnInitDialog() override;
  // Finds the service's "descriptors" holder, inserting it when missing, runs the page, and adds
  // the new descriptor's bytes to the service's descriptors_loop_length. A refusal of any page
  // keeps the dialog open with the tree as it was (a holder inserted for it is removed).
  bool OnOK() override;

  HexDescriptorPage& OtherPage() { return other_; }

 private:
  CSheetSdtAddDesc1 service_;
  HexDescriptorPage other_;
  CDlgNITLinkage linkage_;
  Mode mode_;
  std::optional<ReplacedDescriptor> replaced_;
};

}  // namespace quorvelin
