// The templates of the MPEG dialogs against what the dialogs read and write.
#include <functional>
#include <memory>
#include <set>

#include "MpegFixture.h"
#include "dialogs/dvb/CTabSheet.h"
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
#include "dialogs/mpeg/CSDTAddService.h"
#include "dialogs/mpeg/CSetChannel.h"
#include "dialogs/mpeg/CTDTModifyTime.h"
#include "resources/MpegDialogIds.h"

namespace quorvelin::test {
namespace {

using Factory = std::function<std::unique_ptr<Form>(MpegTree&)>;

template <class D, class... Args>
Factory Make(Args... args) {
  return [=](MpegTree& t) { return std::make_unique<D>(t.tree, t.ui, args...); };
}

std::vector<Factory> AllDialogs() {
  return {Make<CPATAdd>(),
          Make<CPATAddPrg>(true),
          Make<CPATAddPrg>(false),
          Make<CPMTAddPrg>(),
          Make<CDlgModifyPmtSection>(),
          Make<CPMTAddDescType>(),
          Make<CPMTAddCom>(true),
          Make<CPmtAddComDes>(),
          Make<CCATAddDes1>(),
          Make<CSDTAdd>(),
          Make<CDlgModifySdtSection>(),
          Make<CSDTAddService>(false),
          Make<CDlgModifyTransID>(),
          Make<CDlgModifyTranIDNetworkID>(),
          Make<CSetChannel>(3),
          [](MpegTree& t) { return std::make_unique<CTDTModifyTime>(t.ui, MakeDate(2013, 1, 2, 3, 4, 5), 1); },
          [](MpegTree& t) {
            return std::make_unique<CDlgModifyTOT>(t.tree, t.ui, t.tree.Root(1, Table::Tot), DateTime{}, DateTime{});
          }};
}

// Every control id that the form has touched is one of its template's controls or labels.
void ExpectIdsInTemplate(Form& form) {
  const DialogTemplate* tpl = form.Template();
  ASSERT_NE(tpl, nullptr) << form.TemplateId();
  std::set<int> known;
  for (const ControlTemplate& c : tpl->controls) {
    known.insert(c.id);
    if (c.labelId) known.insert(c.labelId);
  }
  for (const auto& [id, value] : form.Values()) EXPECT_TRUE(known.count(id)) << "template " << tpl->id << " id " << id;
  if (form.focusId) {
    EXPECT_TRUE(known.count(form.focusId)) << "template " << tpl->id;
  }
}

void FillEveryField(Form& form) {
  for (const ControlTemplate& c : form.Template()->controls)
    if (c.kind == ControlKind::Edit && !c.readOnly) form.SetText(c.id, "1");
}

TEST(MpegTemplates, EveryDialogReadsOnlyTheControlsOfItsTemplate) {
  for (const Factory& make : AllDialogs()) {
    MpegTree t;
    std::unique_ptr<Form> form = make(t);
    form->OnInitDialog();
    ExpectIdsInTemplate(*form);
    if (CTabSheet* sheet = form->TabSheetOf(mpeg_ids::kTabControl)) {
      for (int i = 0; i < sheet->PageCount(); ++i) {
        Form* page = sheet->Page(i);
        EXPECT_EQ(static_cast<int>(sheet->TemplateIdOf(i)), page->TemplateId());
        ASSERT_TRUE(page->Template());
        EXPECT_TRUE(page->Template()->childPage);
        FillEveryField(*page);
        sheet->SetCurSel(i);
        form->OnOK();
        ExpectIdsInTemplate(*page);
      }
      continue;
    }
    FillEveryField(*form);
    form->OnOK();
    ExpectIdsInTemplate(*form);
  }
}

TEST(MpegTemplates, IdsAreUniqueAndFlagsFollowTheForms) {
  std::set<int> ids;
  for (const DialogTemplate* t : AllDialogTemplates()) EXPECT_TRUE(ids.insert(t->id).second) << t->id;
  EXPECT_EQ(MpegDialogTemplates().size(), 21u);

  const DialogTemplate* type = FindDialogTemplate(mpeg_ids::pmt_type::kTemplate);
  ASSERT_TRUE(type);
  EXPECT_EQ(type->Control(mpeg_ids::pmt_type::kType)->entries,
            (std::vector<std::string>{"program_info_descriptors", "compenents"}));
  for (int tpl : {mpeg_ids::ca_form::kCatTemplate, mpeg_ids::ca_form::kPmtPageTemplate}) {
    const DialogTemplate* ca = FindDialogTemplate(tpl);
    EXPECT_TRUE(ca->Control(mpeg_ids::ca_form::kTag)->readOnly);
    EXPECT_TRUE(ca->Control(mpeg_ids::ca_form::kPrivateDataLength)->digitsOnly);
    EXPECT_TRUE(ca->Control(mpeg_ids::ca_form::kPrivateData)->multiLine);
    EXPECT_EQ(ca->Control(mpeg_ids::ca_form::kPrivateData)->note, "(Hex Number)");
  }
  const DialogTemplate* pat = FindDialogTemplate(mpeg_ids::pat_program::kTemplate);
  EXPECT_EQ(pat->title, "AddProgram");
  EXPECT_EQ(pat->Control(mpeg_ids::pat_program::kPid)->labelId, mpeg_ids::pat_program::kPidLabel);
  const DialogTemplate* tdt = FindDialogTemplate(mpeg_ids::tdt::kTemplate);
  EXPECT_EQ(tdt->Control(mpeg_ids::tdt::kLocalTime)->kind, ControlKind::Radio);
  EXPECT_TRUE(tdt->Control(mpeg_ids::tdt::kSecond)->digitsOnly);
  const DialogTemplate* tot = FindDialogTemplate(mpeg_ids::tot::kTemplate);
  EXPECT_EQ(tot->Control(mpeg_ids::tot::kTimeOfChangeDate)->kind, ControlKind::Date);
  EXPECT_EQ(tot->Control(mpeg_ids::tot::kNextTimeOffset)->kind, ControlKind::Time);
}

}  // namespace
}  // namespace quorvelin::test
