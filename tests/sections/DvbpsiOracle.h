// libdvbpsi as a test oracle: one handle whose every error (a "Bad CRC_32" among them) is kept,
// fed with whole transport packets; the SDT and TOT, on shared PIDs, are decoded through its demux.
#pragma once

#ifdef QUORVELIN_HAVE_DVBPSI

#include <cstdint>
#include <string>
#include <vector>

// clang-format off
extern "C" {  // libdvbpsi's headers need this order
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
  Oracle() : handle_(dvbpsi_new(&Oracle::OnMessage, DVBPSI_MSG_ERROR)) { handle_->p_sys = this; }
  ~Oracle() {
    for (const Attached& a : attached_)
      (a.table == 0x42 ? dvbpsi_sdt_detach : dvbpsi_tot_detach)(handle_, a.table, a.id);
    if (sdt_ || tot_) dvbpsi_DetachDemux(handle_);
    dvbpsi_delete(handle_);
  }
  Oracle(const Oracle&) = delete;
  Oracle& operator=(const Oracle&) = delete;

  dvbpsi_t* handle() { return handle_; }
  // Decodes the SDT (actual) and the TOT that turn up, handing each to its callback.
  void AttachDemux(dvbpsi_sdt_callback sdt, dvbpsi_tot_callback tot, void* data) {
    sdt_ = sdt, tot_ = tot, data_ = data;
    dvbpsi_AttachDemux(handle_, &Oracle::OnNewSubtable, this);
  }
  // Feeds the run of whole packets at the start of `area`.
  void Push(std::vector<uint8_t> area) {
    for (size_t at = 0; at < CountPackets(area.data(), area.size()); at += kPacketSize)
      dvbpsi_packet_push(handle_, area.data() + at);
  }

  std::vector<std::string> errors;

 private:
  struct Attached {
    uint8_t table;
    uint16_t id;
  };
  static void OnMessage(dvbpsi_t* handle, const dvbpsi_msg_level_t, const char* message) {
    static_cast<Oracle*>(handle->p_sys)->errors.emplace_back(message);
  }
  static void OnNewSubtable(dvbpsi_t* handle, uint8_t table, uint16_t id, void* data) {
    auto* self = static_cast<Oracle*>(data);
    if ((table == 0x42 && self->sdt_ && dvbpsi_sdt_attach(handle, table, id, self->sdt_, self->data_)) ||
        (table == 0x73 && self->tot_ && dvbpsi_tot_attach(handle, table, id, self->tot_, self->data_)))
      self->attached_.push_back({table, id});
  }

  dvbpsi_t* handle_;
  dvbpsi_sdt_callback sdt_ = nullptr;
  dvbpsi_tot_callback tot_ = nullptr;
  void* data_ = nullptr;
  std::vector<Attached> attached_;
};

// The bytes of every section libdvbpsi generated, one after the other (then released).
inline std::vector<uint8_t> GeneratedSections(dvbpsi_psi_section_t* sections) {
  std::vector<uint8_t> bytes;
  for (const dvbpsi_psi_section_t* s = sections; s != nullptr; s = s->p_next)
    bytes.insert(bytes.end(), s->p_data, s->p_data + 3 + ((s->p_data[1] & 0x0F) << 8 | s->p_data[2]));
  dvbpsi_DeletePSISections(sections);
  return bytes;
}

}  // namespace quorvelin::testing

#endif  // QUORVELIN_HAVE_DVBPSI
