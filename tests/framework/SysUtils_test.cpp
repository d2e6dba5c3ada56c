// Exceptions carrying the system's text for an error code.
#include "framework/SysUtils.h"

#include <gtest/gtest.h>

namespace kovra {
namespace {

TEST(OSErrorTest, MessageCarriesCodeAndSystemText) {
  const std::string text = SysErrorMessage(ERROR_FILE_NOT_FOUND);
  ASSERT_FALSE(text.empty());
  EXPECT_NE(text.back(), '\n');
  const EOSError error(ERROR_FILE_NOT_FOUND, "Opening");
  EXPECT_EQ(error.ErrorCode(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(error.Message(), "Opening: System Error.  Code: 2.\n" + text);
  EXPECT_STREQ(error.what(), error.Message().c_str());
  EXPECT_EQ(SysErrorMessage(0x2FFFFFFF), "");
}

TEST(OSErrorTest, RaiseLastOSErrorNeverReportsSuccess) {
  SetLastError(ERROR_ACCESS_DENIED);
  try {
    RaiseLastOSError();
    FAIL();
  } catch (const EOSError& e) {
    EXPECT_EQ(e.ErrorCode(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  }
  SetLastError(0);
  try {
    Check(FALSE);
    FAIL();
  } catch (const EOSError& e) {
    EXPECT_EQ(e.ErrorCode(), static_cast<DWORD>(ERROR_GEN_FAILURE));
  }
  SetLastError(ERROR_NOT_ENOUGH_MEMORY);
  EXPECT_THROW(Check(FALSE), EOutOfResources);
  EXPECT_NO_THROW(Check(TRUE));
}

}  // namespace
}  // namespace kovra
