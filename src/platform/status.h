// Success, or a failure with the system's reason: what every call of the platform returns.
#pragma once

#include <string>
#include <utility>

namespace survey {

// A failure says what kind it is where the caller acts on that: nothing by that name,
// something there that is not a regular file, or busy (another program holds the file or its
// lock; worth waiting for).
class Status {
 public:
  enum class Kind { kFailed, kMissing, kNotRegular, kBusy, kUnsupported };
  Status() = default;
  static Status error(std::string reason, Kind kind = Kind::kFailed) {
    return Status(std::move(reason), kind);
  }
  bool ok() const { return reason_.empty(); }
  bool is(Kind kind) const { return !ok() && kind_ == kind; }
  const std::string& reason() const { return reason_; }

 private:
  Status(std::string reason, Kind kind)
      : reason_(reason.empty() ? std::string("unknown error") : std::move(reason)), kind_(kind) {}
  std::string reason_;
  Kind kind_ = Kind::kFailed;
};

}  // namespace survey
