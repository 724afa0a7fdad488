// libdvbpsi as an independent decoder of the NIT and BAT packets the builders write.
#pragma once

#ifdef QUORVELIN_HAVE_DVBPSI

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

extern "C" {
#include <dvbpsi/dvbpsi.h>
#include <dvbpsi/descriptor.h>
#include <dvbpsi/psi.h>
#include <dvbpsi/demux.h>
#include <dvbpsi/bat.h>
#include <dvbpsi/nit.h>
#include <dvbpsi/dr_40.h>
#include <dvbpsi/dr_41.h>
#include <dvbpsi/dr_43.h>
#include <dvbpsi/dr_44.h>
#include <dvbpsi/dr_47.h>
#include <dvbpsi/dr_4a.h>
#include <dvbpsi/dr_5a.h>
#include <dvbpsi/dr_83.h>
}

namespace quorvelin::test {

struct OracleDescriptor {
  uint8_t tag = 0;
  std::vector<uint8_t> data;
};
struct OracleStream {
  uint16_t tsid = 0, onid = 0;
  std::vector<OracleDescriptor> descriptors;
};
struct OracleTable {
  uint16_t id = 0;
  uint8_t version = 0;
  bool currentNext = false;
  std::vector<OracleDescriptor> first;  // network or bouquet descriptors
  std::vector<OracleStream> streams;
};
struct OracleResult {
  std::vector<OracleTable> tables;
  std::vector<std::string> errors;
};

namespace oracle {

inline std::vector<OracleDescriptor> Descriptors(const dvbpsi_descriptor_t* d) {
  std::vector<OracleDescriptor> out;
  for (; d; d = d->p_next) out.push_back({d->i_tag, std::vector<uint8_t>(d->p_data, d->p_data + d->i_length)});
  return out;
}

template <class Table, class Stream>
OracleTable Convert(const Table* t, uint16_t id, const Stream* s) {
  OracleTable out;
  out.id = id;
  out.version = t->i_version;
  out.currentNext = t->b_current_next;
  out.first = Descriptors(t->p_first_descriptor);
  for (; s; s = s->p_next) out.streams.push_back({s->i_ts_id, s->i_orig_network_id, Descriptors(s->p_first_descriptor)});
  return out;
}

inline void OnNit(void* data, dvbpsi_nit_t* nit) {
  static_cast<OracleResult*>(data)->tables.push_back(Convert(nit, nit->i_network_id, nit->p_first_ts));
  dvbpsi_nit_delete(nit);
}
inline void OnBat(void* data, dvbpsi_bat_t* bat) {
  static_cast<OracleResult*>(data)->tables.push_back(Convert(bat, bat->i_extension, bat->p_first_ts));
  dvbpsi_bat_delete(bat);
}

struct Subtables {
  OracleResult* result;
  std::vector<std::pair<uint8_t, uint16_t>> attached;
};

inline void OnNewSubtable(dvbpsi_t* handle, uint8_t tableId, uint16_t extension, void* data) {
  auto* subtables = static_cast<Subtables*>(data);
  bool ok = false;
  if (tableId == 0x40) ok = dvbpsi_nit_attach(handle, tableId, extension, OnNit, subtables->result);
  if (tableId == 0x4A) ok = dvbpsi_bat_attach(handle, tableId, extension, OnBat, subtables->result);
  if (ok) subtables->attached.emplace_back(tableId, extension);
}

inline void OnMessage(dvbpsi_t* handle, const dvbpsi_msg_level_t level, const char* msg) {
  if (level == DVBPSI_MSG_ERROR) static_cast<OracleResult*>(handle->p_sys)->errors.push_back(msg);
}

}  // namespace oracle

// Decodes the NIT (table_id 0x40) or BAT (0x4A) sections carried by whole 188-byte packets.
inline OracleResult DecodeLoopTable(std::vector<uint8_t> packets) {
  OracleResult result;
  oracle::Subtables subtables{&result, {}};
  dvbpsi_t* handle = dvbpsi_new(oracle::OnMessage, DVBPSI_MSG_ERROR);
  handle->p_sys = &result;
  dvbpsi_AttachDemux(handle, oracle::OnNewSubtable, &subtables);
  for (size_t at = 0; at + 188 <= packets.size(); at += 188) dvbpsi_packet_push(handle, &packets[at]);
  for (const auto& [tableId, extension] : subtables.attached) {
    if (tableId == 0x40) dvbpsi_nit_detach(handle, tableId, extension);
    if (tableId == 0x4A) dvbpsi_bat_detach(handle, tableId, extension);
  }
  dvbpsi_DetachDemux(handle);
  dvbpsi_delete(handle);
  return result;
}

// Runs one of libdvbpsi's descriptor decoders on a decoded descriptor; `use` sees its result.
template <class Decoder, class Use>
void DecodeWith(const OracleDescriptor& d, Decoder decoder, Use use) {
  std::vector<uint8_t> data = d.data;
  dvbpsi_descriptor_t* p = dvbpsi_NewDescriptor(d.tag, static_cast<uint8_t>(data.size()), data.data());
  auto* decoded = decoder(p);
  use(decoded);
  dvbpsi_DeleteDescriptors(p);
}

}  // namespace quorvelin::test

#endif  // QUORVELIN_HAVE_DVBPSI
