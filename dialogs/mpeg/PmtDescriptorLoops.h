// Where the descriptor pages of CPmtAddComDes put a new descriptor, and the loop lengths they keep.
#pragma once

#include "tree/TableTreeCtrl.h"

namespace quorvelin {

// The holder under which a descriptor goes: the selected "program_info_descriptors" heading, or
// the "es descriptors" holder of the selected component, inserted as its last child when
// missing. kNoItem for any other selection.
ItemHandle PmtDescriptorHolder(TableTreeCtrl& tree, ItemHandle selected);

// es_info_length of the component := the bytes of its descriptor loop, shown on the component's
// second line as "ES_info_length: 0x%x". Returns that line.
ItemHandle UpdateEsInfoLength(TableTreeCtrl& tree, ItemHandle component, ItemHandle holder);

}  // namespace quorvelin
