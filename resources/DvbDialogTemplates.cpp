// Templates of the NIT and BAT dialogs and their descriptor pages.
#include "resources/DialogTemplate.h"

namespace quorvelin {
namespace {

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
ControlTemplate TabControl() { return Simple(ControlKind::Tab, 4013, ""); }

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

// Tag, length and typed hexadecimal data of any descriptor.
std::vector<ControlTemplate> HexDescriptorControls() {
  return {Edit(4015, "Descriptor_tag:"), DigitsEdit(4016, "Descriptor_length:"),
          HexDataEdit(4017, "Descriptor_data:", "(Hex Number)")};
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
  t.push_back(Dialog(4015, "Add NIT", {Edit(4019, "Section_number:"), Edit(4018, "Network_id:")}));
  t.push_back(Dialog(4030, "Modify NIT",
                     {Edit(4027, "VersionNumber:"), Edit(4028, "Network_id:"), Edit(4029, "current_next_indicator:")}));
  t.push_back(
      Dialog(4016, "Add NIT Descriptor type", {DropList(4009, "Type:", {"network_descriptors", "transport_streams"})}));
  t.push_back(Dialog(4020, "Add Transport Stream",
                     {Edit(4020, "transport_stream_id:"), Edit(4021, "original_network_id:")}));

  // NIT network descriptor dialog and its pages.
  t.push_back(Dialog(4018, "Add Descriptor", {TabControl()}));
  t.push_back(Page(4017, {ReadOnlyEdit(4015, "Descriptor_tag:"), Edit(4019, "Network_name:")}));
  t.push_back(Page(4019, HexDescriptorControls()));
  {
    ControlTemplate tag = Edit(4015, "Tag:");
    tag.disabled = true;
    t.push_back(Page(4032, {tag, Edit(4016, "Transport_stream_id:"), Edit(4017, "Original_network_id:"),
                            Edit(4018, "Service_id:"), Combo(4032, "Linkage_type:", LinkageTypes()),
                            Edit(4020, "DataLength:"), HexDataEdit(4019, "Private_data:", "")}));
  }

  // NIT transport descriptor dialog and its pages.
  t.push_back(Dialog(4023, "Add Stream Descriptor", {TabControl()}));
  t.push_back(Page(4021, {Edit(4015, "Descriptor_tag:"), Edit(4019, "Frequency:(MHz)"), Edit(4020, "FEC_outer:"),
                          DropList(4021, "Modulation:", {"16QAM", "32QAM", "64QAM", "128QAM", "256QAM"}),
                          Edit(4022, "Symbol_rate:(Msymbol/s)"), Edit(4023, "FEC_inner:")}));
  t.push_back(Page(4022, HexDescriptorControls()));
  t.push_back(Page(4031, {ReadOnlyEdit(4015, "Descriptor_tag:"), Edit(4010, "Service_ID:"),
                          Combo(4030, "Service_Type:", ServiceTypes()), Simple(ControlKind::Button, 3, "Add"),
                          Simple(ControlKind::Button, 4, "Delete"),
                          ListView(4031, {{"Service_ID", 80}, {"Service_Type", 80}, {"Descrip", 150}})}));
  t.push_back(Page(
      4036,
      {Edit(4015, "Descriptor_tag:"), Edit(4019, "Frequency:(GHz)"), Edit(4039, "orbital_position:(unit 0.1 degree)"),
       DigitsEdit(4040, "west_east_flag:"),
       DropList(4024, "polarization:", {"linear-horizontal", "linear-vertical", "circular-left", "circular-right"}),
       DropList(4021, "Modulation:", {"not defined", "QPSK", "8PSK", "16QAM"}), Edit(4022, "Symbol_rate:(Msymbol/s)"),
       Edit(4023, "FEC_inner:")}));
  t.push_back(
      Page(4037, {ReadOnlyEdit(4015, "Descriptor_tag:"), Edit(4010, "Service_ID:"),
                  Simple(ControlKind::Check, 4040, "Is Service Visible"), Simple(ControlKind::Radio, 4050, "10bit"),
                  Simple(ControlKind::Radio, 4051, "14bit"), Edit(4011, "Channel_Number:"),
                  Simple(ControlKind::Button, 3, "Add"), Simple(ControlKind::Button, 4, "Delete"),
                  ListView(4031, {{"Service_ID", 80}, {"Service_Channel", 110}, {"IsServiceVisible", 110}})}));
  t.push_back(Page(
      4038,
      {Edit(4015, "Descriptor_tag:"), Edit(4019, "Centre frequency:(unit 10 Hz)"),
       DropList(4022, "BandWidth:", {"8 MHz", "7 MHz", "6 MHz", "5 MHz"}), Simple(ControlKind::Check, 4049, "priority"),
       Simple(ControlKind::Check, 4050, "Time_Slicing_indicator"),
       Simple(ControlKind::Check, 4051, "MPE-FEC_indicator"),
       DropList(4041, "Constellation:", {"QPSK", "16QAM", "64QAM"}),
       DropList(4042, "Hierarchy_information:", {"NO", "@=1", "@=2", "@=4"}),
       DropList(4043, "code_rate-HP_stream:", CodeRates()), DropList(4046, "code_rate-LP_stream:", CodeRates()),
       DropList(4044, "Guard Interval:", {"1/32", "1/16", "1/8", "1/4"}),
       DropList(4045, "TransmissionMode:", {"2K", "8K"}), Simple(ControlKind::Check, 4047, "other_frequency_flag")}));

  // BAT dialogs and their pages.
  t.push_back(Dialog(4040, "Add BAT", {Edit(4048, "BouquetID:"), Edit(4027, "version_number:")}));
  t.push_back(Dialog(4041, "Add Descriptors", {DropList(4009, "Type:", {"bouquet_descriptors", "transport_streams"})}));
  t.push_back(Dialog(4042, "Add Descriptor", {TabControl()}));
  t.push_back(Dialog(4039, "Add Stream Descriptor", {TabControl()}));
  t.push_back(Page(4044, {ReadOnlyEdit(4015, "Descriptor_tag:"), Edit(4019, "bouquet_name:")}));
  t.push_back(Page(4043, HexDescriptorControls()));
  return t;
}

}  // namespace

const std::vector<DialogTemplate>& DvbDialogTemplates() {
  static const std::vector<DialogTemplate> templates = MakeTemplates();
  return templates;
}

}  // namespace quorvelin
