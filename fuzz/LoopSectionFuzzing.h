// The NIT and BAT harnesses check one property besides memory safety: a parsed section, built
// and parsed again, shows the same branch but for the lines the builder recomputes.
#pragma once

#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "SectionFuzzing.h"
#include "sections/Packets.h"

namespace quorvelin::fuzzing {

// The branch below `root` without the lines that building changes by design.
inline std::string StableLines(const TableTreeCtrl& tree, ItemHandle root, const std::vector<std::string>& changing) {
  std::istringstream in(DumpTree(tree, root));
  std::string out, line;
  while (std::getline(in, line)) {
    bool skip = false;
    for (const std::string& c : changing) skip = skip || line.find(c) != std::string::npos;
    if (!skip) out += line + '\n';
  }
  return out;
}

// Parses `bytes` with `parse` into a fresh tree, builds it with `build` and parses the built
// section again; aborts when the two branches differ.
template <class Parse, class Build>
void CheckRebuild(Table table, const uint8_t* bytes, size_t size, Parse parse, Build build,
                  const std::vector<std::string>& changing) {
  FreshTree first;
  if (!parse(first.tree, bytes, size, 1)) return;
  std::vector<uint8_t> area(2048, 0xFF);  // a parsed section (at most 1024 bytes) takes 6 packets
  if (!build(first.tree, 1, area.data(), area.size())) std::abort();  // a parsed section always fits
  UnpackPackets(static_cast<int>(CountPackets(area.data(), area.size()) / kPacketSize), area.data(), area.size());
  FreshTree second;
  if (!parse(second.tree, area.data(), area.size(), 1)) std::abort();
  if (StableLines(first.tree, first.tree.Root(1, table), changing) !=
      StableLines(second.tree, second.tree.Root(1, table), changing))
    std::abort();
}

}  // namespace quorvelin::fuzzing
