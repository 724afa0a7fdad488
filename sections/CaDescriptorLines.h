// The branch of a CA_descriptor (ISO/IEC 13818-1 2.6.16) as the CAT and both PMT loops show it.
#pragma once

#include "sections/SectionReader.h"

namespace quorvelin {

// Adds "descriptor_tag: 0x%x" with a record of `kind` (payload CaDescriptor) under `parent`,
// with "descriptor_length: 0x%x" and "descriptor_data" (CA_system_ID, CA_PID and, for a length
// of 5 or more, "descriptor_data(hex):" and the private bytes). The descriptor at `at` must lie
// wholly in `s` and have a length of at least 4.
ItemHandle AddCaDescriptor(TableTreeCtrl& tree, ItemHandle parent, const SectionBytes& s, size_t at, NodeKind kind);

}  // namespace quorvelin
