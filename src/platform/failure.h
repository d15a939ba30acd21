#pragma once
// Failures and the continue-on-error step runner used by the program's handlers.

#include <exception>
#include <stdexcept>
#include <string>
#include <utility>

namespace tavelin {

// A failed step. what() is the description shown to the user: the system's own text
// where a system call failed, otherwise one of the descriptions below.
class Failure : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Descriptions of the failures the program detects itself.
namespace failure_text {
inline constexpr const char* kSubscriptOutOfRange = "下标越界";
inline constexpr const char* kDivisionByZero = "除数为零";
inline constexpr const char* kCompressedDataDamaged = "压缩数据已损坏";
inline constexpr const char* kOverflow = "溢出";
inline constexpr const char* kTypeMismatch = "类型不匹配";
}  // namespace failure_text

// Runs the steps of a handler one by one: a step that throws is skipped, its
// description is remembered and the next step runs. The handler reports the last
// description once at its end.
class StepRecord {
 public:
  template <class Step>
  bool Run(Step&& step) noexcept {
    try {
      std::forward<Step>(step)();
      return true;
    } catch (const std::exception& e) {
      last_ = e.what();
    } catch (...) {
      last_ = "未知错误";
    }
    failed_ = true;
    return false;
  }

  bool HasFailure() const { return failed_; }
  const std::string& LastFailure() const { return last_; }
  void Clear() {
    failed_ = false;
    last_.clear();
  }

 private:
  bool failed_ = false;
  std::string last_;
};

}  // namespace tavelin
