// Requests as the device expects them; read answers as it may send them, and hostile ones:
// taken as the protocol's reader takes them, never a byte written outside the caller's buffer.
#include <gtest/gtest.h>

#include <functional>

#include "device/ReadAssembly.h"
#include "device/ScriptedDevice.h"

namespace quorvelin {
namespace {

using namespace testing;

TEST(RequestHeader, AChannelGivesThePortIndexWhateverThePort) {
  for (const auto& [channel, port, index] : {std::tuple{-1, 1, 0}, {-1, 2, 1}, {3, 1, 2}, {3, 2, 2}, {32, 1, 31}})
    EXPECT_EQ(MakeReadRequest(PortIndex(channel, port), 0, 0, false)[2], index) << channel << ' ' << port;
}

const uint8_t kRead[6] = {0x47, 0xA3, 0, 0, 0x00, 0x00};

// Feeds the datagrams into an assembly over a buffer between guard bytes; the section bytes, or
// nothing when the read failed.
template <typename Assembly>
std::optional<Bytes> Assemble(const std::vector<Bytes>& datagrams, size_t size = 4096) {
  Bytes area(size + 128, 0xA5);
  Assembly a(area.data() + 64, size);
  Intake step = Intake::More;
  for (size_t i = 0; i < datagrams.size() && step == Intake::More; ++i)
    step = a.Take(datagrams[i].data(), datagrams[i].size());
  const bool ok = step == Intake::Complete && a.Finish();
  EXPECT_TRUE(std::all_of(area.begin(), area.begin() + 64, [](uint8_t b) { return b == 0xA5; }));
  EXPECT_TRUE(std::all_of(area.end() - 64, area.end(), [](uint8_t b) { return b == 0xA5; }));
  return ok ? std::optional<Bytes>(Bytes(area.begin() + 64, area.end() - 64)) : std::nullopt;
}

// Section bytes of `n` numbered packets, zeros up to `size`.
Bytes Sections(int n, size_t size = 4096) {
  Bytes b = NumberedPackets(n, 0);
  UnpackPackets(n, b.data(), b.size());
  b.resize(size_t(183 + (n - 1) * 184));
  b.resize(size, 0);
  return b;
}

TEST(ReadAnswer, RowsOfWhatIsTakenAndWhatFails) {
  const Bytes eleven = NumberedPackets(11, 0), one = NumberedPackets(1, 0x0100);  // on another PID: taken
  const Bytes many = NumberedPackets(400, 0);  // 75200 bytes: the 16-bit length says 9664
  struct Row {
    const char* name;
    bool fragmented;
    Bytes packets;
    std::function<void(std::vector<Bytes>&)> change;
    size_t repeat;  // the first datagram after the change sent that many times
    std::optional<Bytes> want;
    size_t size = 4096;
  } rows[] = {
      {"one packet", false, one, [](auto&) {}, 0, Sections(1)},
      {"three datagrams 1, 1, 0", false, eleven, [](auto&) {}, 0, Sections(11)},
      {"empty answer", false, {}, [](auto&) {}, 0, Bytes(4096, 0)},
      {"bytes behind the trailer", false, one, [](auto& d) { d[0].insert(d[0].end(), 5, 0x00); }, 0, Sections(1)},
      {"announces fewer packets", false, eleven, [](auto& d) { d[0][4] = 0, d[0][5] = 188; }, 0, Sections(1)},
      {"six bytes or less", false, one, [](auto& d) { d[0].resize(6); }, 0, std::nullopt},
      {"length beyond the buffer", false, one, [](auto& d) { d[0][4] = d[0][5] = 0xFF; }, 0, std::nullopt},
      {"continuation past the buffer", false, eleven, [](auto& d) { d.erase(d.begin()); }, 30, std::nullopt},
      {"continuation without packets", false, {}, [](auto& d) { d[0][6] = 1; }, 30, std::nullopt},
      {"a packet at a time past the buffer", false, eleven,
       [](auto& d) { d[0].erase(d[0].begin() + 194, d[0].end() - 3); }, 30, std::nullopt},
      {"fragments", true, eleven, [](auto&) {}, 0, Sections(11)},
      {"fragments in any order", true, eleven, [](auto& d) { std::swap(d[0], d[1]); }, 0, Sections(11)},
      {"count 0: one fragment", true, one, [](auto& d) { d[0][8] = 0; }, 0, Sections(1)},
      {"index 0", true, eleven, [](auto& d) { d[1][7] = 0; }, 0, std::nullopt},
      {"index past the buffer", true, eleven, [](auto& d) { d[1][7] = 9; }, 0, std::nullopt},
      {"more than 65535 bytes", false, many, [](auto&) {}, 0, Sections(400, 80000), 80000},
      {"more than 65535 bytes in fragments", true, many, [](auto&) {}, 0, Sections(400, 80000), 80000},
      {"one packet short of it", false, many, [](auto& d) { d[40].erase(d[40].end() - 191, d[40].end() - 3); }, 0,
       std::nullopt, 80000},
  };
  for (const Row& r : rows) {
    auto d = r.fragmented ? FragmentAnswer(kRead, r.packets, 4) : PlainAnswer(kRead, r.packets, 5);
    r.change(d);
    if (r.repeat > 0) d.assign(r.repeat, Bytes(d[0]));
    EXPECT_EQ(r.fragmented ? Assemble<FragmentReadAssembly>(d, r.size) : Assemble<PlainReadAssembly>(d, r.size), r.want)
        << r.name;
  }
}

// A plain datagram counts only when it is header, whole packets and trailer.
TEST(PlainDatagram, OnlyHeaderWholePacketsAndTrailerAreCounted) {
  Bytes d = PlainAnswer(kRead, NumberedPackets(2, 0), 5)[0];
  d.push_back(0);  // one byte too many
  for (const auto& [length, want] : {std::pair{d.size() - 1, 376L}, {d.size(), -1L}, {d.size() - 2, -1L},
                                     {d.size() - 4, -1L}, {size_t{8}, -1L}})
    EXPECT_EQ(PlainDatagramPackets(d.data(), length), want) << length;
}

}  // namespace
}  // namespace quorvelin
