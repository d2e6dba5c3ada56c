// TFlagScope: sets a flag for a scope and gives it back its old value on every path, exceptions
// included, so that a nested scope over the same flag leaves it as the outer one expects.
#pragma once

namespace kovra {

class TFlagScope {
 public:
  explicit TFlagScope(bool& flag, bool value = true) : flag_(flag), old_(flag) { flag_ = value; }
  ~TFlagScope() { flag_ = old_; }
  TFlagScope(const TFlagScope&) = delete;
  TFlagScope& operator=(const TFlagScope&) = delete;

 private:
  bool& flag_;
  bool old_;
};

}  // namespace kovra
