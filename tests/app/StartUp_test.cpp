#include <gtest/gtest.h>

#include "app/ExePaths.h"
#include "app/Ticks.h"

namespace kovra {
namespace {

TEST(ExePaths, FolderKeepsItsBackslashAndOnlyTheLastExtensionIsReplaced) {
  EXPECT_EQ(ExeDirOf("D:\\tools\\bar.exe"), "D:\\tools\\");
  EXPECT_EQ(IniPathOf("D:\\tools\\bar.exe"), "D:\\tools\\bar.ini");
  EXPECT_EQ(IniPathOf("D:\\tools\\kovra.v2.exe"), "D:\\tools\\kovra.v2.ini");
  EXPECT_EQ(IniPathOf("D:\\my.tools\\kovra"), "D:\\my.tools\\kovra.ini");
  EXPECT_EQ(IniPathOf("C:\\交易\\快捷下单.exe"), "C:\\交易\\快捷下单.ini");
  EXPECT_EQ(ExeDirOf("bar.exe"), "");
}

TEST(ExePaths, OneFolderHasOneInstanceNameHoweverItsPathEnds) {
  const std::string name = InstanceNameOf(u"D:\\TOOLS\\KOVRA");
  EXPECT_EQ(InstanceNameOf(u"D:\\TOOLS\\KOVRA\\"), name);
  EXPECT_EQ(InstanceNameOf(u"D:/TOOLS/KOVRA/"), name);
  EXPECT_NE(InstanceNameOf(u"D:\\TOOLS\\KOVRA2"), name);
  EXPECT_NE(InstanceNameOf(u"D:\\账户二\\KOVRA"), InstanceNameOf(u"D:\\账户一\\KOVRA"));
  // A kernel object's name: the session's namespace, then no backslash, whatever the path's length.
  EXPECT_EQ(name.rfind("Local\\Kovra-", 0), 0u);
  EXPECT_EQ(name.find('\\', 6), std::string::npos);
  EXPECT_EQ(InstanceNameOf(std::u16string(5000, u'A')).size(), name.size());
}

TEST(TickElapsed, MeasuresAcrossAWrapOfTheCounter) {
  EXPECT_EQ(TickElapsed(1000, 1500), 500u);
  EXPECT_EQ(TickElapsed(0xFFFFFF00u, 0x100u), 0x200u);
  EXPECT_EQ(TickElapsed(0x7FFFFFF0u, 0x80000010u), 0x20u);
  EXPECT_EQ(TickElapsed(5, 5), 0u);
  EXPECT_EQ(TickElapsed(0, 0x80000000u), 0x80000000u);
}

}  // namespace
}  // namespace kovra
