// Creation of an empty PAT, SDT, CAT or NIT section under its table root.
#pragma once

#include <cstdint>
#include <string>

#include "tree/TableTreeCtrl.h"

namespace quorvelin {

// Each inserts the section item with its record and lines, and expands the root and the section.
void InsertNewPatSection(TableTreeCtrl& tree, ItemHandle root, uint16_t transportStreamId);
void InsertNewSdtSection(TableTreeCtrl& tree, ItemHandle root, uint16_t transportStreamId, uint16_t originalNetworkId);
void InsertNewCatSection(TableTreeCtrl& tree, ItemHandle root);
// Also selects the new section.
void InsertNewNitSection(TableTreeCtrl& tree, ItemHandle root, uint16_t networkId, uint8_t sectionNumber);

}  // namespace quorvelin
