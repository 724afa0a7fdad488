// What a user interface that can show the progress of a long task offers (the editor's Ui does;
// a Ui without it runs the task without a display).
#pragma once

#include <cstdint>
#include <string>

namespace quorvelin {

class ProgressDisplay {
 public:
  virtual ~ProgressDisplay() = default;
  // How far the task is (`done` of `total`); false once the user cancelled it. The display goes
  // when done reaches total.
  virtual bool Progress(const std::string& text, uint64_t done, uint64_t total) = 0;
};

}  // namespace quorvelin
