// Dump files of received tables (tables/pmt%d.bin, tables/sdt%d.bin, tables/nit.bin, ...):
// the raw bytes a read delivered, kept for inspection; nothing reads them back.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace quorvelin {

// Directory of the dumps, relative to the current working directory.
inline constexpr const char* kDumpDirectory = "tables";

// Writes `size` bytes to tables/<name>, creating the directory when missing and replacing an
// earlier file. False when the directory or the file cannot be written; the read goes on.
bool WriteDumpFile(const std::string& name, const uint8_t* bytes, size_t size);

}  // namespace quorvelin
