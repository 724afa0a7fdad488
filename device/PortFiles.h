// A port's tables to and from transport-stream files: export writes what Submit would send for
// the port (as a backup file: each section starting a packet, continuity_counter running on per
// PID); import takes a capture's selection and loads it into the port's branches through the
// parsers of Refresh, after a question.
#pragma once

#include <string>

#include "tree/TableTreeCtrl.h"
#include "util/Ui.h"

namespace quorvelin {

inline constexpr const char* kCaptureCaption = "Transport stream";

// Asks for a file, reads it (with progress), shows what it took and left out and asks before it
// replaces the port's tables. True when the port's tables were replaced.
bool ImportPortCapture(TableTreeCtrl& tree, Ui& ui, int port);
bool ImportPortCaptureFrom(TableTreeCtrl& tree, Ui& ui, int port, const std::string& path);
// Asks for a file name and writes the port's tables, built as Submit builds them; a builder's
// refusal is shown and nothing is written. True when the file was written.
bool ExportPortStream(TableTreeCtrl& tree, Ui& ui, int port);
bool ExportPortStreamTo(TableTreeCtrl& tree, Ui& ui, int port, const std::string& path);

}  // namespace quorvelin
