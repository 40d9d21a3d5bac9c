// Runs a test again as if on another Windows family. Wine sets the Windows
// version per executable name (HKCU\Software\Wine\AppDefaults\<name>.exe,
// value "Version"), so the test program copies itself to <name>_<family>.exe,
// sets that value and runs the one test in the copy.
//
//   TEST(Store, WarnsOnXp) {
//       if (!InFamilyChild()) { EXPECT_EQ(0, RunTestAs("winxp")); return; }
//       ... runs under Windows XP ...
//   }
#pragma once

// family: "winxp", "win2k", "nt40", "win98", "win95" (Wine's names).
// Runs the current test (or `testName`, "Suite.Name") in the copy and returns
// its exit code: 0 when it passed.
int RunTestAs(const char* family, const char* testName = nullptr);

// True inside a copy started by RunTestAs.
bool InFamilyChild();

// The family a child was started as, or "" in the parent.
const char* ChildFamily();
