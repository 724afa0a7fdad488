#include "tools/devsim/ExchangeFileHost.h"

#include <fstream>
#include <iterator>
#include <vector>

#include "device/Framing.h"
#include "sections/Packets.h"

namespace quorvelin::devsim {

bool ExchangeFileHost::CarryRequest() {
  if (pollsLeft_ < 0) pollsLeft_ = slowPolls_;
  if (pollsLeft_-- > 0) return false;
  pollsLeft_ = -1;
  ++requests_;
  std::vector<uint8_t> request;
  {
    std::ifstream in(path_, std::ios::binary);
    request.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  if (request.size() < kFrameHeaderSize || request[0] != kFrameSync) return true;
  if (request[1] == kWriteCommand) {
    const size_t body = request.size() - kFrameHeaderSize;
    store_.Take(request.data(), request.data() + kFrameHeaderSize, CountPackets(request.data() + kFrameHeaderSize, body));
    return true;
  }
  if (request[1] != kReadCommand) return true;
  const Packets packets = store_.Answer(request.data());
  request.resize(kFrameHeaderSize);
  SetAnnouncedLength(request.data(), packets.size());
  request.insert(request.end(), packets.begin(), packets.end());
  std::ofstream out(path_, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(request.data()), static_cast<std::streamsize>(request.size()));
  return true;
}

}  // namespace quorvelin::devsim
