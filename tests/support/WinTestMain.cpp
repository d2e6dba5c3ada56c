// Entry point of every Windows test program: no error boxes, so a failing test never waits for a click.
#include <windows.h>

#include <gtest/gtest.h>

int wmain(int argc, wchar_t** argv) {
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
