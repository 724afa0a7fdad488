// Template and control ids of the NIT and BAT dialogs and their descriptor pages, shared by the
// templates (DvbDialogTemplates.cpp) and the dialog logic (dialogs/dvb/).
#pragma once

#include "resources/MpegDialogIds.h"

namespace quorvelin::dvb_ids {

using mpeg_ids::kTabControl;  // the tab control of every tab dialog

namespace nit_add {  // CNITAdd
inline constexpr int kTemplate = 4015;
inline constexpr int kSectionNumber = 4019;
inline constexpr int kNetworkId = 4018;
}  // namespace nit_add

namespace nit_modify {  // CDlgModifyNIT
inline constexpr int kTemplate = 4030;
inline constexpr int kVersionNumber = 4027;
inline constexpr int kNetworkId = 4028;
inline constexpr int kCurrentNext = 4029;
}  // namespace nit_modify

namespace nit_gather {  // CNITAddGather
inline constexpr int kTemplate = 4016;
inline constexpr int kType = 4009;
}  // namespace nit_gather

namespace transport_stream {  // CNITAddTranStream
inline constexpr int kTemplate = 4020;
inline constexpr int kTransportStreamId = 4020;
inline constexpr int kOriginalNetworkId = 4021;
}  // namespace transport_stream

namespace nit_network_descriptor {  // CNITAddNWDes
inline constexpr int kTemplate = 4018;
}  // namespace nit_network_descriptor

namespace nit_stream_descriptor {  // CNITAddStreamDes
inline constexpr int kTemplate = 4023;
}  // namespace nit_stream_descriptor

namespace network_name {  // CNITAddNetworkName
inline constexpr int kTemplate = 4017;
inline constexpr int kTag = 4015;
inline constexpr int kName = 4019;
}  // namespace network_name

namespace hex_descriptor {  // HexDescriptorPage, page "Other Descriptor" of the SDT, NIT and BAT
inline constexpr int kTemplate = 4019;
inline constexpr int kTag = 4015;
inline constexpr int kLength = 4016;
inline constexpr int kData = 4017;
}  // namespace hex_descriptor

namespace linkage {  // CDlgNITLinkage
inline constexpr int kTemplate = 4032;
inline constexpr int kTag = 4015;
inline constexpr int kTransportStreamId = 4016;
inline constexpr int kOriginalNetworkId = 4017;
inline constexpr int kServiceId = 4018;
inline constexpr int kLinkageType = 4032;
inline constexpr int kDataLength = 4020;
inline constexpr int kPrivateData = 4019;
}  // namespace linkage

namespace delivery {  // DeliveryPage: the fields every delivery system page has
inline constexpr int kTag = 4015;
inline constexpr int kFrequency = 4019;
}  // namespace delivery

namespace cable {  // CNITAddCable
using delivery::kFrequency;
using delivery::kTag;
inline constexpr int kTemplate = 4021;
inline constexpr int kFecOuter = 4020;
inline constexpr int kModulation = 4021;
inline constexpr int kSymbolRate = 4022;
inline constexpr int kFecInner = 4023;
}  // namespace cable

namespace satellite {  // CNITAddSatellite
using delivery::kFrequency;
using delivery::kTag;
inline constexpr int kTemplate = 4036;
inline constexpr int kOrbitalPosition = 4039;
inline constexpr int kWestEastFlag = 4040;
inline constexpr int kPolarization = 4024;
inline constexpr int kModulation = 4021;
inline constexpr int kSymbolRate = 4022;
inline constexpr int kFecInner = 4023;
}  // namespace satellite

namespace terrestrial {  // CNITAddTDS
using delivery::kTag;
inline constexpr int kTemplate = 4038;
inline constexpr int kCentreFrequency = delivery::kFrequency;
inline constexpr int kBandwidth = 4022;
inline constexpr int kConstellation = 4041;
inline constexpr int kHierarchy = 4042;
inline constexpr int kCodeRateHp = 4043;
inline constexpr int kCodeRateLp = 4046;
inline constexpr int kGuardInterval = 4044;
inline constexpr int kTransmissionMode = 4045;
inline constexpr int kOtherFrequency = 4047;
inline constexpr int kPriority = 4049;
inline constexpr int kTimeSlicing = 4050;
inline constexpr int kMpeFec = 4051;
}  // namespace terrestrial

namespace entry_list {  // EntryListPage: the fields and buttons every list page has
inline constexpr int kTag = 4015;
inline constexpr int kServiceId = 4010;
inline constexpr int kList = 4031;
inline constexpr int kAddRow = 3;
inline constexpr int kDeleteRow = 4;
}  // namespace entry_list

namespace service_list {  // CDlgNITAddServiceList
using namespace entry_list;
inline constexpr int kTemplate = 4031;
inline constexpr int kServiceType = 4030;
}  // namespace service_list

namespace logical_channels {  // CDlgNITAddLC
using namespace entry_list;
inline constexpr int kTemplate = 4037;
inline constexpr int kVisible = 4040;
inline constexpr int k10Bit = 4050;
inline constexpr int k14Bit = 4051;
inline constexpr int kChannelNumber = 4011;
}  // namespace logical_channels

namespace bat_add {  // CAddBat
inline constexpr int kTemplate = 4040;
inline constexpr int kBouquetId = 4048;
inline constexpr int kVersionNumber = 4027;
}  // namespace bat_add

namespace bat_gather {  // CBATAddGather
inline constexpr int kTemplate = 4041;
inline constexpr int kType = 4009;
}  // namespace bat_gather

namespace bat_bouquet_descriptor {  // CBATAddBouquetDes
inline constexpr int kTemplate = 4042;
}  // namespace bat_bouquet_descriptor

namespace bat_stream_descriptor {  // CBATAddStreamDes
inline constexpr int kTemplate = 4039;
}  // namespace bat_stream_descriptor

namespace bouquet_name {  // CBATAddBouquetName
inline constexpr int kTemplate = 4044;
inline constexpr int kTag = 4015;
inline constexpr int kName = 4019;
}  // namespace bouquet_name

}  // namespace quorvelin::dvb_ids
