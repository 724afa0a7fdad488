// A two-port tree with PAT, PMT, SDT, CAT and TOT branches laid out as the parsers lay them out,
// and a snapshot of everything a dialog may change (texts, images, expansion, selection, records).
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dialogs/common/Form.h"
#include "tree/TableTreeCtrl.h"

namespace quorvelin::test {

struct ProgramEntry {
  int number;
  int pid;
};

struct ComponentEntry {
  int streamType;
  int pid;
  std::vector<GenericDescriptor> descriptors;  // tag 9 makes a CA descriptor
};

struct ServiceEntry {
  int id;
  int running;
  std::vector<GenericDescriptor> descriptors;
};

class MpegTree {
 public:
  MpegTree();

  TableTreeCtrl tree;
  RecordingUi ui;

  // Each adds the branch that the parser makes of a section written with these fields.
  // PAT: version 1, the given entries. Returns "SECTION0:".
  ItemHandle AddPat(int port, uint16_t transportStreamId, const std::vector<ProgramEntry>& programs);
  // PMT: version 3. Returns its "Section 0:".
  ItemHandle AddPmt(int port, int programNumber, int pmtPid, int pcrPid,
                    const std::vector<GenericDescriptor>& programInfo, const std::vector<ComponentEntry>& components);
  // SDT: version 2; services with EIT_present_following_flag set. Returns "Section 0:"; its
  // services are At(section, {9, i}).
  ItemHandle AddSdt(int port, uint16_t transportStreamId, uint16_t originalNetworkId,
                    const std::vector<ServiceEntry>& services = {});
  // CAT: CA_descriptors. Returns "SECTION:0".
  ItemHandle AddCat(int port, const std::vector<GenericDescriptor>& descriptors);
  // The TOT branch of `state`. Returns its "SECTION:0".
  ItemHandle AddTot(int port, const TotRecord& state);

  // Child `path` below `from`: {2, 0} is the first child of the third child.
  ItemHandle At(ItemHandle from, std::initializer_list<int> path) const;
  ItemHandle Select(ItemHandle item);
  NodeRecord& Record(ItemHandle item) const;

  // Everything a dialog may change, one line per item.
  std::string Snapshot() const;
};

GenericDescriptor Descriptor(uint8_t tag, std::vector<uint8_t> data);

// Start-up and Ok of a dialog, as the renderer runs it: true when the dialog closes.
inline bool InitAndOk(Form& form) {
  form.OnInitDialog();
  return form.OnOK();
}

// The one message a refusal shows, with the SystemInfo caption and the information icon.
void ExpectRefusal(const RecordingUi& ui, const Form& form, const std::string& text, int focus);

}  // namespace quorvelin::test
