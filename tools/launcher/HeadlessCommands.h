// The headless commands of the `quorvelin` launcher: dump a device's tables, copy every table
// of one device to another, back a device up to transport-stream files and restore a port from
// one, and a demo against the built-in simulated device.
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "device/DeviceLink.h"
#include "device/VersionRule.h"

namespace quorvelin {

struct HeadlessOptions {
  std::string command;            // dump, copy, backup, restore, diff, sync, audit or demo
  uint32_t device = 0;            // dump: the device; copy: the source
  uint32_t target = 0;            // copy: the destination
  int portMode = 1;
  int channelNumber = -1;         // set by --channel in port modes 2 and 3
  bool fragmented = false;
  LinkSettings link;  // waits and UDP port; the address, mode and channel are set from the others
  std::string directory;          // backup: where the files go
  std::string file;               // restore: the capture; export: the capture to read
  std::string xml;                // export: the TSDuck XML file written
  int port = 1;                   // restore: 1 (A, or the channel) or 2 (B)
  std::optional<uint16_t> bouquet;  // restore: the BAT's bouquet_id
  bool wholePort = false;         // restore: tables the capture lacks go out empty
  bool partial = false;           // copy: what was read, when some tables were not
  VersionRule versions = VersionRule::Raise;  // copy, restore: --bump or --keep-version
  std::vector<std::string> operands;  // diff: the two sides
  std::array<bool, 8> tables{};       // diff, sync, audit: by Table; none given: the command's own
  std::string source;                 // sync: --from (a device, a backup folder or a .ts file)
  std::vector<std::string> devices;   // sync: --to; audit: every device
  std::string deviceList;             // sync: --to-list; audit: --devices
  int fromPort = 1;                   // sync: --from-port A (1) or B (2), or a channel
  int fromChannel = -1;               // sync: --from-port N, the channel of a one-port device
  bool dryRun = false;                // sync: what would change, nothing written
  std::optional<int> version;         // sync: --version N
  int inFlight = 16;                  // sync, audit: devices handled at once
  std::string reference;              // audit: the device or file the others are held to
  bool json = false;                  // audit: the report as JSON
  std::string dumpDirectory;          // --dump-dir: where the dump files of reads go (else the cache folder)
  std::string pcapFile;               // --pcap: where the command's datagrams are kept
};

// Nothing, with a message in `error`, for an unknown command or option or a bad value.
std::optional<HeadlessOptions> ParseHeadlessArguments(const std::vector<std::string>& args, std::string& error);

// Each returns the process exit status: 0 done, 1 the device work failed, 2 bad arguments.
int RunDump(const HeadlessOptions& options, std::ostream& out, std::ostream& err);
int RunCopy(const HeadlessOptions& options, std::ostream& out, std::ostream& err);
// diff, sync and audit (NetworkCommands.cpp).
int RunDiff(const HeadlessOptions& options, std::ostream& out, std::ostream& err);
int RunSync(const HeadlessOptions& options, std::ostream& out, std::ostream& err);
int RunAudit(const HeadlessOptions& options, std::ostream& out, std::ostream& err);
// Starts the simulator with the sample on a free loopback address and dumps it.
int RunDemo(const HeadlessOptions& options, std::ostream& out, std::ostream& err);
// The file of --pcap created and given to every link of the command; false, with a message,
// when it cannot be written (nothing has been sent then).
bool OpenPcap(HeadlessOptions& options, std::ostream& err);
// Parses and runs a whole command line (without the program name).
int RunLauncher(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

extern const char* const kLauncherUsage;

}  // namespace quorvelin
