// Many devices at once: the devices of a command line or of a list file, each with its own port
// mode, and a bounded number of them handled at the same time, so that a device that does not
// answer holds up only itself.
#pragma once

#include <algorithm>
#include <atomic>
#include <functional>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "tools/launcher/HeadlessCommands.h"

namespace quorvelin {

struct FleetDevice {
  std::string name;          // the address as given
  HeadlessOptions options;   // the command's, with the device's address, port mode and channel
};

// The devices of `options` (--to, then the list file): a line holds an address, optionally
// followed by --port-mode N, --channel N and --fragmented; '#' starts a comment. Nothing, with a
// message naming the line, for a line that does not read.
std::optional<std::vector<FleetDevice>> ReadFleet(const HeadlessOptions& options, std::string& error);
// The same with the message on `err`.
std::optional<std::vector<FleetDevice>> ReadFleet(const HeadlessOptions& options, std::ostream& err);

// Calls work(i) for every i below count, at most `inFlight` at the same time; the results by i.
template <class Result>
std::vector<Result> ForEachDevice(size_t count, int inFlight, const std::function<Result(size_t)>& work) {
  std::vector<Result> results(count);
  std::atomic<size_t> next{0};
  std::vector<std::thread> workers;
  const size_t threads = std::min(count, static_cast<size_t>(std::max(inFlight, 1)));
  for (size_t w = 0; w < threads; ++w)
    workers.emplace_back([&] {
      for (size_t i; (i = next.fetch_add(1)) < count;) results[i] = work(i);
    });
  for (std::thread& t : workers) t.join();
  return results;
}

}  // namespace quorvelin
