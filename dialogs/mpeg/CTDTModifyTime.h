// Sets a port's stored UTC time, typed as UTC or as local time.
#pragma once

#include "dialogs/common/Form.h"
#include "util/DateTime.h"

namespace quorvelin {

class CTDTModifyTime : public Form {
 public:
  enum Zone { kZoneUtc = 0, kZoneLocal = 1 };

  CTDTModifyTime(Ui& ui, DateTime value, int port);
  void OnInitDialog() override;
  // The radio buttons: "UTC_time" converts the value shown from local time to UTC (again at each
  // click), "Local_time" shows the current local time.
  void OnCommand(int controlId) override;
  bool OnOK() override;

  DateTime value;  // the time being edited; after Ok, the UTC time for the caller
  int port;        // the caller's port, kept for it
  int zone = kZoneUtc;

 private:
  void ShowValue();
};

}  // namespace quorvelin
