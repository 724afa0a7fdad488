#include "dialogs/mpeg/CaDescriptorForm.h"

#include "dialogs/common/FieldRange.h"
#include "resources/MpegDialogIds.h"
#include "sections/descriptors/EditableKinds.h"
#include "util/Number.h"

namespace quorvelin {

using namespace mpeg_ids::ca_form;

CaDescriptorForm::CaDescriptorForm(int templateId, TableTreeCtrl& tree, Ui& ui)
    : DescriptorPage(templateId, tree, ui) {}

void CaDescriptorForm::OnInitDialog() {
  DescriptorPage::OnInitDialog();
  SetButtonsOkCancel();
  title = "Add Descriptor";
  SetText(kTag, "0x09");
  SetText(kPrivateDataLength, "0");
}

std::optional<CaDescriptorForm::Input> CaDescriptorForm::ReadFields() {
  const auto refuse = [this](const char* message, int focus) {
    Refuse(message, focus);
    return std::nullopt;
  };
  const std::string tagText = TrimmedText(kTag);
  if (tagText.empty()) return refuse("Descriptor_tag can not be null!", kTag);
  const std::string systemText = TrimmedText(kCaSystemId);
  if (systemText.empty()) return refuse("ca_system_pid can not be null!", kCaSystemId);
  const std::string pidText = TrimmedText(kCaPid);
  if (pidText.empty()) return refuse("ca_pid can not be null!", kCaPid);
  const std::string lengthText = TrimmedText(kPrivateDataLength);
  if (lengthText.empty()) return refuse("private_data_length can not be null!", kPrivateDataLength);
  const auto tag = ReadField(*this, kTag, kByteField);
  if (!tag) return std::nullopt;
  const auto system = ReadField(*this, kCaSystemId, kIdField);
  if (!system) return std::nullopt;
  const auto pid = ReadField(*this, kCaPid, kPidField);
  if (!pid) return std::nullopt;
  const auto privateLength = ReadField(*this, kPrivateDataLength, {0, kMaxCaPrivateDataLength});
  if (!privateLength) return std::nullopt;
  const int length = static_cast<int>(*privateLength);

  Input in;
  CaDescriptor& d = in.descriptor;
  d.tag = static_cast<uint8_t>(*tag);
  d.length = static_cast<uint8_t>(length + 4);
  d.ca_system_id = static_cast<uint16_t>(*system);
  d.ca_pid.set(*pid);
  d.private_data.resize(static_cast<size_t>(length));
  if (!ReadHexData(*this, kPrivateData, kPrivateDataLength, Text(kPrivateData), length, in.normalised,
                   d.private_data.data()))
    return std::nullopt;
  return in;
}

ItemHandle CaDescriptorForm::InsertDescriptor(ItemHandle holder, NodeKind kind, const Input& input) {
  const ItemHandle item = AddLoopDescriptor(tree_, holder, *MakeRecord(kind, input.descriptor));
  tree_.Expand(holder, ExpandCode::Expand);
  tree_.Expand(item, ExpandCode::Expand);
  tree_.Expand(tree_.ChildAt(item, 1), ExpandCode::Expand);  // descriptor_data
  return item;
}

}  // namespace quorvelin
