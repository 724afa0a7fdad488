// Shared set-up of the section harnesses: a fresh two-port tree per input, and the areas the
// builders write into, sized as the callers size them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "tree/TableTreeCtrl.h"

namespace quorvelin::fuzzing {

// Trees live for the whole run (constructing one reads the settings file, which costs more than
// most inputs); each input finds one as a new tree is and leaves it empty.
struct FreshTree {
  explicit FreshTree(int slot = 0) : tree(Trees()[slot]) {
    tree.utcTime = {};  // the only state besides the items that the readers write
    tree.BuildRoots();
  }
  ~FreshTree() { tree.DeleteAllItems(); }
  static TableTreeCtrl* Trees() {
    static TableTreeCtrl trees[2];
    return trees;
  }
  TableTreeCtrl& tree;
};

// The table area of Submit (204800 bytes) and the PMT slot area (65536 bytes): allocated once,
// 0xFF-filled per input.
template <size_t N>
std::vector<uint8_t>& FilledArea() {
  static std::vector<uint8_t> area(N);
  std::memset(area.data(), 0xFF, N);
  return area;
}
inline std::vector<uint8_t>& TableArea() { return FilledArea<204800>(); }
inline std::vector<uint8_t>& PmtSlotArea() { return FilledArea<65536>(); }

}  // namespace quorvelin::fuzzing
