// The real wavedesk.exe in a Wine desktop of its own (explorer
// /desktop=...), with the simulated adapter in the demonstration world, as a
// user meets it. Everything is read from outside, as a user would see it or
// as the system keeps it: control texts through wdctl.exe, the notification
// area's icon and tooltip, message boxes, the registry, and the stand-in's
// own answers on a binding of the test's. A failing test leaves a picture
// of its desktop beside the test program.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "adapter/AdapterRecords.h"

// The Windows family the utility runs as (Wine's AppDefaults "Version").
enum class Family { WinXP, Nt40 };

class WavedeskDesktop : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Starts wavedesk.exe as `family` in a new desktop; the test's desktop
    // name stays the same across starts (the desktop ends with the program).
    void StartUtility(Family family);
    // Ends it through "Exit"; false when it did not end.
    bool ExitUtility();

    // Runs wdctl.exe on the test's desktop with `args`; its exit code, and
    // what it printed, first line only, when `printed` is given.
    DWORD Ctl(const std::string& args, std::string* printed = nullptr);
    // wdctl's output, every line.
    std::vector<std::string> CtlLines(const std::string& args);
    // The text of control `id` on the sheet's current page.
    std::string Text(int id);
    // "ICON TOOLTIP" of the notification area, split.
    int TrayIcon(std::string* tooltip = nullptr);
    // Runs nxsim.exe with `args`; its exit code.
    DWORD Nxsim(const std::string& args);

    // The stand-in's status snapshot now, on a binding of the test's own to
    // the driver instance and adapter name the family's utility uses (it
    // starts nothing while the utility's binding is open).
    bool StandInSnapshot(AdapterStatusSnapshot& out);

    // Registry path (under HKEY_LOCAL_MACHINE) of the adapter's own key for
    // the running family, where the profile store and the driver values live.
    std::string AdapterKeyPath() const;

    // A string of wavedesk.exe's own string table.
    static std::string UtilityString(unsigned id);

    static std::string BinDir();

    std::string desktop_;
    Family family_ = Family::WinXP;
    HANDLE shell_ = nullptr;

private:
    void EndShell();
    std::string savedVersion_;
    bool hadVersion_ = false;
    std::string savedCardId_[2];
    bool hadCardId_[2] = {};
    bool ranNt4_ = false;
};

// Pages of the sheet, by their index.
enum Page { kStatusPage = 0, kConfigurationPage = 1 };
