// libdvbpsi as an independent decoder of the NIT and BAT packets the builders write.
#pragma once

#ifdef QUORVELIN_HAVE_DVBPSI

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

// The shared oracle brings dvbpsi.h, psi.h, descriptor.h, demux.h, sdt.h and tot.h (libdvbpsi's
// headers refuse a second inclusion).
#include "sections/DvbpsiOracle.h"

extern "C" {
#include <dvbpsi/bat.h>
#include <dvbpsi/dr_40.h>
#include <dvbpsi/dr_41.h>
#include <dvbpsi/dr_43.h>
#include <dvbpsi/dr_44.h>
#include <dvbpsi/dr_47.h>
#include <dvbpsi/dr_4a.h>
#include <dvbpsi/dr_5a.h>
#include <dvbpsi/dr_83.h>
#include <dvbpsi/nit.h>
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
  for (; s; s = s->p_next)
    out.streams.push_back({s->i_ts_id, s->i_orig_network_id, Descriptors(s->p_first_descriptor)});
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

}  // namespace oracle

// Decodes the NIT (table_id 0x40) and BAT (0x4A) sections carried by whole 188-byte packets.
inline OracleResult DecodeLoopTable(const std::vector<uint8_t>& packets) {
  OracleResult result;
  {
    testing::Oracle decoder;
    decoder.AttachDemux(
        {{0x40,
          [&result](dvbpsi_t* h, uint8_t t, uint16_t e) { return dvbpsi_nit_attach(h, t, e, oracle::OnNit, &result); },
          &dvbpsi_nit_detach},
         {0x4A,
          [&result](dvbpsi_t* h, uint8_t t, uint16_t e) { return dvbpsi_bat_attach(h, t, e, oracle::OnBat, &result); },
          &dvbpsi_bat_detach}});
    decoder.Push(packets);
    result.errors = decoder.errors;
  }
  return result;
}

// The one table libdvbpsi decodes from a built table, without errors.
inline OracleTable DecodeOne(const std::vector<uint8_t>& packets) {
  OracleResult result = DecodeLoopTable(packets);
  EXPECT_TRUE(result.errors.empty()) << result.errors.front();
  EXPECT_EQ(result.tables.size(), 1u);
  return result.tables.empty() ? OracleTable{} : result.tables.front();
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
