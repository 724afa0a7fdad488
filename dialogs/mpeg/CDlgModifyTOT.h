// Edits the TOT state of a port: country, region, polarity and the local time offsets.
#pragma once

#include "dialogs/common/Form.h"
#include "tree/TableTreeCtrl.h"

namespace quorvelin {

class CDlgModifyTOT : public Form {
 public:
  // `totRoot` is the port's "TOT" root; the two times are the stored UTC times of the ports.
  CDlgModifyTOT(TableTreeCtrl& tree, Ui& ui, ItemHandle totRoot, DateTime utcFirstPort, DateTime utcSecondPort);
  void OnInitDialog() override;
  bool OnOK() override;

  TotRecord state;  // filled on Ok; the caller rebuilds the TOT branch from it

 private:
  TableTreeCtrl& tree_;
  ItemHandle root_;
  DateTime utc_[2];
};

// A time of day on the base day 1899-12-30, hours and minutes only (a local time offset).
DateTime OffsetOfDay(const DateTime& value);

}  // namespace quorvelin
