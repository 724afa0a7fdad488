// The launcher's editor commands (built with Qt):
//   quorvelin --device ADDR [--port-mode N] [--channel N] [--fragmented] [timeouts]
//   quorvelin demo [--fragmented]   (the simulated device on a free loopback address)
#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace quorvelin {

// The exit status of an editor command, or nothing when the arguments are for the headless
// commands (demo without a display included: the headless demo then prints the tables).
std::optional<int> RunEditorCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

extern const char* const kEditorUsage;

}  // namespace quorvelin
