// The NIT and BAT harnesses check one property besides memory safety: a parsed section, built
// and parsed again, shows the same branch but for the lines the builder recomputes.
#pragma once

#include <algorithm>
#include <cstdlib>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "SectionFuzzing.h"
#include "sections/Packets.h"

namespace quorvelin::fuzzing {

// Whether the items below `a` and `b` match in shape and text, but for the lines that building
// changes by design.
inline bool SameBranch(const TableTreeCtrl& ta, ItemHandle a, const TableTreeCtrl& tb, ItemHandle b,
                       std::initializer_list<std::string_view> changing) {
  auto changes = [&](const std::string& text) {
    return std::any_of(changing.begin(), changing.end(), [&](auto& c) { return text.find(c) != std::string::npos; });
  };
  for (a = ta.GetChildItem(a), b = tb.GetChildItem(b); a != kNoItem && b != kNoItem;
       a = ta.GetNextSiblingItem(a), b = tb.GetNextSiblingItem(b)) {
    const std::string &x = ta.GetItemText(a), &y = tb.GetItemText(b);
    if ((x != y && !(changes(x) && changes(y))) || !SameBranch(ta, a, tb, b, changing)) return false;
  }
  return a == kNoItem && b == kNoItem;
}

// Parses `bytes` with `parse` into a fresh tree, builds it with `build` and parses the built
// section again; aborts when the two branches differ.
template <class Parse, class Build>
void CheckRebuild(Table table, const uint8_t* bytes, size_t size, Parse parse, Build build,
                  std::initializer_list<std::string_view> changing) {
  FreshTree first(0);
  if (!parse(first.tree, bytes, size, 1)) return;
  std::vector<uint8_t>& area = FilledArea<2048>();  // a parsed section (at most 1024 bytes) takes 6 packets
  if (!build(first.tree, 1, area.data(), area.size())) std::abort();  // a parsed section always fits
  UnpackPackets(static_cast<int>(CountPackets(area.data(), area.size()) / kPacketSize), area.data(), area.size());
  FreshTree second(1);
  if (!parse(second.tree, area.data(), area.size(), 1)) std::abort();
  if (!SameBranch(first.tree, first.tree.Root(1, table), second.tree, second.tree.Root(1, table), changing))
    std::abort();
}

}  // namespace quorvelin::fuzzing
