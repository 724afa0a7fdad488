// The image list of the tree: a strip of twenty 16x16 images drawn in code, at the indexes the
// tree uses (tree/TableTreeCtrl.h, enum Image).
#pragma once

#include <QPixmap>
#include <vector>

namespace quorvelin {

inline constexpr int kIconSize = 16;
inline constexpr int kIconCount = 20;

// The strip as one 320x16 image with a transparent background.
QPixmap DrawIconStrip();
// The strip cut into its images.
std::vector<QPixmap> IconImages();

}  // namespace quorvelin
