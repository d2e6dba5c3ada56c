// Registry reads and writes against HKEY_CURRENT_USER, each test in a key of its own.
#include "framework/Registry.h"

#include <gtest/gtest.h>

#include <string>

namespace kovra {
namespace {

class RegistryTest : public testing::Test {
 protected:
  void SetUp() override {
    base_ = "Software\\KovraTests\\Registry" + std::to_string(GetCurrentProcessId()) + "_" +
            testing::UnitTest::GetInstance()->current_test_info()->name();
  }
  void TearDown() override {
    TRegistry cleanup;
    cleanup.DeleteKey("\\" + base_);
  }
  std::string base_;
};

TEST_F(RegistryTest, ValuesRoundTripWithTheirTypes) {
  TRegistry reg;
  EXPECT_EQ(reg.RootKey(), HKEY_CURRENT_USER);
  EXPECT_FALSE(reg.OpenKey(base_, false)) << "missing key without create";
  ASSERT_TRUE(reg.OpenKey(base_, true));
  EXPECT_EQ(reg.CurrentPath(), base_);
  reg.WriteString("Name", "融买 Kovra");
  reg.WriteInteger("Count", -42);
  reg.WriteBool("Flag", true);
  reg.WriteBinary("Blob", {0, 1, 2, 255});
  EXPECT_TRUE(reg.ValueExists("Name"));
  EXPECT_EQ(reg.ReadString("Name"), "融买 Kovra");
  EXPECT_EQ(reg.ReadInteger("Count"), -42);
  EXPECT_TRUE(reg.ReadBool("Flag"));
  EXPECT_EQ(reg.ReadBinary("Blob"), (std::vector<std::uint8_t>{0, 1, 2, 255}));
  EXPECT_EQ(reg.GetDataType("Name"), rdString);
  EXPECT_EQ(reg.GetDataType("Count"), rdInteger);
  EXPECT_EQ(reg.GetValueNames().size(), 4u);

  EXPECT_EQ(reg.ReadString("Missing"), "");
  EXPECT_THROW(reg.ReadInteger("Missing"), ERegistryException);
  EXPECT_THROW(reg.ReadInteger("Name"), ERegistryException) << "wrong type";
  EXPECT_THROW(reg.ReadString("Count"), ERegistryException);
  EXPECT_TRUE(reg.DeleteValue("Name"));
  EXPECT_FALSE(reg.ValueExists("Name"));
  EXPECT_FALSE(reg.DeleteValue("Name"));
}

TEST_F(RegistryTest, PathsAreRelativeToTheOpenKeyUnlessAbsolute) {
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey(base_, true));
  ASSERT_TRUE(reg.OpenKey("Child", true));
  EXPECT_EQ(reg.CurrentPath(), base_ + "\\Child");
  reg.WriteInteger("Depth", 2);
  ASSERT_TRUE(reg.OpenKey("\\" + base_, false));
  EXPECT_TRUE(reg.KeyExists("Child"));
  EXPECT_EQ(reg.GetKeyNames(), std::vector<std::string>{"Child"});
  reg.CloseKey();
  EXPECT_EQ(reg.CurrentKey(), nullptr);
  EXPECT_TRUE(reg.KeyExists(base_ + "\\Child"));
  ASSERT_TRUE(reg.OpenKeyReadOnly(base_ + "\\Child"));
  EXPECT_EQ(reg.ReadInteger("Depth"), 2);
  EXPECT_THROW(reg.WriteInteger("Depth", 3), ERegistryException) << "opened read-only";
  EXPECT_FALSE(reg.DeleteKey("")) << "never the open key or the root";
  reg.CloseKey();
  EXPECT_TRUE(reg.DeleteKey(base_ + "\\Child"));
  EXPECT_FALSE(reg.KeyExists(base_ + "\\Child"));
}

TEST_F(RegistryTest, StringsStoredWithoutTerminatorOrOfOddLengthReadSafely) {
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey(base_, true));
  const wchar_t raw[] = {L'a', L'b', L'c'};
  ASSERT_EQ(RegSetValueExW(reg.CurrentKey(), L"Raw", 0, REG_SZ, reinterpret_cast<const BYTE*>(raw),
                           sizeof raw),
            ERROR_SUCCESS);
  EXPECT_EQ(reg.ReadString("Raw"), "abc");
  ASSERT_EQ(
      RegSetValueExW(reg.CurrentKey(), L"Odd", 0, REG_SZ, reinterpret_cast<const BYTE*>(raw), 5),
      ERROR_SUCCESS);
  EXPECT_EQ(reg.ReadString("Odd"), "ab");
  const BYTE shortDword[2] = {1, 2};
  ASSERT_EQ(RegSetValueExW(reg.CurrentKey(), L"Short", 0, REG_DWORD, shortDword, 2), ERROR_SUCCESS);
  EXPECT_THROW(reg.ReadInteger("Short"), ERegistryException);
}

}  // namespace
}  // namespace kovra
