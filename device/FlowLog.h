// What a Refresh or Submit did, table by table: the progress a window shows while it runs, the
// user's Cancel, and the result the status line names afterwards.
#pragma once

#include <chrono>
#include <string>
#include <vector>

#include "sections/TableExchange.h"

namespace quorvelin {

// Shown by the window while a flow runs; the default shows nothing and never cancels.
class FlowProgress {
 public:
  virtual ~FlowProgress() = default;
  // Before the exchanges of one table ("PortA SDT"); `done` of `total` tables are behind.
  virtual void Step(const std::string& /*table*/, int /*done*/, int /*total*/) {}
  // Between two exchanges: true once the user asked to stop.
  virtual bool CancelRequested() { return false; }
};

// Passes the exchanges on to the link and notes, per table, whether it was answered. Once the
// user cancels, the exchange in flight ends as it ends and every later one fails at once.
class FlowLog final : public TableExchange {
 public:
  explicit FlowLog(TableExchange& link, FlowProgress* progress = nullptr);

  // `tables` more steps lie ahead (the total the progress shows grows by them).
  void AddSteps(int tables) { total_ += tables; }
  // The exchanges from now on belong to this table.
  void BeginTable(std::string name);
  bool Cancelled() const { return cancelled_; }

  bool ReadTable(uint8_t* buffer, size_t size, uint16_t pid, uint8_t selector, int port, bool bat) override;
  bool WriteTable(const uint8_t* packets, size_t length, uint16_t pid, uint8_t selector, int port, bool bat) override;
  bool HeardNothing() const override { return !cancelled_ && link_.HeardNothing(); }
  const char* ReadProblem() const override { return cancelled_ ? "cancelled" : link_.ReadProblem(); }
  bool DeviceSilent() const override { return link_.DeviceSilent(); }
  uint32_t DeviceAddress() const override { return link_.DeviceAddress(); }

  // An exchange of the current table failed, and why (the first failure's words).
  bool TableFailed() const { return !tables_.empty() && tables_.back().failed > 0; }
  const std::string& TableProblem() const;
  // The current table is left as it is: not written, for `why`.
  void SkipTable(std::string why);
  // "SDT not read" of every table skipped so far.
  std::vector<std::string> TablesSkipped() const;

  // Tables whose every exchange was answered, and those with an exchange that failed.
  int TablesAnswered() const;
  std::vector<std::string> TablesFailed() const;
  // Tables whose every write went through.
  std::vector<std::string> TablesWritten() const;
  int TablesBegun() const { return static_cast<int>(tables_.size()); }
  int PacketsWritten() const { return packets_; }
  int WritesAnswered() const { return writes_; }
  // "0.9 ms", "3.1 s": the time since the log was made.
  std::string Elapsed() const;

 private:
  struct Table {
    std::string name;
    int answered = 0, failed = 0;
    std::string problem, skipped;
  };
  bool MayExchange();
  void Note(bool ok);

  TableExchange& link_;
  FlowProgress* progress_;
  std::vector<Table> tables_;
  int total_ = 0, packets_ = 0, writes_ = 0;
  bool cancelled_ = false;
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

// "Refresh: 16 tables read, PortB CAT not answered (0.9 ms)"; "Refresh cancelled after 5 of 16
// tables: ..." when the user stopped it.
std::string RefreshReport(const FlowLog& log);
// "A, B and C" / "A and B" / "A".
std::string JoinNames(const std::vector<std::string>& names);

}  // namespace quorvelin
