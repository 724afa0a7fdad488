// Template and control ids of the PAT, PMT, CAT, SDT, TDT/TOT, id and channel dialogs, shared by
// the templates (MpegDialogTemplates.cpp) and the dialog logic (dialogs/mpeg/).
#pragma once

namespace quorvelin::mpeg_ids {

inline constexpr int kTabControl = 4013;  // the tab control of every tab dialog

namespace pat_add {  // CPATAdd
inline constexpr int kTemplate = 4024;
inline constexpr int kTransportStreamId = 4010;
}  // namespace pat_add

namespace pat_program {  // CPATAddPrg
inline constexpr int kTemplate = 4004;
inline constexpr int kProgramNumber = 4001;
inline constexpr int kPid = 4002;
inline constexpr int kProgramNumberLabel = 4003;
inline constexpr int kPidLabel = 4004;
}  // namespace pat_program

namespace pmt_program {  // CPMTAddPrg
inline constexpr int kTemplate = 4009;
inline constexpr int kProgramNumber = 4001;
inline constexpr int kPcrPid = 4005;
}  // namespace pmt_program

namespace pmt_section {  // CDlgModifyPmtSection
inline constexpr int kTemplate = 4027;
inline constexpr int kProgramNumber = 4024;
inline constexpr int kPcrPid = 4023;
}  // namespace pmt_section

namespace pmt_type {  // CPMTAddDescType
inline constexpr int kTemplate = 4008;
inline constexpr int kType = 4009;
inline constexpr int kTypeLabel = 4008;
}  // namespace pmt_type

namespace pmt_component {  // CPMTAddCom
inline constexpr int kTemplate = 4006;
inline constexpr int kStreamType = 4006;
inline constexpr int kElementaryPid = 4007;
}  // namespace pmt_component

namespace pmt_descriptor {  // CPmtAddComDes
inline constexpr int kTemplate = 4045;
}  // namespace pmt_descriptor

namespace pmt_other {  // CPMTAddDesc, page "Other"
inline constexpr int kTemplate = 4007;
inline constexpr int kTag = 4006;
inline constexpr int kLength = 4007;
inline constexpr int kData = 4008;
}  // namespace pmt_other

namespace ca_form {  // CCATAddDes1 and the page CCatDesPMT: the same five fields
inline constexpr int kCatTemplate = 4014;
inline constexpr int kPmtPageTemplate = 4046;
inline constexpr int kTag = 4015;
inline constexpr int kPrivateDataLength = 4016;
inline constexpr int kPrivateData = 4017;
inline constexpr int kCaSystemId = 4018;
inline constexpr int kCaPid = 4019;
}  // namespace ca_form

namespace sdt_add {  // CSDTAdd
inline constexpr int kTemplate = 4025;
inline constexpr int kTransportStreamId = 4010;
inline constexpr int kOriginalNetworkId = 4011;
}  // namespace sdt_add

namespace sdt_section {  // CDlgModifySdtSection
inline constexpr int kTemplate = 4028;
inline constexpr int kTransportStreamId = 4025;
inline constexpr int kOriginalNetworkId = 4026;
}  // namespace sdt_section

namespace sdt_service {  // CSDTAddService
inline constexpr int kTemplate = 4010;
inline constexpr int kServiceId = 4010;
inline constexpr int kRunningStatus = 4011;
inline constexpr int kEitSchedule = 4012;
inline constexpr int kEitPresentFollowing = 4013;
inline constexpr int kFreeCaMode = 4014;
}  // namespace sdt_service

namespace sdt_descriptor {  // CSDTAddDesc
inline constexpr int kTemplate = 4011;
}  // namespace sdt_descriptor

namespace sdt_service_page {  // CSheetSdtAddDesc1, page "Service Descriptor"
inline constexpr int kTemplate = 4012;
inline constexpr int kTag = 4015;
inline constexpr int kServiceType = 4006;
inline constexpr int kProviderName = 4007;
inline constexpr int kServiceName = 4008;
}  // namespace sdt_service_page

namespace tdt {  // CTDTModifyTime
inline constexpr int kTemplate = 4034;
inline constexpr int kUtcTime = 4033;
inline constexpr int kLocalTime = 4034;
inline constexpr int kYear = 4035;
inline constexpr int kMonth = 4036;
inline constexpr int kDay = 4037;
inline constexpr int kHour = 4038;
inline constexpr int kMinute = 4039;
inline constexpr int kSecond = 4040;
}  // namespace tdt

namespace tot {  // CDlgModifyTOT
inline constexpr int kTemplate = 4035;
inline constexpr int kTimeOfChangeDate = 4036;
inline constexpr int kLocalTimeOffset = 4037;
inline constexpr int kCountryCode = 4038;
inline constexpr int kCountryRegionId = 4039;
inline constexpr int kPolarity = 4040;
inline constexpr int kTimeOfChangeTime = 4041;
inline constexpr int kNextTimeOffset = 4042;
}  // namespace tot

namespace transport_id {  // CDlgModifyTransID
inline constexpr int kTemplate = 4026;
inline constexpr int kTransportStreamId = 4022;
}  // namespace transport_id

namespace transport_network_id {  // CDlgModifyTranIDNetworkID
inline constexpr int kTemplate = 4029;
inline constexpr int kTransportStreamId = 4010;
inline constexpr int kOriginalNetworkId = 4011;
}  // namespace transport_network_id

namespace channel {  // CSetChannel
inline constexpr int kTemplate = 4047;
inline constexpr int kChannel = 4049;
}  // namespace channel

}  // namespace quorvelin::mpeg_ids
