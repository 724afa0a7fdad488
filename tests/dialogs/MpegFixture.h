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

class MpegTree {
 public:
  MpegTree();

  TableTreeCtrl tree;
  RecordingUi ui;

  // "SECTION0:" with its header lines, "programs:%d" and one line per entry, "crc_32: 0x0".
  ItemHandle AddPat(int port, uint16_t transportStreamId, const std::vector<ProgramEntry>& programs);
  // A program item with one "Section 0:" and its lines; "program_info_descriptors" when there are
  // program-info descriptors, "components" always.
  ItemHandle AddPmt(int port, int programNumber, int pmtPid, int pcrPid,
                    const std::vector<GenericDescriptor>& programInfo, const std::vector<ComponentEntry>& components);
  // "Section 0:" with its lines and an empty "services" holder.
  ItemHandle AddSdt(int port, uint16_t transportStreamId, uint16_t originalNetworkId);
  // A service under the section's "services" with its five lines and, when given, its descriptors
  // as "Other" descriptors.
  ItemHandle AddService(ItemHandle sdtSection, uint16_t serviceId, int running,
                        const std::vector<GenericDescriptor>& descriptors = {});
  // "SECTION:0" with its lines and, when there are descriptors, "descriptors" before "crc_32".
  ItemHandle AddCat(int port, const std::vector<GenericDescriptor>& descriptors);
  // "SECTION:0" under the port's TOT root, carrying `state`, with one line.
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
