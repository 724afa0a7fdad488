#include "device/FlowLog.h"

#include <cstdio>

#include "sections/Packets.h"

namespace quorvelin {

FlowLog::FlowLog(TableExchange& link, FlowProgress* progress) : link_(link), progress_(progress) {}

void FlowLog::BeginTable(std::string name) {
  if (progress_ && !cancelled_) progress_->Step(name, static_cast<int>(tables_.size()), total_);
  tables_.emplace_back();
  tables_.back().name = std::move(name);
}

bool FlowLog::MayExchange() {
  if (!cancelled_ && progress_ && progress_->CancelRequested()) cancelled_ = true;
  return !cancelled_;
}

void FlowLog::Note(bool ok) {
  if (tables_.empty()) tables_.push_back({});
  ++(ok ? tables_.back().answered : tables_.back().failed);
}

bool FlowLog::ReadTable(uint8_t* buffer, size_t size, uint16_t pid, uint8_t selector, int port, bool bat) {
  if (!MayExchange()) return false;
  const bool ok = link_.ReadTable(buffer, size, pid, selector, port, bat);
  Note(ok);
  if (!ok && tables_.back().problem.empty()) tables_.back().problem = link_.ReadProblem();
  return ok;
}

const std::string& FlowLog::TableProblem() const {
  static const std::string kNone;
  return tables_.empty() ? kNone : tables_.back().problem;
}

void FlowLog::SkipTable(std::string why) {
  if (tables_.empty()) tables_.push_back({});
  tables_.back().skipped = std::move(why);
}

std::vector<std::string> FlowLog::TablesSkipped() const {
  std::vector<std::string> names;
  for (const Table& t : tables_)
    if (!t.skipped.empty()) names.push_back(t.name + " " + t.skipped);
  return names;
}

bool FlowLog::WriteTable(const uint8_t* packets, size_t length, uint16_t pid, uint8_t selector, int port, bool bat) {
  if (!MayExchange()) return false;
  const bool ok = link_.WriteTable(packets, length, pid, selector, port, bat);
  if (ok) {
    ++writes_;
    packets_ += static_cast<int>(CountPackets(packets, length) / kPacketSize);
  }
  Note(ok);
  return ok;
}

int FlowLog::TablesAnswered() const {
  int n = 0;
  for (const Table& t : tables_) n += t.answered > 0 && t.failed == 0;
  return n;
}

std::vector<std::string> FlowLog::TablesFailed() const {
  std::vector<std::string> names;
  for (const Table& t : tables_)
    if (t.failed > 0) names.push_back(t.name + (t.answered > 0 ? " (in part)" : ""));
  return names;
}

std::vector<std::string> FlowLog::TablesWritten() const {
  std::vector<std::string> names;
  for (const Table& t : tables_)
    if (t.answered > 0 && t.failed == 0) names.push_back(t.name);
  return names;
}

std::string FlowLog::Elapsed() const {
  const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start_).count();
  char text[32];
  if (ms < 1000)
    std::snprintf(text, sizeof text, "%.1f ms", ms);
  else
    std::snprintf(text, sizeof text, "%.1f s", ms / 1000);
  return text;
}

std::string JoinNames(const std::vector<std::string>& names) {
  std::string out;
  for (size_t i = 0; i < names.size(); ++i)
    out += (i == 0 ? "" : i + 1 == names.size() ? " and " : ", ") + names[i];
  return out;
}

std::string RefreshReport(const FlowLog& log) {
  std::string text = "Refresh";
  if (log.Cancelled())
    text += " cancelled after " + std::to_string(log.TablesBegun()) + " tables";
  text += ": " + std::to_string(log.TablesAnswered()) + " tables read";
  const std::vector<std::string> failed = log.TablesFailed();
  if (!failed.empty()) text += ", " + JoinNames(failed) + " not read";
  return text + " (" + log.Elapsed() + ")";
}

}  // namespace quorvelin
