// Shared set-up of the section harnesses: a fresh two-port tree per input, and the areas the
// builders write into, sized as the callers size them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "tree/TableTreeCtrl.h"

namespace quorvelin::fuzzing {

struct FreshTree {
  FreshTree() {
    tree.portMode = 1;
    tree.BuildRoots();
  }
  TableTreeCtrl tree;
};

// The table area of Submit (204800 bytes) and the PMT slot area (65536 bytes), 0xFF-filled.
inline std::vector<uint8_t> TableArea() { return std::vector<uint8_t>(204800, 0xFF); }
inline std::vector<uint8_t> PmtSlotArea() { return std::vector<uint8_t>(65536, 0xFF); }

}  // namespace quorvelin::fuzzing
