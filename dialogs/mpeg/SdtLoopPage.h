// A page of CSDTAddDesc: it adds its descriptor under the service's "descriptors" holder that
// the dialog gives it, and reports the bytes added for the service's descriptors_loop_length.
#pragma once

#include "tree/TreeModel.h"

namespace quorvelin {

template <class Page>
class SdtLoopPage : public Page {
 public:
  using Page::Page;
  void SetHolder(ItemHandle holder) { holder_ = holder; }
  // Bytes of the descriptor last added (descriptor_length + 2), 0 after a refusal.
  int AddedBytes() const { return added_; }

 protected:
  ItemHandle holder_ = kNoItem;
  int added_ = 0;
};

}  // namespace quorvelin
