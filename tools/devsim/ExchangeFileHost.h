// The host side of the file exchange, played for the simulated device: the editor leaves a
// request in the exchange file and polls the host's two callbacks; the host carries the request
// to the device and leaves the device's answer in the same file.
#pragma once

#include <string>

#include "tools/devsim/DeviceStore.h"

namespace quorvelin::devsim {

class ExchangeFileHost {
 public:
  ExchangeFileHost(DeviceStore& store, std::string path) : store_(store), path_(std::move(path)) {}

  // The host's second callback, the one the editor polls first: carries the request in the file to the device and, for
  // a read, replaces it with the answer (header with the packets' length, then the packets).
  // Returns false for the first `slowPolls` calls of each request, as a host still busy would.
  bool CarryRequest();
  // The host's first callback, polled next: the answer is in place.
  bool AnswerReady() { return true; }

  void SetSlowPolls(int polls) { slowPolls_ = polls; }
  int Requests() const { return requests_; }

 private:
  DeviceStore& store_;
  std::string path_;
  int slowPolls_ = 0;
  int pollsLeft_ = -1;
  int requests_ = 0;
};

}  // namespace quorvelin::devsim
