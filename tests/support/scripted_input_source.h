#pragma once
// Terminal input for unit tests: bytes arrive at scripted times on a clock that
// only moves when a read waits, so timeouts are exact and tests never sleep.

#include <cstdint>
#include <deque>
#include <string>
#include <utility>

#include "console/key_reader.h"

namespace test_support {

class ScriptedInputSource final : public console::InputSource {
 public:
  // `bytes` arrive `at_ms` on this source's clock.
  ScriptedInputSource& arrive(std::int64_t at_ms, std::string bytes) {
    arrivals_.emplace_back(at_ms, std::move(bytes));
    return *this;
  }
  // Input ends once every arrival has been read.
  ScriptedInputSource& then_end() {
    ends_ = true;
    return *this;
  }

  Status read(std::string& bytes, int timeout_ms) override {
    ++reads_;
    if (arrivals_.empty()) {
      if (ends_ || timeout_ms < 0) {
        // A wait without limit on a script that has nothing more would hang.
        waited_forever_ = !ends_;
        return Status::kEnded;
      }
      now_ += timeout_ms;
      return Status::kTimedOut;
    }
    const std::int64_t next = arrivals_.front().first;
    if (next > now_ && timeout_ms >= 0 && next > now_ + timeout_ms) {
      now_ += timeout_ms;
      return Status::kTimedOut;
    }
    if (next > now_) now_ = next;
    bytes += arrivals_.front().second;
    arrivals_.pop_front();
    return Status::kBytes;
  }

  std::int64_t now_ms() override { return now_; }

  void set_now(std::int64_t now) { now_ = now; }
  int reads() const { return reads_; }
  bool waited_forever() const { return waited_forever_; }

 private:
  std::deque<std::pair<std::int64_t, std::string>> arrivals_;
  bool ends_ = false;
  bool waited_forever_ = false;
  std::int64_t now_ = 0;
  int reads_ = 0;
};

}  // namespace test_support
