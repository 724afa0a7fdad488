#include "tools/launcher/TreeDiff.h"

#include <algorithm>
#include <sstream>

namespace quorvelin {
namespace {

enum class Op { Keep, Remove, Add };

// More differences than this and the lines between the first and the last change are shown as
// replaced whole: the search stays short on tables that have little in common.
constexpr long kMostEdits = 4000;

// The shortest edit script (E. W. Myers, 1986) of a[first..] into b[first..], as operations in order.
std::vector<Op> EditScript(const std::vector<std::string>& a, const std::vector<std::string>& b, size_t first,
                           size_t endA, size_t endB) {
  const long n = static_cast<long>(endA - first), m = static_cast<long>(endB - first);
  const auto A = [&](long i) -> const std::string& { return a[first + static_cast<size_t>(i)]; };
  const auto B = [&](long i) -> const std::string& { return b[first + static_cast<size_t>(i)]; };
  const long most = std::min(n + m, kMostEdits);
  std::vector<long> v(static_cast<size_t>(2 * most + 3), 0);
  const auto at = [&](long k) -> long& { return v[static_cast<size_t>(k + most + 1)]; };
  std::vector<std::vector<long>> trace;  // v[-d..d] before step d
  long found = -1;
  for (long d = 0; d <= most && found < 0; ++d) {
    trace.emplace_back(v.begin() + (most + 1 - d), v.begin() + (most + 2 + d));
    for (long k = -d; k <= d; k += 2) {
      long x = (k == -d || (k != d && at(k - 1) < at(k + 1))) ? at(k + 1) : at(k - 1) + 1;
      long y = x - k;
      while (x < n && y < m && A(x) == B(y)) ++x, ++y;
      at(k) = x;
      if (x >= n && y >= m) {
        found = d;
        break;
      }
    }
  }
  std::vector<Op> ops;
  if (found < 0) {  // too different: everything between removed, then added
    ops.assign(static_cast<size_t>(n), Op::Remove);
    ops.insert(ops.end(), static_cast<size_t>(m), Op::Add);
    return ops;
  }
  long x = n, y = m;
  for (long d = found; d > 0; --d) {
    const std::vector<long>& before = trace[static_cast<size_t>(d)];
    const auto was = [&](long k) { return before[static_cast<size_t>(k + d)]; };  // v after step d - 1
    const long k = x - y;
    const long previous = (k == -d || (k != d && was(k - 1) < was(k + 1))) ? k + 1 : k - 1;
    const long px = was(previous), py = px - previous;
    while (x > px && y > py) ops.push_back(Op::Keep), --x, --y;
    ops.push_back(previous == k + 1 ? Op::Add : Op::Remove);
    x = px, y = py;
  }
  while (x > 0 && y > 0) ops.push_back(Op::Keep), --x, --y;
  std::reverse(ops.begin(), ops.end());
  return ops;
}

size_t Indent(const std::string& line) { return line.find_first_not_of(' ') == std::string::npos ? line.size() : line.find_first_not_of(' '); }

// The places of the lines of the items that hold lines[i], outermost first.
std::vector<size_t> Holders(const std::vector<std::string>& lines, size_t i) {
  std::vector<size_t> out;
  size_t indent = Indent(lines[i]);
  for (size_t j = i; j-- > 0 && indent > 0;)
    if (Indent(lines[j]) < indent) {
      indent = Indent(lines[j]);
      out.push_back(j);
    }
  std::reverse(out.begin(), out.end());
  return out;
}

}  // namespace

std::vector<std::string> DiffLines(const std::vector<std::string>& a, const std::vector<std::string>& b) {
  size_t first = 0;
  while (first < a.size() && first < b.size() && a[first] == b[first]) ++first;
  size_t endA = a.size(), endB = b.size();
  while (endA > first && endB > first && a[endA - 1] == b[endB - 1]) --endA, --endB;
  if (first == endA && first == endB) return {};
  const std::vector<Op> ops = EditScript(a, b, first, endA, endB);
  std::vector<std::string> out;
  std::vector<bool> shownA(a.size()), shownB(b.size());  // lines already written, by side
  size_t i = first, j = first;
  bool inRun = false;
  for (Op op : ops) {
    if (op == Op::Keep) {
      ++i, ++j;
      inRun = false;
      continue;
    }
    if (!inRun) {  // the holders not written yet, as context
      const bool fromA = op == Op::Remove;
      const std::vector<std::string>& lines = fromA ? a : b;
      std::vector<bool>& shown = fromA ? shownA : shownB;
      for (size_t h : Holders(lines, fromA ? i : j))
        if (!shown[h]) shown[h] = true, out.push_back(" " + lines[h]);
      inRun = true;
    }
    if (op == Op::Remove) shownA[i] = true, out.push_back("-" + a[i++]);
    else shownB[j] = true, out.push_back("+" + b[j++]);
  }
  return out;
}

std::vector<std::string> TableLines(const TableTreeCtrl& tree, int port, Table table) {
  std::vector<std::string> lines;
  const ItemHandle root = tree.Root(port, table);
  if (root == kNoItem) return lines;
  std::istringstream dump(DumpTree(tree, root));
  const bool time = table == Table::Tdt || table == Table::Tot;
  for (std::string line; std::getline(dump, line);) {
    const std::string field = line.substr(Indent(line));
    const bool crc = field.rfind("CRC_32:", 0) == 0 && field.find("(CRC error)") == std::string::npos;
    if (crc || (time && field.rfind("UTC_time:", 0) == 0)) continue;
    lines.push_back(line);
  }
  return lines;
}

std::optional<TableSet> ParseTableList(const std::string& text) {
  TableSet set{};
  std::istringstream names(text);
  for (std::string name; std::getline(names, name, ',');) {
    int found = -1;
    for (int t = 0; t < kTableCount; ++t)
      if (name == TableTreeCtrl::TableName(static_cast<Table>(t))) found = t;
    if (found < 0) return std::nullopt;
    set[found] = true;
  }
  return set;
}

}  // namespace quorvelin
