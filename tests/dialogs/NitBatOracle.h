// libdvbpsi's descriptor decoders on the descriptors that DecodeOne (MpegFixture.h) reads.
#pragma once

#ifdef QUORVELIN_HAVE_DVBPSI

#include <vector>

#include "MpegFixture.h"

// clang-format off
extern "C" {  // libdvbpsi's headers need this order
#include <dvbpsi/dvbpsi.h>
#include <dvbpsi/descriptor.h>
#include <dvbpsi/dr_41.h>
#include <dvbpsi/dr_43.h>
#include <dvbpsi/dr_44.h>
#include <dvbpsi/dr_5a.h>
#include <dvbpsi/dr_83.h>
}
// clang-format on

namespace quorvelin::test {

// Runs one of libdvbpsi's descriptor decoders on a decoded descriptor; `use` sees its result.
template <class Decoder, class Use>
void DecodeWith(const OracleDescriptor& d, Decoder decoder, Use use) {
  std::vector<uint8_t> data = d.data;
  dvbpsi_descriptor_t* p = dvbpsi_NewDescriptor(d.tag, static_cast<uint8_t>(data.size()), data.data());
  use(decoder(p));
  dvbpsi_DeleteDescriptors(p);
}

}  // namespace quorvelin::test

#endif  // QUORVELIN_HAVE_DVBPSI
