#include "commands/TreeCommands.h"

#include <algorithm>

#include "commands/DeleteNode.h"
#include "commands/MenuState.h"
#include "dialogs/ModifyPages.h"
#include "dialogs/dvb/CAddBat.h"
#include "dialogs/dvb/CBATAddBouquetDes.h"
#include "dialogs/dvb/CBATAddGather.h"
#include "dialogs/dvb/CBATAddStreamDes.h"
#include "dialogs/dvb/CDlgModifyNIT.h"
#include "dialogs/dvb/CNITAdd.h"
#include "dialogs/dvb/CNITAddGather.h"
#include "dialogs/dvb/CNITAddNWDes.h"
#include "dialogs/dvb/CNITAddStreamDes.h"
#include "dialogs/dvb/CNITAddTranStream.h"
#include "dialogs/mpeg/CCATAddDes1.h"
#include "dialogs/mpeg/CDlgModifyPmtSection.h"
#include "dialogs/mpeg/CDlgModifySdtSection.h"
#include "dialogs/mpeg/CDlgModifyTOT.h"
#include "dialogs/mpeg/CDlgModifyTranIDNetworkID.h"
#include "dialogs/mpeg/CDlgModifyTransID.h"
#include "dialogs/mpeg/CPATAdd.h"
#include "dialogs/mpeg/CPATAddPrg.h"
#include "dialogs/mpeg/CPMTAddCom.h"
#include "dialogs/mpeg/CPMTAddDescType.h"
#include "dialogs/mpeg/CPMTAddPrg.h"
#include "dialogs/mpeg/CPmtAddComDes.h"
#include "dialogs/mpeg/CSDTAdd.h"
#include "dialogs/mpeg/CSDTAddDesc.h"
#include "dialogs/mpeg/CSDTAddService.h"
#include "dialogs/mpeg/CSetChannel.h"
#include "dialogs/mpeg/CTDTModifyTime.h"
#include "device/Flows.h"
#include "device/Framing.h"
#include "device/UdpSocket.h"
#include "device/PortFiles.h"
#include "sections/NewSections.h"
#include "sections/TableFiles.h"
#include "sections/TimeSections.h"
#include "tree/TreePlace.h"
#include "util/Number.h"

namespace quorvelin {
namespace {

using K = NodeKind;

// Runs a dialog constructed with the tree and the UI; true on Ok.
template <class Dialog, class... Args>
bool Run(DialogRunner& runner, TableTreeCtrl& tree, Ui& ui, Args&&... args) {
  Dialog dialog(tree, ui, std::forward<Args>(args)...);
  return runner.RunModal(dialog);
}

}  // namespace

TreeCommands::TreeCommands(TableTreeCtrl& tree, Ui& ui, DialogRunner& runner, TableExchange& exchange)
    : tree_(tree), ui_(ui), runner_(runner), exchange_(exchange) {}

bool TreeCommands::PortNodeSelected() const {
  const ItemHandle selected = tree_.GetSelectedItem();
  return selected != kNoItem && (selected == tree_.PortNode(1) || selected == tree_.PortNode(2));
}

MenuState TreeCommands::UpdateMenuState() {
  const ItemHandle selected = tree_.GetSelectedItem();
  const NodeRecord* record = tree_.RecordOf(selected);
  tree_.menu = MenuFlagsFor(record ? record->kind : K::None, record != nullptr);
  const MenuFlags& f = tree_.menu;
  return {
      {kCmdAddData, f.add},
      {kCmdDeleteData, f.del},
      {kCmdModifyData, f.modify},
      {kCmdModifyNit, f.modifyNit},
      {kCmdSubmit, true},
      {kCmdRefresh, true},
      {kCmdSetChannel, tree_.OnePort()},
      {kCmdSaveCurrentTable, f.saveLoad},
      {kCmdLoadCurrentTable, f.saveLoad},
      {kCmdImportCapture, PortNodeSelected()},
      {kCmdExportStream, PortNodeSelected()},
  };
}

bool TreeCommands::OnCommand(int id) {
  switch (id) {
    case kCmdAddData: AddNode(); return true;
    case kCmdDeleteData: DeleteNode(); return true;
    case kCmdModifyData: ModifyNode(); return true;
    case kCmdModifyNit: ModifyNit(); return true;
    case kCmdSubmit: Submit(); return true;
    case kCmdRefresh: Refresh(); return true;
    case kCmdSetChannel: SetChannel(); return true;
    case kCmdSaveCurrentTable: SaveCurrentTable(); return true;
    case kCmdLoadCurrentTable: LoadCurrentTable(); return true;
    case kCmdImportCapture: Tell(ImportPortCapture(tree_, ui_, tree_.PortOf(tree_.GetSelectedItem()))); return true;
    case kCmdExportStream: Tell(ExportPortStream(tree_, ui_, tree_.PortOf(tree_.GetSelectedItem()))); return true;
    default: return false;
  }
}

void TreeCommands::AddNode() {
  const ItemHandle selected = tree_.GetSelectedItem();
  switch (tree_.KindOf(selected)) {
    case K::PatRoot: CreatePat(selected); break;
    case K::PatProgramList: Run<CPATAddPrg>(runner_, tree_, ui_, true); break;
    case K::PmtRoot: Run<CPMTAddPrg>(runner_, tree_, ui_); break;
    case K::PmtSection: Run<CPMTAddDescType>(runner_, tree_, ui_); break;
    case K::PmtProgramInfoList:
    case K::PmtComponent: Run<CPmtAddComDes>(runner_, tree_, ui_); break;
    case K::PmtComponentList: Run<CPMTAddCom>(runner_, tree_, ui_, true); break;
    case K::SdtRoot: CreateSdt(selected); break;
    case K::SdtServiceList: Run<CSDTAddService>(runner_, tree_, ui_, true); break;
    case K::SdtService: Run<CSDTAddDesc>(runner_, tree_, ui_); break;
    case K::CatRoot: CreateCat(selected); break;
    case K::CatSection: Run<CCATAddDes1>(runner_, tree_, ui_); break;
    case K::NitRoot: CreateNitSection(selected); break;
    case K::NitSection: Run<CNITAddGather>(runner_, tree_, ui_); break;
    case K::NitNetworkDescriptorList: Run<CNITAddNWDes>(runner_, tree_, ui_); break;
    case K::NitTransportStreamList: Run<CNITAddTranStream>(runner_, tree_, ui_); break;
    case K::NitTransportStream: Run<CNITAddStreamDes>(runner_, tree_, ui_); break;
    case K::TdtRoot: ModifyTdt(selected); break;
    case K::TotRoot: ModifyTot(selected); break;
    case K::BatRoot: Run<CAddBat>(runner_, tree_, ui_); break;
    case K::BatSection: Run<CBATAddGather>(runner_, tree_, ui_); break;
    case K::BatBouquetDescriptorList: Run<CBATAddBouquetDes>(runner_, tree_, ui_); break;
    case K::BatTransportStreamList: Run<CNITAddTranStream>(runner_, tree_, ui_, Table::Bat); break;
    case K::BatTransportStream: Run<CBATAddStreamDes>(runner_, tree_, ui_); break;
    default: break;
  }
}

void TreeCommands::ModifyTdt(ItemHandle root) {
  const int port = tree_.GetParentItem(root) == tree_.PortNode(1) ? 1 : 2;
  DateTime& stored = tree_.utcTime[port - 1];
  stored = CurrentUtcDate();
  CTDTModifyTime dialog(ui_, stored, port);
  if (!runner_.RunModal(dialog)) return;
  stored = dialog.value;
  ShowTdt(tree_, root);
}

void TreeCommands::ModifyTot(ItemHandle root) {
  CDlgModifyTOT dialog(tree_, ui_, root, tree_.utcTime[0], tree_.utcTime[1]);
  if (runner_.RunModal(dialog)) ShowTot(tree_, root, dialog.state);
}

void TreeCommands::DeleteNode() { DeleteSelectedNode(tree_, ui_); }

bool TreeCommands::ModifyNode() {
  const ItemHandle selected = tree_.GetSelectedItem();
  const NodeRecord* record = tree_.RecordOf(selected);
  if (!record) return false;
  const K kind = record->kind;
  if (const ModifyPage* page = FindModifyPage(kind)) return page->modify(runner_, tree_, ui_), !page->expands;
  switch (kind) {
    case K::PatSection: Run<CDlgModifyTransID>(runner_, tree_, ui_); return false;
    case K::PatProgram: return Run<CPATAddPrg>(runner_, tree_, ui_, false), true;
    case K::PmtSection: Run<CDlgModifyPmtSection>(runner_, tree_, ui_); return false;
    case K::PmtComponent: return Run<CPMTAddCom>(runner_, tree_, ui_, false), true;
    case K::SdtSection: Run<CDlgModifySdtSection>(runner_, tree_, ui_); return false;
    case K::SdtService: return Run<CSDTAddService>(runner_, tree_, ui_, false), true;
    case K::NitTransportStream: return Run<CDlgModifyTranIDNetworkID>(runner_, tree_, ui_), true;
    case K::TdtRoot:
    case K::TotRoot: AddNode(); return false;
    default: return false;
  }
}

void TreeCommands::ModifyNit() { Run<CDlgModifyNIT>(runner_, tree_, ui_); }

bool TreeCommands::MayDiscardEdits(const std::vector<int>& ports) {
  std::string names;
  int edited = 0;
  for (int port : ports) {
    if (!tree_.HasUnsubmittedEdits(port)) continue;
    names += (edited++ ? " and " : "") + tree_.PortName(port);
  }
  if (edited == 0) return true;
  const std::string text = names + (edited > 1 ? " have" : " has") + " changes that were not submitted. Discard them?";
  return ui_.MessageBox(text, kSystemInfo, MsgIcon::Question, MsgButtons::YesNo) == MsgAnswer::Yes;
}

void TreeCommands::Refresh() {
  if (!MayDiscardAllEdits()) return;
  const TreePlace place = TreePlace::Take(tree_);
  lastResult_ = quorvelin::Refresh(tree_, exchange_, ui_, progress_);
  place.Restore(tree_);
}

void TreeCommands::Submit() {
  std::string result = SubmitAndVerify(tree_, exchange_, ui_, progress_);
  if (!result.empty()) lastResult_ = std::move(result);
}

std::string TreeCommands::StatusLine() const {
  const LinkSettings settings = link_ ? *link_ : LinkSettings{};
  std::string line = settings.deviceAddress ? "Device " + Ipv4Text(settings.deviceAddress) : std::string("Exchange file");
  line += settings.protocolMode == kFragmentedProtocol ? ", fragmented framing" : ", plain framing";
  line += tree_.OnePort() ? ", channel " + std::to_string(std::max(settings.channelNumber, 1)) : ", ports A and B";
  return lastResult_.empty() ? line : line + "  |  " + lastResult_;
}

void TreeCommands::SetChannel() {
  CSetChannel dialog(tree_, ui_, link_ ? std::max(link_->channelNumber, 1) : 1);
  if (!runner_.RunModal(dialog) || !MayDiscardAllEdits()) return;
  if (link_) link_->channelNumber = dialog.channel;
  lastResult_ = ApplyChannel(tree_, exchange_, ui_, dialog.channel, progress_);
}

void TreeCommands::Tell(std::optional<std::string> done) {
  if (done && !done->empty()) lastResult_ = std::move(*done);
}

void TreeCommands::SaveCurrentTable() { Tell(quorvelin::SaveCurrentTable(tree_, ui_)); }

void TreeCommands::LoadCurrentTable() {
  if (MayDiscardEdits({tree_.PortOf(tree_.GetSelectedItem())})) Tell(quorvelin::LoadCurrentTable(tree_, ui_));
}

namespace {
void ShowExists(Ui& ui, const char* text) {
  ui.MessageBox(text, kSystemInfo, MsgIcon::Information, MsgButtons::Ok);
}
}  // namespace

bool TreeCommands::CreatePat(ItemHandle root) {
  if (tree_.FindChildOfKind(root, K::PatSection)) return ShowExists(ui_, "PAT is exist!"), false;
  CPATAdd dialog(tree_, ui_);
  if (!runner_.RunModal(dialog)) return false;
  InsertNewPatSection(tree_, root, static_cast<uint16_t>(ParseNumber(dialog.transportStreamId)));
  return true;
}

bool TreeCommands::CreateSdt(ItemHandle root) {
  if (tree_.FindChildOfKind(root, K::SdtSection)) return ShowExists(ui_, "SDT is exist!"), false;
  CSDTAdd dialog(tree_, ui_);
  if (!runner_.RunModal(dialog)) return false;
  InsertNewSdtSection(tree_, root, static_cast<uint16_t>(ParseNumber(dialog.transportStreamId)),
                      static_cast<uint16_t>(ParseNumber(dialog.originalNetworkId)));
  return true;
}

bool TreeCommands::CreateCat(ItemHandle root) {
  if (tree_.FindChildOfKind(root, K::CatSection)) return ShowExists(ui_, "CAT is exist!"), false;
  InsertNewCatSection(tree_, root);
  return true;
}

bool TreeCommands::CreateNitSection(ItemHandle root) {
  CNITAdd dialog(tree_, ui_);
  if (!runner_.RunModal(dialog)) return false;
  InsertNewNitSection(tree_, root, dialog.NetworkId(), dialog.SectionNumber());
  return true;
}

}  // namespace quorvelin
