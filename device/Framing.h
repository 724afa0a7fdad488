// The head-end device's request/response frame and the ways a frame travels: plain datagrams
// (packets, then a 3-byte continuation trailer) and numbered fragments. Shared by the device link
// and the device simulator, so both sides speak exactly the same bytes.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "sections/Packets.h"

namespace quorvelin {

inline constexpr uint16_t kDeviceUdpPort = 2007;
inline constexpr uint8_t kFrameSync = 0x47;
inline constexpr uint8_t kReadCommand = 0xA3;
inline constexpr uint8_t kWriteCommand = 0xA4;
inline constexpr uint8_t kBatMarker = 0x40;  // in byte 4 of a request for PID 0x0011
inline constexpr uint16_t kPmtWritePid = 0xFFFF;
inline constexpr int kFragmentedProtocol = 0x47;

inline constexpr size_t kFrameHeaderSize = 6;
inline constexpr size_t kTrailerSize = 3;
inline constexpr size_t kFragmentHeaderSize = 9;  // frame header, sequence, index, count
inline constexpr size_t kFragmentDataSize = 1400;
inline constexpr size_t kDatagramArea = 10240;
inline constexpr size_t kPlainWriteLimit = 1400;  // frames of this size or more go in chunks
inline constexpr size_t kPacketsPerChunk = 5;

using FrameHeader = std::array<uint8_t, kFrameHeaderSize>;
using Datagram = std::vector<uint8_t>;

// Byte 2 of a request: channel number - 1 when a channel is set, else 1 for port 2 and 0 for port 1.
uint8_t PortIndex(int channelNumber, int port);
// Byte 3 of a write request: 0 for the PIDs of the fixed tables, the caller's value otherwise.
uint8_t WriteSelector(uint16_t pid, uint8_t selector);
FrameHeader MakeReadRequest(uint8_t portIndex, uint8_t selector, uint16_t pid, bool bat);
FrameHeader MakeWriteRequest(uint8_t portIndex, uint8_t selector, uint16_t pid, bool batFlag);

// The PID a request names (without the BAT marker) and whether it carries the marker.
uint16_t RequestPid(const uint8_t* header);
bool HasBatMarker(const uint8_t* header);
// Bytes 4 and 5 of a response header: the byte length of the packets the response carries.
size_t AnnouncedLength(const uint8_t* header);
void SetAnnouncedLength(uint8_t* header, size_t length);
// PID of the transport packet at `packet` (13 bits of bytes 1 and 2).
uint16_t PacketPid(const uint8_t* packet);

// Plain framing: the header in front of each datagram, at most `perDatagram` packets, then the
// trailer {1 when packets follow else 0, index of the datagram's first packet (high, low)}.
// No packets still give one datagram (header and trailer).
std::vector<Datagram> PlainDatagrams(const FrameHeader& header, const uint8_t* packets, size_t bytes,
                                     size_t perDatagram);
// A plain write: one datagram without trailer while the frame stays below 1400 bytes, else chunks
// of five packets with trailer.
std::vector<Datagram> PlainWriteDatagrams(const FrameHeader& header, const uint8_t* packets, size_t bytes);
// Bytes of a plain datagram that lie between its header and its trailer, when the datagram is
// exactly header, whole packets and trailer; -1 otherwise.
long PlainDatagramPackets(const uint8_t* datagram, size_t length);

// Fragmented framing: (length - 1) / chunk + 1 pieces (one empty piece for no data), each
// behind the header and {sequence, index from 1, count}; a chunk of 0 or less is taken as 1000.
int FragmentCount(size_t length, int chunk);
std::vector<Datagram> FragmentDatagrams(const FrameHeader& header, const uint8_t* data, size_t bytes,
                                        uint8_t sequence, int chunk = static_cast<int>(kFragmentDataSize));
// The process-wide message sequence number: the value for the next message, then counts up.
uint8_t NextMessageSequence();

}  // namespace quorvelin
