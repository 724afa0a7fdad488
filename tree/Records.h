// Records attached to tree items: a NodeRecord (kind + payload) or the TOT state.
// Numbers are held in host order; 12-bit lengths and 13-bit PIDs occupy a whole 16-bit word
// of which only the field's own bits are ever changed.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <variant>
#include <vector>

#include "tree/NodeKind.h"
#include "util/DateTime.h"

namespace quorvelin {

// A field of the low N bits of a 16-bit word; writing it keeps the other bits of the word.
template <int N>
struct LowBits {
  static constexpr uint16_t kMask = static_cast<uint16_t>((1u << N) - 1);
  uint16_t word = 0;

  uint16_t get() const { return static_cast<uint16_t>(word & kMask); }
  void set(uint32_t value) { word = static_cast<uint16_t>((word & ~kMask) | (value & kMask)); }
  // new = (old + delta) modulo 2^N
  void add(int delta) { set(static_cast<uint32_t>(static_cast<int>(get()) + delta)); }
  bool operator==(const LowBits&) const = default;
};
using Word12 = LowBits<12>;
using Word13 = LowBits<13>;

struct PatSectionHeader {
  uint8_t table_id = 0;
  uint8_t section_syntax_indicator = 0;  // bit 0
  Word12 section_length;
  uint16_t transport_stream_id = 0;
  uint8_t version_cni = 0;  // version_number bits 0-4, current_next_indicator bit 5
  uint8_t section_number = 0;
  uint8_t last_section_number = 0;

  uint8_t version() const { return version_cni & 0x1F; }
  uint8_t cni() const { return (version_cni >> 5) & 1; }
  void set_version(uint8_t v) { version_cni = static_cast<uint8_t>((version_cni & ~0x1F) | (v & 0x1F)); }
  void set_cni(uint8_t c) { version_cni = static_cast<uint8_t>((version_cni & ~0x20) | ((c & 1) << 5)); }
};

struct PmtSectionHeader : PatSectionHeader {  // transport_stream_id holds program_number
  uint16_t& program_number() { return transport_stream_id; }
  uint16_t program_number() const { return transport_stream_id; }
  Word13 pcr_pid;
  Word12 program_info_length;
  Word13 pmt_pid;  // the PID that carries this PMT, from the PAT
};

struct SdtSectionHeader : PatSectionHeader {
  uint16_t original_network_id = 0;
};

struct CatSectionHeader {
  uint8_t table_id = 0;
  uint8_t section_syntax_indicator = 0;
  Word12 section_length;
  uint8_t version_cni = 0;
  uint8_t section_number = 0;
  uint8_t last_section_number = 0;

  uint8_t version() const { return version_cni & 0x1F; }
  uint8_t cni() const { return (version_cni >> 5) & 1; }
};

// NIT and BAT: version_number and current_next_indicator in bytes of their own.
struct LoopSectionHeader {
  uint8_t table_id = 0;
  uint8_t section_syntax_indicator = 0;
  Word12 section_length;
  uint16_t id = 0;  // network_id or bouquet_id
  uint8_t version_number = 0;
  uint8_t current_next_indicator = 0;  // bit 0
  uint8_t section_number = 0;
  uint8_t last_section_number = 0;
  Word12 descriptors_length;  // network_descriptors_length or bouquet_descriptors_length
  Word12 transport_stream_loop_length;
};

struct PatProgram {
  uint16_t program_number = 0;
  Word13 pid;
};

struct PmtComponent {
  uint8_t stream_type = 0;
  Word13 elementary_pid;
  Word12 es_info_length;
};

struct SdtService {
  uint16_t service_id = 0;
  uint8_t flags = 0;  // bit 0 EIT_schedule, bit 1 EIT_present_following, bits 2-4 running_status, bit 5 free_CA
  Word12 descriptors_loop_length;

  int eit_schedule() const { return flags & 1; }
  int eit_present_following() const { return (flags >> 1) & 1; }
  int running_status() const { return (flags >> 2) & 7; }
  int free_ca_mode() const { return (flags >> 5) & 1; }
  static uint8_t MakeFlags(int schedule, int presentFollowing, int running, int freeCa) {
    return static_cast<uint8_t>((schedule & 1) | (presentFollowing & 1) << 1 | (running & 7) << 2 | (freeCa & 1) << 5);
  }
};

struct TransportStreamEntry {
  uint16_t transport_stream_id = 0;
  uint16_t original_network_id = 0;
  Word12 transport_descriptors_length;
};

struct GenericDescriptor {
  uint8_t tag = 0;
  uint8_t length = 0;
  std::vector<uint8_t> data;  // `length` bytes
};

struct CaDescriptor {
  uint8_t tag = 9;
  uint8_t length = 4;
  uint16_t ca_system_id = 0;
  Word13 ca_pid;
  std::vector<uint8_t> private_data;  // length - 4 bytes
};

struct NameDescriptor {
  uint8_t tag = 0;
  uint8_t length = 0;
  std::array<uint8_t, 255> name{};  // `length` name bytes, then zero bytes
};

struct SdtServiceDescriptor {
  uint8_t tag = 0x48;
  uint8_t length = 0;
  uint8_t service_type = 0;
  uint8_t provider_name_length = 0;
  std::array<uint8_t, 255> provider_name{};
  uint8_t service_name_length = 0;
  std::array<uint8_t, 255> service_name{};
};

struct LinkageDescriptor {
  uint8_t tag = 0x4A;
  uint8_t length = 7;  // private data length + 7
  uint16_t transport_stream_id = 0;
  uint16_t original_network_id = 0;
  uint16_t service_id = 0;
  uint8_t linkage_type = 0;
  std::vector<uint8_t> private_data;
};

// Service list (3-byte entries) and logical channel numbers (4-byte entries), section bytes.
struct EntryListDescriptor {
  uint8_t tag = 0;
  uint8_t length = 0;
  std::vector<uint8_t> entries;
};

// Delivery descriptors keep frequency and symbol rate as the BCD bytes of the section.
struct CableDelivery {
  uint8_t tag = 0x44;
  uint8_t length = 11;
  std::array<uint8_t, 4> frequency{};
  uint8_t fec_outer = 0;  // low 4 bits
  uint8_t modulation = 0;
  std::array<uint8_t, 4> symbol_rate{};  // 7 BCD digits in the top 28 bits
  uint8_t fec_inner = 0;                 // low 4 bits
};

struct SatelliteDelivery {
  uint8_t tag = 0x43;
  uint8_t length = 11;
  std::array<uint8_t, 4> frequency{};
  std::array<uint8_t, 2> orbital_position{};
  uint8_t flags = 0;       // bit 0 west_east_flag, bits 1-2 polarization
  uint8_t modulation = 0;  // descriptor byte 8 as received (flag bits included) or the page's code
  std::array<uint8_t, 4> symbol_rate{};
  uint8_t fec_inner = 0;
};

struct TerrestrialDelivery {
  uint8_t tag = 0x5A;
  uint8_t length = 11;
  uint32_t centre_frequency = 0;  // units of 10 Hz
  uint8_t a = 0;  // bandwidth bits 0-2, constellation bits 3-4, hierarchy_information bits 5-7
  uint8_t b = 0;  // code_rate_HP bits 0-2, code_rate_LP bits 3-5, guard_interval bits 6-7
  uint8_t c = 0;  // transmission_mode bits 0-1, other_frequency_flag bit 2
  // One bit each; 1: high priority (or no hierarchy), no time slicing, no MPE-FEC.
  uint8_t priority = 1;
  uint8_t time_slicing_indicator = 1;
  uint8_t mpe_fec_indicator = 1;

  int bandwidth() const { return a & 7; }
  int constellation() const { return (a >> 3) & 3; }
  int hierarchy() const { return (a >> 5) & 7; }
  int code_rate_hp() const { return b & 7; }
  int code_rate_lp() const { return (b >> 3) & 7; }
  int guard_interval() const { return (b >> 6) & 3; }
  int transmission_mode() const { return c & 3; }
  int other_frequency_flag() const { return (c >> 2) & 1; }
};

using Payload = std::variant<std::monostate, PatSectionHeader, PmtSectionHeader, SdtSectionHeader, CatSectionHeader,
                             LoopSectionHeader, PatProgram, PmtComponent, SdtService, TransportStreamEntry,
                             GenericDescriptor, CaDescriptor, NameDescriptor, SdtServiceDescriptor,
                             LinkageDescriptor, EntryListDescriptor, CableDelivery, SatelliteDelivery,
                             TerrestrialDelivery>;

// What a tree item may carry; destroying it releases it.
class ItemData {
 public:
  virtual ~ItemData() = default;
};

class NodeRecord final : public ItemData {
 public:
  NodeRecord(NodeKind k, Payload p = {}) : kind(k), payload(std::move(p)) {}

  template <class T>
  T* As() {
    return std::get_if<T>(&payload);
  }
  template <class T>
  const T* As() const {
    return std::get_if<T>(&payload);
  }
  bool HasPayload() const { return !std::holds_alternative<std::monostate>(payload); }

  NodeKind kind;
  Payload payload;
};

// The TOT state attached to the TOT section item (no kind; no kind comparison matches it).
class TotRecord final : public ItemData {
 public:
  uint8_t table_id = 0x73;
  uint8_t section_syntax_indicator = 0;  // bit 0
  Word12 section_length;
  DateTime utc_time;
  Word12 descriptors_loop_length;
  uint8_t descriptor_tag = 0x58;
  uint8_t descriptor_length = 13;
  std::array<char, 3> country_code{};
  uint8_t country_region_id = 0;
  uint8_t local_time_offset_polarity = 0;
  DateTime local_time_offset;
  DateTime time_of_change;
  DateTime next_time_offset;
  // The loop starts with a local_time_offset_descriptor of at least one whole region, held in
  // the fields above; without one, the whole loop as received is in more_descriptors.
  bool first_region = true;
  // As received, written back unchanged: the first descriptor's bytes behind its first region
  // (the further regions), and the descriptors behind the first one.
  std::vector<uint8_t> more_regions;
  std::vector<uint8_t> more_descriptors;
};

template <class T>
std::unique_ptr<NodeRecord> MakeRecord(NodeKind kind, T payload) {
  return std::make_unique<NodeRecord>(kind, Payload(std::move(payload)));
}
inline std::unique_ptr<NodeRecord> MakeHolder(NodeKind kind) { return std::make_unique<NodeRecord>(kind); }

// descriptor_tag / descriptor_length of any descriptor payload; false for other payloads.
bool DescriptorHeader(const NodeRecord& record, uint8_t& tag, uint8_t& length);
// Bytes the node occupies in its section: descriptor_length + 2 for a descriptor,
// transport_descriptors_length + 6 for a transport stream entry, else 0.
int SectionSize(const NodeRecord& record);

}  // namespace quorvelin
