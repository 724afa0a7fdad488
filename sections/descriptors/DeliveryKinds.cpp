// Delivery descriptors of ETSI EN 300 468: satellite, cable and terrestrial (6.2.13; their
// lines are the dialog's, see Delivery.cpp), frequency_list (6.2.17),
// S2_satellite_delivery_system (6.2.13.3) and T2_delivery_system (extension 0x04, 6.4.6.3).
// Code names and units are TSDuck's: frequencies in Hz, symbol rates in symbols/s.
#include "sections/descriptors/DescriptorRegistry.h"

namespace quorvelin {
namespace {

// FEC_inner of satellite and cable (Table 35 of EN 300 468).
constexpr Symbol kInnerFec[] = {{0, "undefined"}, {1, "1/2"}, {2, "2/3"}, {3, "3/4"}, {4, "5/6"},  {5, "7/8"},
                                {6, "8/9"},       {7, "3/5"}, {8, "4/5"}, {9, "9/10"}, {15, "none"}};

constexpr Symbol kWestEast[] = {{0, "west"}, {1, "east"}};
constexpr Symbol kPolarization[] = {{0, "horizontal"}, {1, "vertical"}, {2, "left"}, {3, "right"}};
constexpr Symbol kRollOff[] = {{0, "0.35"}, {1, "0.25"}, {2, "0.20"}, {3, "reserved"}};
constexpr Symbol kSatelliteSystem[] = {{0, "DVB-S"}, {1, "DVB-S2"}};
constexpr Symbol kSatelliteModulation[] = {{0, "auto"}, {1, "QPSK"}, {2, "8PSK"}, {3, "16-QAM"}};
constexpr Field kSatellite[] = {Bcd("frequency", 32, 10000),  // 10 kHz
                                Field{Op::Bits, "orbital_position", 16, Show::BcdTenths},
                                Named("west_east_flag", 1, kWestEast),
                                Named("polarization", 2, kPolarization),
                                Named("roll_off", 2, kRollOff, 0),
                                Named("modulation_system", 1, kSatelliteSystem),
                                Named("modulation_type", 2, kSatelliteModulation, 1),
                                Bcd("symbol_rate", 28, 100),  // 100 symbols/s
                                Named("FEC_inner", 4, kInnerFec)};

// A roll_off other than 0.35 only with DVB-S2 (TSDuck writes it as 0 for DVB-S).
bool SatelliteRollOff(std::span<const uint8_t> data) {
  return data.size() < 7 || (data[6] & 0x04) != 0 || (data[6] & 0x18) == 0;
}

constexpr Symbol kOuterFec[] = {{0, "undefined"}, {1, "none"}, {2, "RS"}};
constexpr Symbol kCableModulation[] = {{1, "16-QAM"}, {2, "32-QAM"}, {3, "64-QAM"}, {4, "128-QAM"}, {5, "256-QAM"}};
constexpr Field kCable[] = {Bcd("frequency", 32, 100),  // 100 Hz
                            Reserved(12),
                            Named("FEC_outer", 4, kOuterFec, 2),
                            Named("modulation", 8, kCableModulation, 1),
                            Bcd("symbol_rate", 28, 100),
                            Named("FEC_inner", 4, kInnerFec)};

// An unknown centre_frequency is all ones, given as 0 Hz.
constexpr Symbol kUnknownFrequency[] = {{0xFFFFFFFF, "0"}};
constexpr Symbol kBandwidth[] = {{0, "8MHz"}, {1, "7MHz"}, {2, "6MHz"}, {3, "5MHz"}};
constexpr Symbol kPriority[] = {{0, "LP"}, {1, "HP"}};
constexpr Symbol kConstellation[] = {{0, "QPSK"}, {1, "16-QAM"}, {2, "64-QAM"}};
constexpr Symbol kCodeRate[] = {{0, "1/2"}, {1, "2/3"}, {2, "3/4"}, {3, "5/6"}, {4, "7/8"}};
constexpr Symbol kGuardInterval[] = {{0, "1/32"}, {1, "1/16"}, {2, "1/8"}, {3, "1/4"}};
constexpr Symbol kTransmissionMode[] = {{0, "2k"}, {1, "8k"}, {2, "4k"}};
constexpr Field kTerrestrial[] = {
    Field{Op::Bits, "centre_frequency", 32, Show::Scaled, {}, nullptr, 10, kUnknownFrequency},  // 10 Hz
    Named("bandwidth", 3, kBandwidth),
    Named("priority", 1, kPriority),
    Flag("no_time_slicing"),
    Flag("no_MPE_FEC"),
    Reserved(2),
    Named("constellation", 2, kConstellation),
    Dec("hierarchy_information", 3),
    Named("code_rate_HP_stream", 3, kCodeRate),
    Named("code_rate_LP_stream", 3, kCodeRate),
    Named("guard_interval", 2, kGuardInterval),
    Named("transmission_mode", 2, kTransmissionMode),
    Flag("other_frequency"),
    Reserved(32)};

constexpr Field kCentreFrequency[] = {Field{Op::Bits, "value", 32, Show::Frequency}};
constexpr Field kFrequencyList[] = {Reserved(6), Dec("coding_type", 2), Loop("centre_frequency", kCentreFrequency)};

constexpr Field kScrambling[] = {Reserved(6), Bits("scrambling_sequence_index", 18)};
constexpr Field kInputStream[] = {Bits("input_stream_identifier", 8)};
constexpr Field kTimeslice[] = {Bits("timeslice_number", 8)};
constexpr Field kS2Delivery[] = {Presence("scrambling_sequence_selector"),
                                 Presence("multiple_input_stream_flag"),
                                 Field{Op::Bits, "backwards_compatibility", 1, Show::Bool, {}, nullptr, 1, {}, 0},
                                 Presence("not_timeslice_flag"),
                                 Reserved(2),
                                 Field{Op::Bits, "TS_GS_mode", 2, Show::Dec, {}, nullptr, 1, {}, 3},
                                 Opt("scrambling_sequence_selector", kScrambling),
                                 Opt("multiple_input_stream_flag", kInputStream),
                                 Unless("not_timeslice_flag", kTimeslice)};

constexpr Field kHz[] = {Scaled("value", 32, 10)};  // units of 10 Hz
constexpr Field kSubcell[] = {Bits("cell_id_extension", 8), Scaled("transposer_frequency", 32, 10)};
// One cell: with tfs a loop of frequencies, without it one.
constexpr Field kTfsCell[] = {Bits("cell_id", 16), Loop8("centre_frequency", kHz), Loop8("subcell", kSubcell)};
constexpr Field kPlainCell[] = {Bits("cell_id", 16), Unless("tfs", kHz, "centre_frequency"),
                                Loop8("subcell", kSubcell)};
constexpr Field kTfsCells[] = {Loop("cell", kTfsCell)};
constexpr Field kPlainCells[] = {Loop("cell", kPlainCell)};
constexpr Symbol kSisoMiso[] = {{0, "SISO"}, {1, "MISO"}};
constexpr Symbol kT2Bandwidth[] = {{0, "8MHz"}, {1, "7MHz"}, {2, "6MHz"}, {3, "5MHz"}, {4, "10MHz"}, {5, "1.712MHz"}};
constexpr Symbol kT2GuardInterval[] = {{0, "1/32"},  {1, "1/16"},   {2, "1/8"},   {3, "1/4"},
                                       {4, "1/128"}, {5, "19/128"}, {6, "19/256"}};
constexpr Symbol kT2TransmissionMode[] = {{0, "2k"}, {1, "8k"}, {2, "4k"}, {3, "1k"}, {4, "16k"}, {5, "32k"}};
constexpr Field kT2Extension[] = {Named("SISO_MISO", 2, kSisoMiso),
                                  Named("bandwidth", 4, kT2Bandwidth),
                                  Reserved(2),
                                  Named("guard_interval", 3, kT2GuardInterval),
                                  Named("transmission_mode", 3, kT2TransmissionMode),
                                  Flag("other_frequency"),
                                  Flag("tfs"),
                                  Opt("tfs", kTfsCells),
                                  Unless("tfs", kPlainCells)};
constexpr Field kT2Delivery[] = {Bits("plp_id", 8), Bits("T2_system_id", 16), IfMore(kT2Extension, "extension")};

}  // namespace

extern const DescriptorKind kSatelliteDeliveryKind{0x43,          -1,      0, "satellite_delivery_system_descriptor",
                                                   "satellite_delivery_system_descriptor", kSatellite, nullptr,
                                                   SatelliteRollOff};
extern const DescriptorKind kCableDeliveryKind{0x44, -1, 0, "cable_delivery_system_descriptor",
                                               "cable_delivery_system_descriptor", kCable};
extern const DescriptorKind kTerrestrialDeliveryKind{0x5A, -1, 0, "terrestrial_delivery_system_descriptor",
                                                     "terrestrial_delivery_system_descriptor", kTerrestrial};
extern const DescriptorKind kFrequencyListKind{0x62, -1, 0, "frequency_list_descriptor", "frequency_list_descriptor",
                                               kFrequencyList};
extern const DescriptorKind kS2SatelliteDeliveryKind{0x79, -1, 0, "S2_satellite_delivery_system_descriptor",
                                                     "S2_satellite_delivery_system_descriptor", kS2Delivery};
extern const DescriptorKind kT2DeliveryKind{kExtensionTag, 0x04, 0, "T2_delivery_system_descriptor",
                                            "T2_delivery_system_descriptor", kT2Delivery};

}  // namespace quorvelin
