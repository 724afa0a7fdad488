// Datagram sequences into the reassembly of a read answer (plain and fragmented framing) and
// exchange-file answers: whatever arrives, nothing is written outside the caller's buffer.
//
// Input: byte 0 picks the framing and the caller's buffer; then datagrams, each a 2-byte length
// (high byte first) and that many bytes.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "device/ReadAssembly.h"

namespace {

// The caller's buffers (2048, 4096, 5120 and 204800 bytes), allocated once: each its own heap
// block, so that a write past one is caught.
std::vector<uint8_t>& Buffer(uint8_t mode) {
  static std::vector<uint8_t> buffers[] = {std::vector<uint8_t>(2048), std::vector<uint8_t>(4096),
                                           std::vector<uint8_t>(5120), std::vector<uint8_t>(204800)};
  return buffers[(mode >> 2) & 3];
}

template <typename Assembly>
void Run(const uint8_t* data, size_t size, std::vector<uint8_t>& buffer) {
  Assembly assembly(buffer.data(), buffer.size());
  while (size >= 2) {
    const size_t length = std::min<size_t>(static_cast<size_t>(data[0]) << 8 | data[1], size - 2);
    // Each datagram in a heap block of its own size, so that a read past it is caught too.
    const std::vector<uint8_t> datagram(data + 2, data + 2 + length);
    data += 2 + length;
    size -= 2 + length;
    const quorvelin::Intake step = assembly.Take(datagram.data(), datagram.size());
    if (step == quorvelin::Intake::Failed) return;
    if (step == quorvelin::Intake::Complete) {
      assembly.Finish();
      return;
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace quorvelin;
  if (size < 1) return 0;
  const uint8_t mode = data[0];
  std::vector<uint8_t>& buffer = Buffer(mode);
  switch (mode & 3) {
    case 0:
      Run<PlainReadAssembly>(data + 1, size - 1, buffer);
      break;
    case 1:
      Run<FragmentReadAssembly>(data + 1, size - 1, buffer);
      break;
    default: {
      const size_t read = std::min(size - 1, buffer.size());
      std::memcpy(buffer.data(), data + 1, read);
      std::memset(buffer.data() + read, 0, buffer.size() - read);
      UnpackFileAnswer(buffer.data(), buffer.size(), read);
    }
  }
  return 0;
}
