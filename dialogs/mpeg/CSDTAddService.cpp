#include "dialogs/mpeg/CSDTAddService.h"

#include <array>

#include "dialogs/common/FieldRange.h"
#include "resources/MpegDialogIds.h"
#include "tree/LoopLengths.h"
#include "util/Number.h"

namespace quorvelin {
namespace {

using namespace mpeg_ids::sdt_service;

constexpr int kRunningStatusBits = 3;

std::string ServiceLine(const SdtService& s) { return Format("service_id: 0x%04x (%d)", s.service_id, s.service_id); }

// The four flag lines under a service, in branch order.
std::array<std::string, 4> FlagLines(const SdtService& s) {
  return {Format("EIT_schedule_flag: 0x%x", s.eit_schedule()),
          Format("EIT_present_following_flag: 0x%x", s.eit_present_following()),
          Format("running_status: 0x%x", s.running_status()), Format("free_CA_mode: 0x%x", s.free_ca_mode())};
}

}  // namespace

CSDTAddService::CSDTAddService(TableTreeCtrl& tree, Ui& ui, bool add) : Form(kTemplate, ui), tree_(tree), add_(add) {}

void CSDTAddService::OnInitDialog() {
  Form::OnInitDialog();
  SetButtonsOkCancel();
  if (add_) {
    title = "Add Service";
    return;
  }
  title = "Modify Service";
  if (const auto* s = SelectedPayload<SdtService>(tree_, NodeKind::SdtService)) {
    SetText(kServiceId, Format("0x%04x", s->service_id));
    SetText(kRunningStatus, Format("0x%x", s->running_status()));
    eitSchedule = s->eit_schedule();
    eitPresentFollowing = s->eit_present_following();
    freeCaMode = s->free_ca_mode();
    SetCheck(kEitSchedule, eitSchedule);
    SetCheck(kEitPresentFollowing, eitPresentFollowing);
    SetCheck(kFreeCaMode, freeCaMode);
  }
}

bool CSDTAddService::OnOK() {
  eitSchedule = Check(kEitSchedule) ? 1 : 0;
  eitPresentFollowing = Check(kEitPresentFollowing) ? 1 : 0;
  freeCaMode = Check(kFreeCaMode) ? 1 : 0;
  const std::string idText = TrimmedText(kServiceId);
  if (idText.empty()) return Refuse("service_id can not be null!", kServiceId);
  const std::string statusText = TrimmedText(kRunningStatus);
  if (statusText.empty()) return Refuse("running_status can not be null!", kRunningStatus);
  const auto serviceId = ReadField(*this, kServiceId, kIdField);
  if (!serviceId) return false;
  const auto running = ReadField(*this, kRunningStatus, Bits(kRunningStatusBits));
  if (!running) return false;

  const ItemHandle target = tree_.GetSelectedItem();
  SdtService service;
  if (!add_) {
    const auto* current = SelectedPayload<SdtService>(tree_, NodeKind::SdtService);
    if (!current) return true;
    service = *current;  // the loop length stays
  } else if (tree_.KindOf(target) != NodeKind::SdtServiceList) {
    return true;
  }
  service.service_id = static_cast<uint16_t>(*serviceId);
  service.flags = SdtService::MakeFlags(eitSchedule, eitPresentFollowing, static_cast<int>(*running), freeCaMode);

  const std::array<std::string, 4> flags = FlagLines(service);
  if (add_) {
    const ItemHandle item =
        tree_.InsertRecordItem(ServiceLine(service), kImageLine, target, MakeRecord(NodeKind::SdtService, service));
    AppendLines(tree_, item, {flags[0], flags[1], flags[2], flags[3], LengthLineText(kServiceLoopLengthLine, 0)});
    tree_.SelectItem(item);
    tree_.Expand(item, ExpandCode::Expand);
  } else {
    *SelectedPayload<SdtService>(tree_, NodeKind::SdtService) = service;
    tree_.SetItemText(target, ServiceLine(service));
    for (size_t i = 0; i < flags.size(); ++i) RewriteChild(tree_, target, static_cast<int>(i), flags[i]);
  }
  return true;
}

}  // namespace quorvelin
