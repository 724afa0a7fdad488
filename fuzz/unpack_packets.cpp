// A reply or a table file of any content, any packet count: both unpacking forms.
#include <cstring>
#include <vector>

#include "sections/Packets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const int n = static_cast<int8_t>(data[0]) * 4 + data[1] % 4;  // also negative and oversized counts
  std::vector<uint8_t> reply(data + 2, data + size);
  quorvelin::UnpackPacketsWithHeader(n, reply.data(), reply.size());
  std::vector<uint8_t> file(data + 2, data + size);
  quorvelin::UnpackPackets(n, file.data(), file.size());
  quorvelin::CountPackets(data, size);
  return 0;
}
