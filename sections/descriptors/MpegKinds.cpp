// Descriptors of ISO/IEC 13818-1 2.6 that the PMT carries.
#include "sections/descriptors/DescriptorRegistry.h"

namespace quorvelin {
namespace {

constexpr Field kRegistration[] = {Bits("format_identifier", 32), BytesRest("additional_identification_info")};
constexpr Field kDataStreamAlignment[] = {Bits("alignment_type", 8)};
constexpr Field kCa[] = {Bits("CA_system_id", 16), Reserved(3), Bits("CA_PID", 13), BytesRest("private_data")};
constexpr Field kLanguage[] = {Char3("code"), Bits("audio_type", 8)};
constexpr Field kIso639Language[] = {Loop("language", kLanguage)};
constexpr Field kMaximumBitrate[] = {Reserved(2), Scaled("maximum_bitrate", 22, 400)};  // units of 50 bytes/s
constexpr Field kPrivateDataIndicator[] = {Bits("private_data_indicator", 32)};
constexpr Field kAvcVideo[] = {
    Bits("profile_idc", 8),      Flag("constraint_set0"),     Flag("constraint_set1"),
    Flag("constraint_set2"),     Flag("constraint_set3"),     Flag("constraint_set4"),
    Flag("constraint_set5"),     Bits("AVC_compatible_flags", 2), Bits("level_idc", 8),
    Flag("AVC_still_present"),   Flag("AVC_24_hour_picture"), Flag("frame_packing_SEI_not_present"),
    Reserved(5)};
constexpr Field kTemporalLayers[] = {Reserved(5), Dec("temporal_id_min", 3), Reserved(5), Dec("temporal_id_max", 3)};
constexpr Field kHevcVideo[] = {Dec("profile_space", 2),
                                Flag("tier_flag"),
                                Dec("profile_idc", 5),
                                Bits("profile_compatibility_indication", 32),
                                Flag("progressive_source_flag"),
                                Flag("interlaced_source_flag"),
                                Flag("non_packed_constraint_flag"),
                                Flag("frame_only_constraint_flag"),
                                Bits("copied_44bits", 44),
                                Bits("level_idc", 8),
                                Presence("temporal_layer_subset_flag"),
                                Flag("HEVC_still_present_flag"),
                                Flag("HEVC_24hr_picture_present_flag"),
                                Flag("sub_pic_hrd_params_not_present"),
                                Reserved(2),
                                Dec("HDR_WCG_idc", 2),
                                Opt("temporal_layer_subset_flag", kTemporalLayers)};

}  // namespace

extern const DescriptorKind kRegistrationKind{0x05, -1, 0, "registration_descriptor", "registration_descriptor",
                                              kRegistration};
extern const DescriptorKind kDataStreamAlignmentKind{0x06, -1, 0, "data_stream_alignment_descriptor",
                                                     "data_stream_alignment_descriptor", kDataStreamAlignment};
extern const DescriptorKind kCaKind{0x09, -1, 0, "CA_descriptor", "CA_descriptor", kCa};
extern const DescriptorKind kIso639LanguageKind{0x0A, -1, 0, "ISO_639_language_descriptor",
                                                "ISO_639_language_descriptor", kIso639Language};
extern const DescriptorKind kMaximumBitrateKind{0x0E, -1, 0, "maximum_bitrate_descriptor", "maximum_bitrate_descriptor",
                                                kMaximumBitrate};
extern const DescriptorKind kPrivateDataIndicatorKind{0x0F, -1, 0, "private_data_indicator_descriptor",
                                                      "private_data_indicator_descriptor", kPrivateDataIndicator};
extern const DescriptorKind kAvcVideoKind{0x28, -1, 0, "AVC_video_descriptor", "AVC_video_descriptor", kAvcVideo};
extern const DescriptorKind kHevcVideoKind{0x38, -1, 0, "HEVC_video_descriptor", "HEVC_video_descriptor", kHevcVideo};

}  // namespace quorvelin
