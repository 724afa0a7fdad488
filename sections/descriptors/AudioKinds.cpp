// Audio descriptors of ETSI EN 300 468 Annex D and 6.2.1: AC-3, enhanced AC-3 and AAC.
#include "sections/descriptors/DescriptorRegistry.h"

namespace quorvelin {
namespace {

constexpr Field kComponentType[] = {Bits("component_type", 8)};
constexpr Field kBsid[] = {Bits("bsid", 8)};
constexpr Field kMainid[] = {Bits("mainid", 8)};
constexpr Field kAsvc[] = {Bits("asvc", 8)};
constexpr Field kSubstream1[] = {Bits("substream1", 8)};
constexpr Field kSubstream2[] = {Bits("substream2", 8)};
constexpr Field kSubstream3[] = {Bits("substream3", 8)};

constexpr Field kAc3[] = {Presence("component_type_flag"),
                          Presence("bsid_flag"),
                          Presence("mainid_flag"),
                          Presence("asvc_flag"),
                          Reserved(4),
                          Opt("component_type_flag", kComponentType),
                          Opt("bsid_flag", kBsid),
                          Opt("mainid_flag", kMainid),
                          Opt("asvc_flag", kAsvc),
                          BytesRest("additional_info")};

constexpr Field kEnhancedAc3[] = {Presence("component_type_flag"),
                                  Presence("bsid_flag"),
                                  Presence("mainid_flag"),
                                  Presence("asvc_flag"),
                                  Flag("mixinfoexists"),
                                  Presence("substream1_flag"),
                                  Presence("substream2_flag"),
                                  Presence("substream3_flag"),
                                  Opt("component_type_flag", kComponentType),
                                  Opt("bsid_flag", kBsid),
                                  Opt("mainid_flag", kMainid),
                                  Opt("asvc_flag", kAsvc),
                                  Opt("substream1_flag", kSubstream1),
                                  Opt("substream2_flag", kSubstream2),
                                  Opt("substream3_flag", kSubstream3),
                                  BytesRest("additional_info")};

constexpr Field kAacType[] = {Bits("AAC_type", 8)};
constexpr Field kAacFlags[] = {Presence("AAC_type_flag"), Flag("SAOC_DE"), Reserved(6), Opt("AAC_type_flag", kAacType),
                               BytesRest("additional_info")};
constexpr Field kAac[] = {Bits("profile_and_level", 8), IfMore(kAacFlags)};

}  // namespace

extern const DescriptorKind kAc3Kind{0x6A, -1, 0, "AC-3_descriptor", "DVB_AC3_descriptor", kAc3, "AC3_descriptor"};
extern const DescriptorKind kEnhancedAc3Kind{0x7A,           -1, 0, "enhanced_AC-3_descriptor", "DVB_enhanced_AC3_descriptor",
                                             kEnhancedAc3, "enhanced_AC3_descriptor"};
extern const DescriptorKind kAacKind{0x7C, -1, 0, "AAC_descriptor", "AAC_descriptor", kAac};

}  // namespace quorvelin
