// Descriptors of ETSI EN 300 468 6.2 that name, classify and point at services and components.
#include "sections/descriptors/DescriptorRegistry.h"

namespace quorvelin {
namespace {

constexpr Field kNetworkName[] = {TextRest("network_name")};
constexpr Field kServiceEntry[] = {Bits("service_id", 16), Bits("service_type", 8)};
constexpr Field kServiceList[] = {Loop("service", kServiceEntry)};
constexpr Field kBouquetName[] = {TextRest("bouquet_name")};
constexpr Field kService[] = {Bits("service_type", 8), Text8("service_provider_name"), Text8("service_name")};
constexpr Field kCountry[] = {Char3("country_code")};
constexpr Field kCountryAvailability[] = {Flag("country_availability"), Reserved(7), Loop("country", kCountry)};
constexpr Field kLinkage[] = {Bits("transport_stream_id", 16), Bits("original_network_id", 16), Bits("service_id", 16),
                              Bits("linkage_type", 8), BytesRest("private_data")};
constexpr Field kNvodService[] = {Bits("transport_stream_id", 16), Bits("original_network_id", 16),
                                  Bits("service_id", 16)};
constexpr Field kNvodReference[] = {Loop("service", kNvodService)};
constexpr Field kTimeShiftedService[] = {Bits("reference_service_id", 16)};
constexpr Field kStreamIdentifier[] = {Bits("component_tag", 8)};
constexpr Field kCaSystem[] = {Bits("value", 16)};
constexpr Field kCaIdentifier[] = {Loop("CA_system_id", kCaSystem)};
constexpr Field kContentEntry[] = {Dec("content_nibble_level_1", 4), Dec("content_nibble_level_2", 4),
                                   Bits("user_byte", 8)};
constexpr Field kContent[] = {Loop("content", kContentEntry)};
constexpr Field kRating[] = {Char3("country_code"), Bits("rating", 8)};
constexpr Field kParentalRating[] = {Loop("country", kRating)};
constexpr Field kTeletextPage[] = {Char3("language_code"), Dec("teletext_type", 5),
                                   Field{Op::Bits, "page_number", 11, Show::TeletextPage}};
constexpr Field kTeletext[] = {Loop("teletext", kTeletextPage)};
constexpr Field kSubtitle[] = {Char3("language_code"), Bits("subtitling_type", 8), Bits("composition_page_id", 16),
                               Bits("ancillary_page_id", 16)};
constexpr Field kSubtitling[] = {Loop("subtitling", kSubtitle)};
constexpr Field kPrivateDataSpecifier[] = {Bits("private_data_specifier", 32)};
constexpr Field kDataBroadcastId[] = {Bits("data_broadcast_id", 16), BytesRest("selector_bytes")};
constexpr Field kDefaultAuthority[] = {TextRest("fqdn")};

// Linkage types whose private part TSDuck reads as fields of its own (EN 300 468 6.2.19):
// mobile hand-over (0x08), event linkage (0x0D) and extended event linkage (0x0E to 0x1F).
bool PlainLinkage(std::span<const uint8_t> data) {
  return data.size() < 7 || (data[6] != 0x08 && (data[6] < 0x0D || data[6] > 0x1F));
}

}  // namespace

extern const DescriptorKind kNetworkNameKind{0x40, -1, 0, "network_name_descriptor", "network_name_descriptor",
                                             kNetworkName};
extern const DescriptorKind kServiceListKind{0x41, -1, 0, "service_list_descriptor", "service_list_descriptor",
                                             kServiceList};
extern const DescriptorKind kBouquetNameKind{0x47, -1, 0, "bouquet_name_descriptor", "bouquet_name_descriptor",
                                             kBouquetName};
extern const DescriptorKind kServiceKind{0x48, -1, 0, "service_descriptor", "service_descriptor", kService};
extern const DescriptorKind kCountryAvailabilityKind{0x49, -1, 0, "country_availability_descriptor",
                                                     "country_availability_descriptor", kCountryAvailability};
extern const DescriptorKind kLinkageKind{0x4A,    -1, 0, "linkage_descriptor", "linkage_descriptor", kLinkage, nullptr,
                                         PlainLinkage};
extern const DescriptorKind kNvodReferenceKind{0x4B, -1, 0, "NVOD_reference_descriptor", "NVOD_reference_descriptor",
                                               kNvodReference};
extern const DescriptorKind kTimeShiftedServiceKind{0x4C,
                                                    -1,
                                                    0,
                                                    "time_shifted_service_descriptor",
                                                    "DVB_time_shifted_service_descriptor",
                                                    kTimeShiftedService,
                                                    "time_shifted_service_descriptor"};
extern const DescriptorKind kStreamIdentifierKind{0x52, -1, 0, "stream_identifier_descriptor",
                                                  "stream_identifier_descriptor", kStreamIdentifier};
extern const DescriptorKind kCaIdentifierKind{0x53, -1, 0, "CA_identifier_descriptor", "CA_identifier_descriptor",
                                              kCaIdentifier};
extern const DescriptorKind kContentKind{0x54, -1, 0, "content_descriptor", "content_descriptor", kContent};
extern const DescriptorKind kParentalRatingKind{0x55, -1, 0, "parental_rating_descriptor", "parental_rating_descriptor",
                                                kParentalRating};
extern const DescriptorKind kTeletextKind{0x56, -1, 0, "teletext_descriptor", "teletext_descriptor", kTeletext};
extern const DescriptorKind kSubtitlingKind{0x59, -1, 0, "subtitling_descriptor", "subtitling_descriptor", kSubtitling};
extern const DescriptorKind kPrivateDataSpecifierKind{0x5F, -1, 0, "private_data_specifier_descriptor",
                                                      "private_data_specifier_descriptor", kPrivateDataSpecifier};
extern const DescriptorKind kDataBroadcastIdKind{0x66, -1, 0, "data_broadcast_id_descriptor",
                                                 "data_broadcast_id_descriptor", kDataBroadcastId};
extern const DescriptorKind kDefaultAuthorityKind{0x73, -1, 0, "default_authority_descriptor",
                                                  "default_authority_descriptor", kDefaultAuthority};

}  // namespace quorvelin
