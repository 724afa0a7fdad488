#include "sections/DumpFiles.h"

#include <filesystem>
#include <fstream>
#include <system_error>

#include "util/Settings.h"

namespace quorvelin {
namespace {

std::string& ChosenDirectory() {
  static std::string chosen;
  return chosen;
}
bool& DumpsOff() {
  static bool off = false;
  return off;
}

}  // namespace

std::string DumpDirectory() {
  if (DumpsOff()) return {};
  if (!ChosenDirectory().empty()) return ChosenDirectory();
  const std::string cache = UserCacheDirectory();
  return cache.empty() ? cache : cache + "/tables";
}

void SetDumpDirectory(std::string directory) { ChosenDirectory() = std::move(directory); }

void SetDumpFiles(bool on) { DumpsOff() = !on; }

bool WriteDumpFile(const std::string& name, const uint8_t* bytes, size_t size) {
  const std::string where = DumpDirectory();
  if (where.empty()) return false;
  const std::filesystem::path dir(where);
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  if (ec && !std::filesystem::is_directory(dir, ec)) return false;
  // A new file rather than a truncated one: file systems such as ext4 flush a file that was
  // truncated and rewritten when it is closed, which made every Refresh wait on the disk.
  std::filesystem::remove(dir / name, ec);
  std::ofstream out(dir / name, std::ios::binary | std::ios::trunc);
  if (!out) return false;
  if (size > 0 && bytes != nullptr) out.write(reinterpret_cast<const char*>(bytes), static_cast<std::streamsize>(size));
  return static_cast<bool>(out);
}

}  // namespace quorvelin
