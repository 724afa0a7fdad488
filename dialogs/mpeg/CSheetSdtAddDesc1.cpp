#include "dialogs/mpeg/CSheetSdtAddDesc1.h"

#include <algorithm>

#include "dialogs/common/FieldRange.h"
#include "dialogs/dvb/NitBatLoops.h"
#include "resources/MpegDialogIds.h"
#include "sections/descriptors/EditableKinds.h"
#include "sections/descriptors/Names.h"
#include "tree/LoopLengths.h"
#include "util/Number.h"

namespace quorvelin {
namespace {

using namespace mpeg_ids::sdt_service_page;

template <size_t N>
void CopyName(const std::vector<uint8_t>& name, std::array<uint8_t, N>& field, uint8_t& length) {
  std::copy(name.begin(), name.end(), field.begin());
  length = static_cast<uint8_t>(name.size());
}

template <size_t N>
std::span<const uint8_t> NameBytes(const std::array<uint8_t, N>& field, uint8_t length) {
  return {field.data(), length};
}

}  // namespace

CSheetSdtAddDesc1::CSheetSdtAddDesc1(TableTreeCtrl& tree, Ui& ui) : SdtLoopPage(kTemplate, tree, ui) {}

void CSheetSdtAddDesc1::OnInitDialog() {
  SdtLoopPage::OnInitDialog();
  SetText(kTag, "0x48");
  if (!replaced_) return;
  const auto* d = SelectedPayload<SdtServiceDescriptor>(tree_, NodeKind::SdtServiceDescriptor);
  if (!d) return;
  stored_ = *d;
  SetText(kTag, Format("0x%x", d->tag));
  SetText(kServiceType, Format("0x%x", d->service_type));
  SetText(kProviderName, DisplayName(NameBytes(d->provider_name, d->provider_name_length)));
  SetText(kServiceName, DisplayName(NameBytes(d->service_name, d->service_name_length)));
}

bool CSheetSdtAddDesc1::KeptEmpty(int id) const {
  if (!stored_) return false;
  return id == kProviderName
             ? Trim(DisplayName(NameBytes(stored_->provider_name, stored_->provider_name_length))).empty()
             : Trim(DisplayName(NameBytes(stored_->service_name, stored_->service_name_length))).empty();
}

// A name left as shown keeps the bytes it came with; a changed one keeps its character table.
std::optional<std::vector<uint8_t>> CSheetSdtAddDesc1::EncodeName(int id, const std::string& typed,
                                                                  std::span<const uint8_t> stored) {
  if (stored_ && typed == Trim(DisplayName(stored))) return std::vector<uint8_t>(stored.begin(), stored.end());
  return EncodeField(*this, id, typed, stored);
}

bool CSheetSdtAddDesc1::AddDesc() {
  added_ = 0;
  const std::string tagText = TrimmedText(kTag);
  if (tagText.empty()) return Refuse("descriptor_tag can not be null!", kTag);
  const std::string typeText = TrimmedText(kServiceType);
  if (typeText.empty()) return Refuse("service_type can not be null!", kServiceType);
  // a modify run takes a name left empty as it was stored
  const std::string provider = TrimmedText(kProviderName);
  if (provider.empty() && !KeptEmpty(kProviderName))
    return Refuse("service_provider_name can not be null!", kProviderName);
  const std::string service = TrimmedText(kServiceName);
  if (service.empty() && !KeptEmpty(kServiceName)) return Refuse("service_name can not be null!", kServiceName);

  const auto tag = ReadField(*this, kTag, kByteField);
  if (!tag) return false;
  const auto serviceType = ReadField(*this, kServiceType, kByteField);
  if (!serviceType) return false;
  const auto providerEncoded = EncodeName(
      kProviderName, provider, stored_ ? NameBytes(stored_->provider_name, stored_->provider_name_length) : NoName());
  if (!providerEncoded) return false;
  const auto serviceEncoded = EncodeName(
      kServiceName, service, stored_ ? NameBytes(stored_->service_name, stored_->service_name_length) : NoName());
  if (!serviceEncoded) return false;
  const std::vector<uint8_t>& providerBytes = *providerEncoded;
  const std::vector<uint8_t>& serviceBytes = *serviceEncoded;
  if (providerBytes.size() + serviceBytes.size() > kMaxServiceNamesBytes) {
    return Refuse("service_provider_name and service_name can't be longer than 252 bytes together!",
                  providerBytes.size() > kMaxServiceNamesBytes ? kProviderName : kServiceName);
  }
  if (!holder_) return true;

  SdtServiceDescriptor d;
  d.tag = static_cast<uint8_t>(*tag);
  d.service_type = static_cast<uint8_t>(*serviceType);
  CopyName(providerBytes, d.provider_name, d.provider_name_length);
  CopyName(serviceBytes, d.service_name, d.service_name_length);
  d.length = static_cast<uint8_t>(3 + d.provider_name_length + d.service_name_length);

  const ReplacedDescriptor old = replaced_.value_or(ReplacedDescriptor{});
  RemoveItem(tree_, old.item);
  const ItemHandle item = AddLoopDescriptor(tree_, holder_, *MakeRecord(NodeKind::SdtServiceDescriptor, d), old.after);
  tree_.SelectItem(item);
  tree_.Expand(item, ExpandCode::Expand);
  tree_.Expand(tree_.ChildAt(item, 1), ExpandCode::Expand);  // descriptor_data
  added_ = d.length + 2 - old.size;
  return true;
}

}  // namespace quorvelin
