// Read-only delivery descriptors of ETSI EN 300 468: frequency_list (6.2.17),
// S2_satellite_delivery_system (6.2.13.3) and T2_delivery_system (extension 0x04, 6.4.6.3).
#include "sections/descriptors/DescriptorRegistry.h"

namespace quorvelin {
namespace {

constexpr Field kCentreFrequency[] = {Field{Op::Bits, "value", 32, Show::Frequency}};
constexpr Field kFrequencyList[] = {Reserved(6), Dec("coding_type", 2), Loop("centre_frequency", kCentreFrequency)};

constexpr Field kScrambling[] = {Reserved(6), Bits("scrambling_sequence_index", 18)};
constexpr Field kInputStream[] = {Bits("input_stream_identifier", 8)};
constexpr Field kTimeslice[] = {Bits("timeslice_number", 8)};
constexpr Field kS2Delivery[] = {Presence("scrambling_sequence_selector"),
                                 Presence("multiple_input_stream_flag"),
                                 Flag("backwards_compatibility"),
                                 Presence("not_timeslice_flag"),
                                 Reserved(2),
                                 Dec("TS_GS_mode", 2),
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
constexpr Field kT2Extension[] = {Dec("SISO_MISO", 2),
                                  Dec("bandwidth", 4),
                                  Reserved(2),
                                  Dec("guard_interval", 3),
                                  Dec("transmission_mode", 3),
                                  Flag("other_frequency"),
                                  Flag("tfs"),
                                  Opt("tfs", kTfsCells),
                                  Unless("tfs", kPlainCells)};
constexpr Field kT2Delivery[] = {Bits("plp_id", 8), Bits("T2_system_id", 16), IfMore(kT2Extension, "extension")};

}  // namespace

extern const DescriptorKind kFrequencyListKind{0x62, -1, 0, "frequency_list_descriptor", "frequency_list_descriptor",
                                               kFrequencyList};
extern const DescriptorKind kS2SatelliteDeliveryKind{0x79, -1, 0, "S2_satellite_delivery_system_descriptor",
                                                     "S2_satellite_delivery_system_descriptor", kS2Delivery};
extern const DescriptorKind kT2DeliveryKind{kExtensionTag, 0x04, 0, "T2_delivery_system_descriptor",
                                            "T2_delivery_system_descriptor", kT2Delivery};

}  // namespace quorvelin
