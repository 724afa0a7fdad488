#include "tools/launcher/Fleet.h"

#include <fstream>
#include <sstream>

namespace quorvelin {
namespace {

// One device: its address and options read as the options of `dump --device`.
std::optional<FleetDevice> ReadFleetLine(const HeadlessOptions& base, const std::string& text, std::string& error) {
  std::istringstream words(text);
  std::vector<std::string> args{"dump", "--device"};
  for (std::string word; words >> word;) args.push_back(word);
  if (args.size() < 3) return std::nullopt;
  auto parsed = ParseHeadlessArguments(args, error);
  if (!parsed) return std::nullopt;
  HeadlessOptions o = base;
  o.device = parsed->device;
  o.portMode = parsed->portMode;
  o.channelNumber = parsed->channelNumber;
  o.fragmented = parsed->fragmented || base.fragmented;
  return FleetDevice{args[2], o};
}

}  // namespace

std::optional<std::vector<FleetDevice>> ReadFleet(const HeadlessOptions& options, std::string& error) {
  std::vector<FleetDevice> fleet;
  for (const std::string& address : options.devices) {
    auto device = ReadFleetLine(options, address, error);
    if (!device) {
      error = "--to " + address + ": " + (error.empty() ? "not a device address" : error);
      return std::nullopt;
    }
    fleet.push_back(std::move(*device));
  }
  if (options.deviceList.empty()) return fleet;
  std::ifstream file(options.deviceList);
  if (!file) {
    error = "cannot read " + options.deviceList;
    return std::nullopt;
  }
  int number = 0;
  for (std::string line; std::getline(file, line);) {
    ++number;
    line = line.substr(0, line.find('#'));
    if (line.find_first_not_of(" \t\r") == std::string::npos) continue;
    error.clear();
    auto device = ReadFleetLine(options, line, error);
    if (!device) {
      error = options.deviceList + ":" + std::to_string(number) + ": " + (error.empty() ? "not a device" : error);
      return std::nullopt;
    }
    fleet.push_back(std::move(*device));
  }
  return fleet;
}

std::optional<std::vector<FleetDevice>> ReadFleet(const HeadlessOptions& options, std::ostream& err) {
  std::string error;
  auto fleet = ReadFleet(options, error);
  if (!fleet) err << "quorvelin: " << error << '\n';
  return fleet;
}

}  // namespace quorvelin
