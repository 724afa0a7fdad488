// Templates of the NIT and BAT dialogs and their descriptor pages.
#include "resources/DialogTemplate.h"
#include "resources/DvbDialogIds.h"

namespace quorvelin {
namespace {

using namespace dvb_ids;

ControlTemplate Edit(int id, std::string label) {
  ControlTemplate c;
  c.id = id;
  c.kind = ControlKind::Edit;
  c.label = std::move(label);
  return c;
}
ControlTemplate ReadOnlyEdit(int id, std::string label) {
  ControlTemplate c = Edit(id, std::move(label));
  c.readOnly = true;
  return c;
}
ControlTemplate DigitsEdit(int id, std::string label) {
  ControlTemplate c = Edit(id, std::move(label));
  c.digitsOnly = true;
  return c;
}
ControlTemplate HexDataEdit(int id, std::string label, std::string note) {
  ControlTemplate c = Edit(id, std::move(label));
  c.note = std::move(note);
  c.multiLine = true;
  return c;
}
ControlTemplate Choice(ControlKind kind, int id, std::string label, std::vector<std::string> entries) {
  ControlTemplate c;
  c.id = id;
  c.kind = kind;
  c.label = std::move(label);
  c.entries = std::move(entries);
  return c;
}
ControlTemplate DropList(int id, std::string label, std::vector<std::string> entries) {
  return Choice(ControlKind::DropList, id, std::move(label), std::move(entries));
}
ControlTemplate Combo(int id, std::string label, std::vector<std::string> entries) {
  return Choice(ControlKind::ComboBox, id, std::move(label), std::move(entries));
}
ControlTemplate Simple(ControlKind kind, int id, std::string label) {
  ControlTemplate c;
  c.id = id;
  c.kind = kind;
  c.label = std::move(label);
  return c;
}
ControlTemplate ListView(int id, std::vector<ListColumn> columns) {
  ControlTemplate c;
  c.id = id;
  c.kind = ControlKind::List;
  c.columns = std::move(columns);
  return c;
}
ControlTemplate TabControl() { return Simple(ControlKind::Tab, kTabControl, ""); }

DialogTemplate Dialog(int id, std::string title, std::vector<ControlTemplate> controls) {
  DialogTemplate t;
  t.id = id;
  t.title = std::move(title);
  t.controls = std::move(controls);
  return t;
}
DialogTemplate Page(int id, std::vector<ControlTemplate> controls) {
  DialogTemplate t = Dialog(id, "", std::move(controls));
  t.childPage = true;
  return t;
}

// linkage_type codes of EN 300 468 (the index is the code).
std::vector<std::string> LinkageTypes() {
  return {"reserved for future use",
          "information service",
          "EPG service",
          "CA replacement service",
          "S containing complete Network/Bouquet SI",
          "service replacement service",
          "data broadcast service",
          "RCS Map",
          "mobile hand-over",
          "System Software Update Service",
          "TS containing SSU BAT or NIT",
          "IP/MAC Notification Service",
          "TS containing INT BAT or NIT"};
}

// service_type codes of EN 300 468 (the index is the code).
std::vector<std::string> ServiceTypes() {
  return {"reserved for future use",
          "digital television service",
          "digital radio sound service",
          "teletext service",
          "NVOD reference service",
          "NVOD time_shifted service",
          "mosaic service",
          "PAL coded signal",
          "SECAM coded signal",
          "D/D2-MAC",
          "FM Radio",
          "NTSC coded signal",
          "data broadcast service",
          "reserved for Common Interface Usage",
          "RCS Map",
          "RCS FLS",
          "DVB MHP service"};
}

std::vector<std::string> CodeRates() { return {"1/2", "2/3", "3/4", "5/6", "7/8"}; }

std::vector<DialogTemplate> MakeTemplates() {
  std::vector<DialogTemplate> t;
  // NIT table dialogs.
  t.push_back(Dialog(nit_add::kTemplate, "Add NIT",
                     {Edit(nit_add::kSectionNumber, "Section_number:"), Edit(nit_add::kNetworkId, "Network_id:")}));
  t.push_back(Dialog(nit_modify::kTemplate, "Modify NIT",
                     {Edit(nit_modify::kVersionNumber, "VersionNumber:"), Edit(nit_modify::kNetworkId, "Network_id:"),
                      Edit(nit_modify::kCurrentNext, "current_next_indicator:")}));
  t.push_back(Dialog(nit_gather::kTemplate, "Add NIT Descriptor type",
                     {DropList(nit_gather::kType, "Type:", {"network_descriptors", "transport_streams"})}));
  t.push_back(Dialog(transport_stream::kTemplate, "Add Transport Stream",
                     {Edit(transport_stream::kTransportStreamId, "transport_stream_id:"),
                      Edit(transport_stream::kOriginalNetworkId, "original_network_id:")}));

  // NIT network descriptor dialog and its pages.
  t.push_back(Dialog(nit_network_descriptor::kTemplate, "Add Descriptor", {TabControl()}));
  t.push_back(Page(network_name::kTemplate,
                   {ReadOnlyEdit(network_name::kTag, "Descriptor_tag:"), Edit(network_name::kName, "Network_name:")}));
  // Any descriptor as tag, length and typed hexadecimal data, in every loop.
  t.push_back(
      Page(hex_descriptor::kTemplate,
           {Edit(hex_descriptor::kTag, "Descriptor_tag:"), DigitsEdit(hex_descriptor::kLength, "Descriptor_length:"),
            HexDataEdit(hex_descriptor::kData, "Descriptor_data:", "(Hex Number)")}));
  {
    ControlTemplate tag = Edit(linkage::kTag, "Tag:");
    tag.disabled = true;
    t.push_back(
        Page(linkage::kTemplate,
             {tag, Edit(linkage::kTransportStreamId, "Transport_stream_id:"),
              Edit(linkage::kOriginalNetworkId, "Original_network_id:"), Edit(linkage::kServiceId, "Service_id:"),
              Combo(linkage::kLinkageType, "Linkage_type:", LinkageTypes()), Edit(linkage::kDataLength, "DataLength:"),
              HexDataEdit(linkage::kPrivateData, "Private_data:", "")}));
  }

  // NIT transport descriptor dialog and its pages.
  t.push_back(Dialog(nit_stream_descriptor::kTemplate, "Add Stream Descriptor", {TabControl()}));
  t.push_back(Page(cable::kTemplate,
                   {Edit(cable::kTag, "Descriptor_tag:"), Edit(cable::kFrequency, "Frequency:(MHz)"),
                    Edit(cable::kFecOuter, "FEC_outer:"),
                    DropList(cable::kModulation, "Modulation:", {"16QAM", "32QAM", "64QAM", "128QAM", "256QAM"}),
                    Edit(cable::kSymbolRate, "Symbol_rate:(Msymbol/s)"), Edit(cable::kFecInner, "FEC_inner:")}));
  t.push_back(Page(service_list::kTemplate,
                   {ReadOnlyEdit(service_list::kTag, "Descriptor_tag:"), Edit(service_list::kServiceId, "Service_ID:"),
                    Combo(service_list::kServiceType, "Service_Type:", ServiceTypes()),
                    Simple(ControlKind::Button, service_list::kAddRow, "Add"),
                    Simple(ControlKind::Button, service_list::kDeleteRow, "Delete"),
                    ListView(service_list::kList, {{"Service_ID", 80}, {"Service_Type", 80}, {"Descrip", 150}})}));
  t.push_back(
      Page(satellite::kTemplate,
           {Edit(satellite::kTag, "Descriptor_tag:"), Edit(satellite::kFrequency, "Frequency:(GHz)"),
            Edit(satellite::kOrbitalPosition, "orbital_position:(unit 0.1 degree)"),
            DigitsEdit(satellite::kWestEastFlag, "west_east_flag:"),
            DropList(satellite::kPolarization,
                     "polarization:", {"linear-horizontal", "linear-vertical", "circular-left", "circular-right"}),
            DropList(satellite::kModulation, "Modulation:", {"not defined", "QPSK", "8PSK", "16QAM"}),
            Edit(satellite::kSymbolRate, "Symbol_rate:(Msymbol/s)"), Edit(satellite::kFecInner, "FEC_inner:")}));
  t.push_back(Page(
      logical_channels::kTemplate,
      {ReadOnlyEdit(logical_channels::kTag, "Descriptor_tag:"), Edit(logical_channels::kServiceId, "Service_ID:"),
       Simple(ControlKind::Check, logical_channels::kVisible, "Is Service Visible"),
       Simple(ControlKind::Radio, logical_channels::k10Bit, "10bit"),
       Simple(ControlKind::Radio, logical_channels::k14Bit, "14bit"),
       Edit(logical_channels::kChannelNumber, "Channel_Number:"),
       Simple(ControlKind::Button, logical_channels::kAddRow, "Add"),
       Simple(ControlKind::Button, logical_channels::kDeleteRow, "Delete"),
       ListView(logical_channels::kList, {{"Service_ID", 80}, {"Service_Channel", 110}, {"IsServiceVisible", 110}})}));
  t.push_back(Page(
      terrestrial::kTemplate,
      {Edit(terrestrial::kTag, "Descriptor_tag:"), Edit(terrestrial::kCentreFrequency, "Centre frequency:(unit 10 Hz)"),
       DropList(terrestrial::kBandwidth, "BandWidth:", {"8 MHz", "7 MHz", "6 MHz", "5 MHz"}),
       Simple(ControlKind::Check, terrestrial::kPriority, "priority"),
       Simple(ControlKind::Check, terrestrial::kTimeSlicing, "Time_Slicing_indicator"),
       Simple(ControlKind::Check, terrestrial::kMpeFec, "MPE-FEC_indicator"),
       DropList(terrestrial::kConstellation, "Constellation:", {"QPSK", "16QAM", "64QAM"}),
       DropList(terrestrial::kHierarchy, "Hierarchy_information:", {"NO", "@=1", "@=2", "@=4"}),
       DropList(terrestrial::kCodeRateHp, "code_rate-HP_stream:", CodeRates()),
       DropList(terrestrial::kCodeRateLp, "code_rate-LP_stream:", CodeRates()),
       DropList(terrestrial::kGuardInterval, "Guard Interval:", {"1/32", "1/16", "1/8", "1/4"}),
       DropList(terrestrial::kTransmissionMode, "TransmissionMode:", {"2K", "8K"}),
       Simple(ControlKind::Check, terrestrial::kOtherFrequency, "other_frequency_flag")}));

  // BAT dialogs and their pages.
  t.push_back(Dialog(bat_add::kTemplate, "Add BAT",
                     {Edit(bat_add::kBouquetId, "BouquetID:"), Edit(bat_add::kVersionNumber, "version_number:")}));
  t.push_back(Dialog(bat_gather::kTemplate, "Add Descriptors",
                     {DropList(bat_gather::kType, "Type:", {"bouquet_descriptors", "transport_streams"})}));
  t.push_back(Dialog(bat_bouquet_descriptor::kTemplate, "Add Descriptor", {TabControl()}));
  t.push_back(Dialog(bat_stream_descriptor::kTemplate, "Add Stream Descriptor", {TabControl()}));
  t.push_back(Page(bouquet_name::kTemplate,
                   {ReadOnlyEdit(bouquet_name::kTag, "Descriptor_tag:"), Edit(bouquet_name::kName, "bouquet_name:")}));
  return t;
}

}  // namespace

const std::vector<DialogTemplate>& DvbDialogTemplates() {
  static const std::vector<DialogTemplate> templates = MakeTemplates();
  return templates;
}

}  // namespace quorvelin
