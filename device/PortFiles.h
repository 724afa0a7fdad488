// A port's tables to and from transport-stream files: export writes what Submit would send for
// the port (as a backup file: each section starting a packet, continuity_counter running on per
// PID); import takes a capture's selection and loads it into the port's branches through the
// parsers of Refresh, after a question.
#pragma once

#include <optional>
#include <string>

#include "tree/TableTreeCtrl.h"
#include "util/Ui.h"

namespace quorvelin {

inline constexpr const char* kCaptureCaption = "Transport stream";

// Asks for a file, reads it (with progress), shows what it took and left out and asks before it
// replaces the port's tables. When the port's tables were replaced, what was done for the status
// line ("Imported a.ts into PortA: PAT, PMT and SDT, 3 tables, 5 packets"); else nothing.
std::optional<std::string> ImportPortCapture(TableTreeCtrl& tree, Ui& ui, int port);
std::optional<std::string> ImportPortCaptureFrom(TableTreeCtrl& tree, Ui& ui, int port, const std::string& path);
// Asks for a file name and writes the port's tables, built as Submit builds them; a builder's
// refusal is shown and nothing is written. When the file was written, what was done ("Exported
// PortA to a.ts: 7 tables, 9 packets"); else nothing.
std::optional<std::string> ExportPortStream(TableTreeCtrl& tree, Ui& ui, int port);
std::optional<std::string> ExportPortStreamTo(TableTreeCtrl& tree, Ui& ui, int port, const std::string& path);

}  // namespace quorvelin
