// Reading the options of a tool's command line, one after the other, with checked values.
#pragma once

#include <charconv>
#include <optional>
#include <string>
#include <vector>

namespace quorvelin {

// The whole text as a decimal integer within [low, high]; nothing otherwise.
inline std::optional<long> ParseInteger(const std::string& text, long low, long high) {
  long v = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  if (ec != std::errc() || end != text.data() + text.size() || v < low || v > high) return std::nullopt;
  return v;
}

// What to say of an option that is not one of the tool's (`known` false) or lacks a good value.
inline std::string OptionError(const std::string& option, bool known) {
  return known ? "bad or missing value for " + option : "unknown option " + option;
}

class ArgumentReader {
 public:
  ArgumentReader(const std::vector<std::string>& args, size_t first) : args_(args), next_(first) {}

  bool Done() const { return next_ >= args_.size(); }
  const std::string& Option() { return args_[next_++]; }
  // The value behind the option just read, if there is one.
  std::optional<std::string> Value() {
    return next_ < args_.size() ? std::optional<std::string>(args_[next_++]) : std::nullopt;
  }
  // An integer value within [low, high] handed to `store`; false when missing or out of range.
  template <typename Store>
  bool Integer(long low, long high, Store store) {
    const auto v = Value();
    const auto n = v ? ParseInteger(*v, low, high) : std::nullopt;
    if (n) store(*n);
    return n.has_value();
  }

 private:
  const std::vector<std::string>& args_;
  size_t next_;
};

}  // namespace quorvelin
