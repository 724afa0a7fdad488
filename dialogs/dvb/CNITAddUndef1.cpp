#include "dialogs/dvb/CNITAddUndef1.h"

namespace quorvelin {

using namespace dvb_ids::hex_descriptor;

bool CNITAddUndef1::AddDesc() {
  auto typed = ReadTypedDescriptor();
  if (!typed) return false;
  const auto stream = SelectedStream(NodeKind::NitTransportStream, typed->descriptor.length + 2, kData);
  if (!stream) return false;
  const auto added =
      AppendStreamDescriptor(tree_, *stream, NodeKind::NitTransportDescriptorList,
                             *MakeRecord(NodeKind::NitTransportDescriptor, std::move(typed->descriptor)));
  tree_.Expand(stream->stream, ExpandCode::Expand);
  tree_.Expand(added.item, ExpandCode::Expand);
  return true;
}

}  // namespace quorvelin
