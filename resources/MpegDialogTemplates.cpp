// Templates of the PAT, PMT, CAT, SDT, TDT/TOT, id and channel dialogs.
#include "resources/DialogTemplate.h"
#include "resources/MpegDialogIds.h"

namespace quorvelin {
namespace {

using namespace mpeg_ids;

ControlTemplate Of(ControlKind kind, int id, const char* label) {
  ControlTemplate c;
  c.id = id;
  c.kind = kind;
  c.label = label;
  return c;
}
ControlTemplate Edit(int id, const char* label) { return Of(ControlKind::Edit, id, label); }
ControlTemplate Digits(int id, const char* label) {
  ControlTemplate c = Edit(id, label);
  c.digitsOnly = true;
  return c;
}
ControlTemplate ReadOnly(int id, const char* label) {
  ControlTemplate c = Edit(id, label);
  c.readOnly = true;
  return c;
}
// A field of typed hexadecimal data, several lines high: "(Hex Number)" under its label.
ControlTemplate HexData(int id, const char* label) {
  ControlTemplate c = Edit(id, label);
  c.note = "(Hex Number)";
  c.multiLine = true;
  return c;
}
ControlTemplate Labelled(ControlTemplate c, int labelId) {
  c.labelId = labelId;
  return c;
}
ControlTemplate DropList(int id, const char* label, int labelId, std::vector<std::string> entries) {
  ControlTemplate c = Labelled(Of(ControlKind::DropList, id, label), labelId);
  c.entries = std::move(entries);
  return c;
}
ControlTemplate Tabs() { return Of(ControlKind::Tab, kTabControl, ""); }

// The five fields of a CA_descriptor form (CAT dialog and the PMT page).
std::vector<ControlTemplate> CaDescriptorControls() {
  return {ReadOnly(ca_form::kTag, "Descriptor_tag:"), Edit(ca_form::kCaSystemId, "CA_system_id:"),
          Edit(ca_form::kCaPid, "CA_pid:"), Digits(ca_form::kPrivateDataLength, "Private_data_length:"),
          HexData(ca_form::kPrivateData, "Private_data:")};
}

std::vector<DialogTemplate> MakeTemplates() {
  return {
      // PAT
      {pat_add::kTemplate, "Add PAT", false, {Edit(pat_add::kTransportStreamId, "Transport_stream_id:")}},
      {pat_program::kTemplate,
       "Add Program",
       false,
       {Labelled(Edit(pat_program::kProgramNumber, "ProgramNumber:"), pat_program::kProgramNumberLabel),
        Labelled(Edit(pat_program::kPid, "ProgramPID:"), pat_program::kPidLabel)}},
      // PMT
      {pmt_program::kTemplate,
       "Add Program",
       false,
       {Edit(pmt_program::kProgramNumber, "ProgramNumber:"), Edit(pmt_program::kPcrPid, "PcrPID:")}},
      {pmt_section::kTemplate,
       "Modify PMT Section",
       false,
       {Edit(pmt_section::kProgramNumber, "ProgramNumber:"), Edit(pmt_section::kPcrPid, "PcrPID:")}},
      {pmt_type::kTemplate,
       "Add Type",
       false,
       {DropList(pmt_type::kType, "Type:", pmt_type::kTypeLabel, {"program_info_descriptors", "components"})}},
      {pmt_component::kTemplate,
       "Add Components",
       false,
       {Edit(pmt_component::kStreamType, "StreamType:"), Edit(pmt_component::kElementaryPid, "Elementary_Pid:")}},
      {pmt_descriptor::kTemplate, "Add Stream Descriptor", false, {Tabs()}},
      {pmt_other::kTemplate,
       "",
       true,
       {Edit(pmt_other::kTag, "Descriptor_tag:"), Digits(pmt_other::kLength, "Descriptor_length:"),
        HexData(pmt_other::kData, "Descriptor_data:")}},
      {ca_form::kPmtPageTemplate, "", true, CaDescriptorControls()},
      // CAT
      {ca_form::kCatTemplate, "Add Descriptor", false, CaDescriptorControls()},
      // SDT
      {sdt_add::kTemplate,
       "Add SDT",
       false,
       {Edit(sdt_add::kTransportStreamId, "Transport_stream_id:"),
        Edit(sdt_add::kOriginalNetworkId, "Original_network_id:")}},
      {sdt_section::kTemplate,
       "Modify SDT Section",
       false,
       {Edit(sdt_section::kTransportStreamId, "Transport_stream_id:"),
        Edit(sdt_section::kOriginalNetworkId, "Original_network_id:")}},
      {sdt_service::kTemplate,
       "Add Service",
       false,
       {Edit(sdt_service::kServiceId, "Service_id:"), Edit(sdt_service::kRunningStatus, "Running_status:"),
        Of(ControlKind::Check, sdt_service::kEitSchedule, "EIT_schedule_flag"),
        Of(ControlKind::Check, sdt_service::kEitPresentFollowing, "EIT_present_following_flag"),
        Of(ControlKind::Check, sdt_service::kFreeCaMode, "free_CA_mode")}},
      {sdt_descriptor::kTemplate, "Add Descriptor", false, {Tabs()}},
      {sdt_service_page::kTemplate,
       "",
       true,
       {ReadOnly(sdt_service_page::kTag, "descriptor_tag:"), Edit(sdt_service_page::kServiceType, "service_type:"),
        Edit(sdt_service_page::kProviderName, "service_provider_name:"),
        Edit(sdt_service_page::kServiceName, "service_name:")}},
      // TDT and TOT
      {tdt::kTemplate,
       "Modify TDT",
       false,
       {Of(ControlKind::Radio, tdt::kUtcTime, "UTC_time"), Of(ControlKind::Radio, tdt::kLocalTime, "Local_time"),
        Digits(tdt::kYear, "Year:"), Digits(tdt::kMonth, "Month:"), Digits(tdt::kDay, "Day:"),
        Digits(tdt::kHour, "Hour:"), Digits(tdt::kMinute, "Minute:"), Digits(tdt::kSecond, "Second:")}},
      {tot::kTemplate,
       "Modify TOT",
       false,
       {Edit(tot::kCountryCode, "country_code:"), Edit(tot::kCountryRegionId, "country_region_id:"),
        Edit(tot::kPolarity, "local_time_offset_polarity:"),
        Of(ControlKind::Time, tot::kLocalTimeOffset, "local_time_offset:"),
        Of(ControlKind::Date, tot::kTimeOfChangeDate, "time_of_change:"),
        Of(ControlKind::Time, tot::kTimeOfChangeTime, ""),
        Of(ControlKind::Time, tot::kNextTimeOffset, "next_time_offset:")}},
      // Identifiers and channel
      {transport_id::kTemplate, "Modify PAT Section", false, {Edit(transport_id::kTransportStreamId, "TransportStreamID:")}},
      {transport_network_id::kTemplate,
       "Modify transport_stream_id and original_network_id",
       false,
       {Edit(transport_network_id::kTransportStreamId, "Transport_stream_id:"),
        Edit(transport_network_id::kOriginalNetworkId, "Original_network_id:")}},
      {channel::kTemplate, "Set Channel", false, {Edit(channel::kChannel, "Channel:")}},
  };
}

}  // namespace

const std::vector<DialogTemplate>& MpegDialogTemplates() {
  static const std::vector<DialogTemplate> templates = MakeTemplates();
  return templates;
}

}  // namespace quorvelin
