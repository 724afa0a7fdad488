#include "tools/launcher/qt/EditorLaunch.h"

#include <QByteArray>
#include <ostream>

#include "editor/CDlgQuorvelin.h"
#include "editor/EditorApplication.h"
#include "sections/DumpFiles.h"
#include "tools/devsim/SampleMultiplex.h"
#include "tools/devsim/Simulator.h"
#include "tools/launcher/HeadlessCommands.h"

namespace quorvelin {

const char* const kEditorUsage =
    "       quorvelin --device ADDR [options]   opens the editor on the device\n"
    "       (quorvelin demo opens the editor on the simulated device when there is a display)\n";

namespace {

// A screen a person can see: the offscreen and minimal platforms have none, and an editor
// opened on them could never be closed.
bool ScreenForPeople() {
  const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
  if (platform.startsWith("offscreen") || platform.startsWith("minimal")) return false;
  return DisplayAvailable();
}

int OpenEditor(HeadlessOptions o, uint32_t device, std::ostream& err) {
  if (!OpenPcap(o, err)) return 2;
  SetDumpDirectory(o.dumpDirectory);
  if (const char* refusal = PrepareApplication()) {
    err << "quorvelin: the editor cannot open: " << refusal << ".\n";
    return 1;
  }
  CDlgQuorvelin editor(device, nullptr, o.portMode, nullptr, nullptr, o.fragmented ? kFragmentedProtocol : 0);
  if (o.channelNumber >= 1 && o.portMode != 1) editor.UseChannel(o.channelNumber);
  editor.Link().timeouts = o.link.timeouts;
  editor.Link().udpPort = o.link.udpPort;
  editor.Link().pcap = o.link.pcap;
  editor.DoModal();
  return 0;
}

int RunDemoEditor(const HeadlessOptions& o, std::ostream& out, std::ostream& err) {
  devsim::SimulatorOptions simulator;
  simulator.fragmented = o.fragmented;
  std::string error;
  auto sim = devsim::StartOnFreeLoopback(simulator, error);
  if (!sim) {
    err << "quorvelin: " << error << '\n';
    return 1;
  }
  devsim::LoadSample(sim->Store());
  out << "simulated device on " << Ipv4Text(sim->Address().address) << '\n' << std::flush;
  return OpenEditor(o, sim->Address().address, err);
}

}  // namespace

std::optional<int> RunEditorCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  if (args.empty()) return std::nullopt;
  if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
    out << kLauncherUsage << kEditorUsage;
    return 0;
  }
  if (args[0] == "demo") {
    if (ScreenForPeople()) {
      std::string error;
      const auto options = ParseHeadlessArguments(args, error);
      if (!options) return std::nullopt;  // the headless parser says why
      return RunDemoEditor(*options, out, err);
    }
    err << "No display: the editor cannot open; the simulated device's tables follow as text.\n";
    return std::nullopt;
  }
  if (args[0] != "--device") return std::nullopt;
  // The editor takes the options of the headless dump.
  std::vector<std::string> asDump{"dump"};
  asDump.insert(asDump.end(), args.begin(), args.end());
  std::string error;
  const auto options = ParseHeadlessArguments(asDump, error);
  if (!options) {
    err << "quorvelin: " << error << '\n' << kLauncherUsage << kEditorUsage;
    return 2;
  }
  if (!ScreenForPeople()) {
    err << "quorvelin: no display: the editor cannot open (quorvelin dump --device ADDR prints the tables).\n";
    return 1;
  }
  return OpenEditor(*options, options->device, err);
}

}  // namespace quorvelin
