// multilingual_network_name (0x5B), multilingual_bouquet_name (0x5C) and
// multilingual_service_name (0x5D) descriptors (ETSI EN 300 468 6.2.23 to 6.2.25).
#include "sections/descriptors/DescriptorRegistry.h"

namespace quorvelin {
namespace {

constexpr Field kNetworkLanguage[] = {Char3("code"), Text8("network_name")};
constexpr Field kNetworkNames[] = {Loop("language", kNetworkLanguage)};
constexpr Field kBouquetLanguage[] = {Char3("code"), Text8("bouquet_name")};
constexpr Field kBouquetNames[] = {Loop("language", kBouquetLanguage)};
constexpr Field kServiceLanguage[] = {Char3("code"), Text8("service_provider_name"), Text8("service_name")};
constexpr Field kServiceNames[] = {Loop("language", kServiceLanguage)};

}  // namespace

extern const DescriptorKind kMultilingualNetworkNameKind{0x5B, -1, 0, "multilingual_network_name_descriptor",
                                                         "multilingual_network_name_descriptor", kNetworkNames};
extern const DescriptorKind kMultilingualBouquetNameKind{0x5C, -1, 0, "multilingual_bouquet_name_descriptor",
                                                         "multilingual_bouquet_name_descriptor", kBouquetNames};
extern const DescriptorKind kMultilingualServiceNameKind{0x5D, -1, 0, "multilingual_service_name_descriptor",
                                                         "multilingual_service_name_descriptor", kServiceNames};

}  // namespace quorvelin
