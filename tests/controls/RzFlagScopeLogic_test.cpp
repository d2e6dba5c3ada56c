#include "controls/RzFlagScope.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace kovra {
namespace {

TEST(FlagScope, NestedScopesEndAsTheyBegan) {
  bool flag = false;
  {
    TFlagScope outer(flag);
    EXPECT_TRUE(flag);
    {
      TFlagScope inner(flag);
      EXPECT_TRUE(flag);
    }
    EXPECT_TRUE(flag);  // the inner scope must not end the outer one's
    {
      TFlagScope off(flag, false);
      EXPECT_FALSE(flag);
    }
    EXPECT_TRUE(flag);
  }
  EXPECT_FALSE(flag);
}

TEST(FlagScope, AnExceptionGivesTheOldValueBack) {
  bool flag = true;
  EXPECT_THROW(
      {
        TFlagScope off(flag, false);
        throw std::runtime_error("handler failed");
      },
      std::runtime_error);
  EXPECT_TRUE(flag);
}

}  // namespace
}  // namespace kovra
