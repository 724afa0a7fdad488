#include "device/ReadAssembly.h"

#include <gtest/gtest.h>

#include <vector>

#include "device/DeviceTestSupport.h"

namespace quorvelin {
namespace {

using testing::NumberedPackets;

// A caller's buffer inside guard bytes that must never change.
struct GuardedBuffer {
  explicit GuardedBuffer(size_t n) : bytes(n + 2 * kGuard, 0xA5), size(n) {}
  uint8_t* data() { return bytes.data() + kGuard; }
  bool GuardsIntact() const {
    for (size_t i = 0; i < kGuard; ++i)
      if (bytes[i] != 0xA5 || bytes[bytes.size() - 1 - i] != 0xA5) return false;
    return true;
  }
  static constexpr size_t kGuard = 64;
  std::vector<uint8_t> bytes;
  size_t size;
};

const FrameHeader kPatRead = MakeReadRequest(0, 0, 0x0000, false);

std::vector<Datagram> PlainAnswer(const FrameHeader& request, const std::vector<uint8_t>& packets, size_t per) {
  FrameHeader h = request;
  SetAnnouncedLength(h.data(), packets.size());
  return PlainDatagrams(h, packets.data(), packets.size(), per);
}

// Feeds datagrams until the assembly settles; Finish()'s result, or false when it failed.
template <typename Assembly>
bool Feed(Assembly& a, const std::vector<Datagram>& datagrams) {
  for (const Datagram& d : datagrams) {
    switch (a.Take(d.data(), d.size())) {
      case Intake::Complete:
        return a.Finish();
      case Intake::Failed:
        return false;
      default:
        break;
    }
  }
  return false;
}

TEST(PlainRead, OnePacketGivesItsSectionBytes) {
  const auto packets = NumberedPackets(1, 0);
  GuardedBuffer buffer(4096);
  PlainReadAssembly a(kPatRead, buffer.data(), buffer.size);
  ASSERT_TRUE(Feed(a, PlainAnswer(kPatRead, packets, 5)));
  EXPECT_TRUE(std::equal(packets.begin() + 5, packets.end(), buffer.data()));
  for (size_t i = 183; i < buffer.size; ++i) ASSERT_EQ(buffer.data()[i], 0) << i;
  EXPECT_TRUE(buffer.GuardsIntact());
}

TEST(PlainRead, EmptyAnswerLeavesAllZero) {
  GuardedBuffer buffer(2048);
  PlainReadAssembly a(kPatRead, buffer.data(), buffer.size);
  ASSERT_TRUE(Feed(a, PlainAnswer(kPatRead, {}, 5)));
  EXPECT_TRUE(std::all_of(buffer.data(), buffer.data() + buffer.size, [](uint8_t b) { return b == 0; }));
}

TEST(PlainRead, ThreeDatagramsJoinInOrder) {
  const auto packets = NumberedPackets(11, 0);
  const auto answer = PlainAnswer(kPatRead, packets, 5);
  ASSERT_EQ(answer.size(), 3u);
  EXPECT_EQ(answer[0][answer[0].size() - 3], 1);
  EXPECT_EQ(answer[1][answer[1].size() - 3], 1);
  EXPECT_EQ(answer[2][answer[2].size() - 3], 0);
  std::vector<uint8_t> expected = packets;
  UnpackPackets(11, expected.data(), expected.size());
  GuardedBuffer buffer(4096);
  PlainReadAssembly a(kPatRead, buffer.data(), buffer.size);
  ASSERT_TRUE(Feed(a, answer));
  EXPECT_TRUE(std::equal(expected.begin(), expected.begin() + 183 + 10 * 184, buffer.data()));
}

TEST(PlainRead, AnswersToOtherRequestsAreIgnored) {
  const auto packets = NumberedPackets(1, 0);
  GuardedBuffer buffer(4096);
  PlainReadAssembly a(kPatRead, buffer.data(), buffer.size);
  const auto otherPort = PlainAnswer(MakeReadRequest(1, 0, 0x0000, false), packets, 5);
  EXPECT_EQ(a.Take(otherPort[0].data(), otherPort[0].size()), Intake::Ignored);
  const auto otherPid = PlainAnswer(kPatRead, NumberedPackets(1, 0x0100), 5);
  EXPECT_EQ(a.Take(otherPid[0].data(), otherPid[0].size()), Intake::Ignored);
  const auto right = PlainAnswer(kPatRead, packets, 5);
  EXPECT_EQ(a.Take(right[0].data(), right[0].size()), Intake::Complete);
  EXPECT_TRUE(a.Finish());
  // The NIT may travel on another PID (the PAT's network PID): not compared.
  const FrameHeader nitRead = MakeReadRequest(0, 0, 0x0010, false);
  PlainReadAssembly nit(nitRead, buffer.data(), buffer.size);
  const auto onNetworkPid = PlainAnswer(nitRead, NumberedPackets(1, 0x0020), 5);
  EXPECT_EQ(nit.Take(onNetworkPid[0].data(), onNetworkPid[0].size()), Intake::Complete);
}

TEST(PlainRead, BrokenAnswersFailWithoutWritingPastTheBuffer) {
  const auto packets = NumberedPackets(4, 0);
  // Header announcing more than arrived.
  {
    auto answer = PlainAnswer(kPatRead, packets, 5);
    SetAnnouncedLength(answer[0].data(), 0xFFFF);
    GuardedBuffer buffer(4096);
    PlainReadAssembly a(kPatRead, buffer.data(), buffer.size);
    EXPECT_FALSE(Feed(a, answer));
    EXPECT_TRUE(buffer.GuardsIntact());
  }
  // Continuation datagrams running past the buffer.
  {
    auto answer = PlainAnswer(kPatRead, packets, 5);
    answer[0][answer[0].size() - 3] = 1;
    GuardedBuffer buffer(2048);
    PlainReadAssembly a(kPatRead, buffer.data(), buffer.size);
    Intake last = Intake::More;
    for (int i = 0; i < 10 && last == Intake::More; ++i) last = a.Take(answer[0].data(), answer[0].size());
    EXPECT_EQ(last, Intake::Failed);
    EXPECT_TRUE(buffer.GuardsIntact());
  }
  // Cut short: no trailer behind whole packets.
  {
    auto answer = PlainAnswer(kPatRead, packets, 5);
    answer[0].resize(answer[0].size() - 2);
    GuardedBuffer buffer(4096);
    PlainReadAssembly a(kPatRead, buffer.data(), buffer.size);
    EXPECT_EQ(a.Take(answer[0].data(), answer[0].size()), Intake::Failed);
  }
  // A datagram repeated inside a long answer.
  {
    auto answer = PlainAnswer(kPatRead, NumberedPackets(11, 0), 5);
    answer.insert(answer.begin() + 1, answer[1]);
    GuardedBuffer buffer(4096);
    PlainReadAssembly a(kPatRead, buffer.data(), buffer.size);
    EXPECT_FALSE(Feed(a, answer));
  }
  // Continuation datagrams without packets: they could come for ever.
  {
    auto empty = PlainAnswer(kPatRead, {}, 5);
    empty[0][empty[0].size() - 3] = 1;
    GuardedBuffer buffer(4096);
    PlainReadAssembly a(kPatRead, buffer.data(), buffer.size);
    EXPECT_EQ(a.Take(empty[0].data(), empty[0].size()), Intake::Failed);
  }
  // Six bytes or less.
  {
    GuardedBuffer buffer(4096);
    PlainReadAssembly a(kPatRead, buffer.data(), buffer.size);
    EXPECT_EQ(a.Take(kPatRead.data(), kPatRead.size()), Intake::Failed);
  }
}

std::vector<Datagram> FragmentAnswer(const FrameHeader& request, const std::vector<uint8_t>& packets, uint8_t seq) {
  FrameHeader h = request;
  SetAnnouncedLength(h.data(), packets.size());
  return FragmentDatagrams(h, packets.data(), packets.size(), seq);
}

TEST(FragmentRead, FragmentsArePlacedByIndexWhateverTheirOrder) {
  const FrameHeader batRead = MakeReadRequest(1, 0, 0x0011, true);
  const auto packets = NumberedPackets(20, 0x11);
  auto answer = FragmentAnswer(batRead, packets, 4);
  ASSERT_EQ(answer.size(), 3u);
  std::swap(answer[0], answer[2]);
  answer.insert(answer.begin() + 1, answer[0]);                       // a repeated fragment
  answer.insert(answer.begin(), FragmentAnswer(batRead, packets, 3)[1]);  // an earlier message
  GuardedBuffer buffer(204800);
  FragmentReadAssembly a(batRead, buffer.data(), buffer.size);
  // The earlier message's fragment starts the assembly; the rest of that message never comes.
  EXPECT_EQ(a.Take(answer[0].data(), answer[0].size()), Intake::More);
  FragmentReadAssembly b(batRead, buffer.data(), buffer.size);
  answer.erase(answer.begin());
  ASSERT_TRUE(Feed(b, answer));
  std::vector<uint8_t> expected = packets;
  UnpackPackets(20, expected.data(), expected.size());
  EXPECT_TRUE(std::equal(expected.begin(), expected.begin() + 183 + 19 * 184, buffer.data()));
  EXPECT_TRUE(buffer.GuardsIntact());
}

TEST(FragmentRead, CountsAndIndexesOutsideTheBufferFail) {
  const auto packets = NumberedPackets(3, 0);
  auto mutate = [&](auto change) {
    auto answer = FragmentAnswer(kPatRead, packets, 0);
    change(answer);
    GuardedBuffer buffer(2048);
    FragmentReadAssembly a(kPatRead, buffer.data(), buffer.size);
    const bool ok = Feed(a, answer);
    EXPECT_TRUE(buffer.GuardsIntact());
    return ok;
  };
  EXPECT_TRUE(mutate([](auto&) {}));
  EXPECT_FALSE(mutate([](auto& a) { a[0][8] = 0; }));                  // no fragments
  EXPECT_FALSE(mutate([](auto& a) { a[0][7] = 2; }));                  // index past the count
  EXPECT_FALSE(mutate([](auto& a) { SetAnnouncedLength(a[0].data(), 0xFFFF); }));
  EXPECT_FALSE(mutate([](auto& a) {  // a far fragment whose data lies past the buffer
    a[0][8] = 200;
    Datagram far = a[0];
    far[7] = 2;
    far.resize(9 + 1400, 0x47);
    a.insert(a.begin(), far);
  }));
  EXPECT_FALSE(mutate([](auto& a) {  // a short fragment that is not the last
    a[0][8] = 2;
  }));
}

TEST(FileAnswer, HeaderMustNotAnnounceMoreThanTheFileHeld) {
  std::vector<uint8_t> buffer(4096, 0);
  const auto packets = NumberedPackets(2, 0x14);
  FrameHeader h = MakeReadRequest(0, 0, 0x14, false);
  SetAnnouncedLength(h.data(), packets.size());
  std::copy(h.begin(), h.end(), buffer.begin());
  std::copy(packets.begin(), packets.end(), buffer.begin() + 6);
  EXPECT_TRUE(UnpackFileAnswer(buffer.data(), buffer.size(), 6 + packets.size()));
  EXPECT_EQ(buffer[183], packets[188 + 4]);
  std::copy(h.begin(), h.end(), buffer.begin());
  std::copy(packets.begin(), packets.end(), buffer.begin() + 6);
  EXPECT_FALSE(UnpackFileAnswer(buffer.data(), buffer.size(), 6 + 188));
  EXPECT_FALSE(UnpackFileAnswer(buffer.data(), buffer.size(), 0));
}

}  // namespace
}  // namespace quorvelin
