// Dump files of received tables (pmt%d.bin, sdt%d.bin, nit.bin, ...): the raw bytes a read
// delivered, kept for inspection; nothing reads them back.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace quorvelin {

// Where the dumps go: the directory SetDumpDirectory named (--dump-dir), else tables/ under the
// user's cache folder ($XDG_CACHE_HOME/quorvelin/tables, by default ~/.cache/quorvelin/tables);
// empty when no such folder is known, and then nothing is written.
std::string DumpDirectory();
// Empty goes back to the cache folder.
void SetDumpDirectory(std::string directory);
// Whether reads leave dump files (many devices read at once would only overwrite each other's).
void SetDumpFiles(bool on);
struct NoDumpFiles {
  NoDumpFiles() { SetDumpFiles(false); }
  ~NoDumpFiles() { SetDumpFiles(true); }
  NoDumpFiles(const NoDumpFiles&) = delete;
  NoDumpFiles& operator=(const NoDumpFiles&) = delete;
};

// Writes `size` bytes to <DumpDirectory>/<name>, creating the directory when missing and
// replacing an earlier file. False when the directory or the file cannot be written; the read goes on.
bool WriteDumpFile(const std::string& name, const uint8_t* bytes, size_t size);

}  // namespace quorvelin
