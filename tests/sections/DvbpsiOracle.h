// libdvbpsi as a test oracle: one handle whose every error (a "Bad CRC_32" among them) is kept,
// fed with whole transport packets; tables on shared PIDs are decoded through its demux.
#pragma once

#ifdef QUORVELIN_HAVE_DVBPSI

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// clang-format off
// libdvbpsi's headers need this order.
extern "C" {
#include <dvbpsi/dvbpsi.h>
#include <dvbpsi/psi.h>
#include <dvbpsi/descriptor.h>
#include <dvbpsi/demux.h>
#include <dvbpsi/sdt.h>
#include <dvbpsi/tot.h>
}
// clang-format on

#include "sections/Packets.h"

namespace quorvelin::testing {

class Oracle {
 public:
  // A decoder of the demux for one table_id: attach(handle, extension) and its detach.
  struct Subtable {
    uint8_t tableId;
    std::function<bool(dvbpsi_t*, uint8_t tableId, uint16_t extension)> attach;
    void (*detach)(dvbpsi_t*, uint8_t tableId, uint16_t extension);
  };

  Oracle() : handle_(dvbpsi_new(&Oracle::OnMessage, DVBPSI_MSG_ERROR)) { handle_->p_sys = this; }
  ~Oracle() {
    for (const Attached& a : attached_) a.detach(handle_, a.tableId, a.extension);
    if (detach_) detach_(handle_);
    dvbpsi_delete(handle_);
  }
  Oracle(const Oracle&) = delete;
  Oracle& operator=(const Oracle&) = delete;

  dvbpsi_t* handle() { return handle_; }
  // The detach of a decoder attached straight to the handle (PAT, PMT, CAT).
  void OnDetach(void (*detach)(dvbpsi_t*)) { detach_ = detach; }

  // Tables that share their PIDs with others: attached through the demux as they turn up.
  void AttachDemux(std::vector<Subtable> subtables) {
    subtables_ = std::move(subtables);
    dvbpsi_AttachDemux(handle_, &Oracle::OnNewSubtable, this);
    detach_ = &dvbpsi_DetachDemux;
  }
  void AttachDemux(dvbpsi_sdt_callback sdt, dvbpsi_tot_callback tot, void* data) {
    std::vector<Subtable> subtables;
    if (sdt)
      subtables.push_back({0x42,
                           [=](dvbpsi_t* h, uint8_t t, uint16_t e) { return dvbpsi_sdt_attach(h, t, e, sdt, data); },
                           &dvbpsi_sdt_detach});
    if (tot)
      subtables.push_back({0x73,
                           [=](dvbpsi_t* h, uint8_t t, uint16_t e) { return dvbpsi_tot_attach(h, t, e, tot, data); },
                           &dvbpsi_tot_detach});
    AttachDemux(std::move(subtables));
  }

  // Feeds the run of whole packets at the start of `area`.
  void Push(const std::vector<uint8_t>& area, size_t from = 0) {
    std::vector<uint8_t> copy(area.begin() + static_cast<long>(from), area.end());
    const size_t bytes = CountPackets(copy.data(), copy.size());
    for (size_t at = 0; at < bytes; at += kPacketSize) dvbpsi_packet_push(handle_, copy.data() + at);
  }

  std::vector<std::string> errors;

 private:
  struct Attached {
    uint8_t tableId;
    uint16_t extension;
    void (*detach)(dvbpsi_t*, uint8_t, uint16_t);
  };

  static void OnMessage(dvbpsi_t* handle, const dvbpsi_msg_level_t, const char* message) {
    static_cast<Oracle*>(handle->p_sys)->errors.emplace_back(message);
  }
  static void OnNewSubtable(dvbpsi_t* handle, uint8_t tableId, uint16_t extension, void* data) {
    auto* self = static_cast<Oracle*>(data);
    for (const Subtable& s : self->subtables_)
      if (s.tableId == tableId && s.attach(handle, tableId, extension))
        self->attached_.push_back({tableId, extension, s.detach});
  }

  dvbpsi_t* handle_;
  void (*detach_)(dvbpsi_t*) = nullptr;
  std::vector<Subtable> subtables_;
  std::vector<Attached> attached_;
};

// The section bytes of every section libdvbpsi generated, one after the other (then released).
inline std::vector<uint8_t> GeneratedSections(dvbpsi_psi_section_t* sections) {
  std::vector<uint8_t> bytes;
  for (const dvbpsi_psi_section_t* s = sections; s != nullptr; s = s->p_next) {
    const size_t size = 3u + ((s->p_data[1] & 0x0F) << 8 | s->p_data[2]);
    bytes.insert(bytes.end(), s->p_data, s->p_data + size);
  }
  dvbpsi_DeletePSISections(sections);
  return bytes;
}

}  // namespace quorvelin::testing

#endif  // QUORVELIN_HAVE_DVBPSI
