// Logical channel descriptors that a private_data_specifier earlier in the loop selects:
// EACEM / E-Book (0x28) logical_channel 0x83 and HD_simulcast 0x88, NorDig (0x29) version 1
// 0x83 and version 2 0x87.
#include "sections/descriptors/DescriptorRegistry.h"

namespace quorvelin {
namespace {

constexpr Field kChannel10[] = {Bits("service_id", 16), Flag("visible_service"), Reserved(5),
                                Dec("logical_channel_number", 10)};
constexpr Field kChannels10[] = {Loop("service", kChannel10)};
constexpr Field kChannel14[] = {Bits("service_id", 16), Flag("visible_service"), Reserved(1),
                                Dec("logical_channel_number", 14)};
constexpr Field kChannels14[] = {Loop("service", kChannel14)};
constexpr Field kChannelList[] = {Bits("id", 8), Text8("name"), Char3("country_code"), Loop8("service", kChannel10)};
constexpr Field kChannelLists[] = {Loop("channel_list", kChannelList)};

}  // namespace

extern const DescriptorKind kEacemLogicalChannelKind{0x83,        -1, kEacemSpecifier, "logical_channel_descriptor",
                                                     "eacem_logical_channel_number_descriptor", kChannels10,
                                                     "logical_channel_number_descriptor"};
extern const DescriptorKind kEacemHdSimulcastKind{0x88,
                                                  -1,
                                                  kEacemSpecifier,
                                                  "HD_simulcast_logical_channel_descriptor",
                                                  "eacem_HD_simulcast_logical_channel_descriptor",
                                                  kChannels10,
                                                  "HD_simulcast_logical_channel_descriptor"};
extern const DescriptorKind kNordigLogicalChannelV1Kind{0x83, -1, kNordigSpecifier, "NorDig_logical_channel_descriptor_v1",
                                                        "nordig_logical_channel_descriptor_v1", kChannels14};
extern const DescriptorKind kNordigLogicalChannelV2Kind{0x87, -1, kNordigSpecifier, "NorDig_logical_channel_descriptor_v2",
                                                        "nordig_logical_channel_descriptor_v2", kChannelLists};

}  // namespace quorvelin
