// What the page tests share: the simulated adapter opened through the
// process-wide adapter access object (in a copy of the test run as one
// Windows family), the utility's sheet with its four pages run modally, and
// recorders for message boxes and error beeps.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

#include "adapter/AdapterAccess.h"
#include "config/ProfileStore.h"
#include "framework/UserMessage.h"
#include "res/resource.h"
#include "sim/SimControl.h"
#include "tests/platform/TestRegistry.h"
#include "tests/support/ModalDriver.h"
#include "tests/support/WineFamily.h"
#include "ui/DlgPPageAbout.h"
#include "ui/DlgPPageConfig.h"
#include "ui/DlgPPageStatistics.h"
#include "ui/DlgPPageStatus.h"
#include "ui/DlgPSheet.h"
#include "ui/PageIds.h"

// Runs the rest of the test in a copy that Wine presents as `family`.
#define RUN_AS(family)                                                                             \
    if (!InFamilyChild()) {                                                                        \
        EXPECT_EQ(0, RunTestAs(family));                                                           \
        return;                                                                                    \
    }

// Counts the error beeps instead of sounding them.
class BeepLog {
public:
    BeepLog() {
        Types().clear();
        previous_ = SetUserBeepHandler(&BeepLog::Record);
    }
    ~BeepLog() { SetUserBeepHandler(previous_); }
    BeepLog(const BeepLog&) = delete;
    BeepLog& operator=(const BeepLog&) = delete;

    static std::vector<unsigned>& Types() {
        static std::vector<unsigned> types;
        return types;
    }
    static size_t Count() { return Types().size(); }

private:
    static void Record(unsigned type) { Types().push_back(type); }
    UserBeepHandler previous_;
};

// The profile a test starts from: written as the only stored configuration,
// selected by index, in a format that needs no upgrade and is not refreshed
// from the driver's values.
struct StoredProfile {
    std::string name = "Lab";
    std::string networkName = "LabNet";
    DWORD connectionType = 1;
    DWORD powerManagement = 1;
    DWORD enableTurbo = 0;
    DWORD enableSecurity = 0;
    DWORD defaultKey = 0xFFFFFFFF; // -1
    std::string sharedKey[4];
    DWORD sharedKeyLength[4] = {40, 40, 40, 40};
    std::string uniqueKey;
    DWORD uniqueKeyLength = 40;
};

// Writes `profile` below the adapter key `adapterKeyPath`.
bool WriteStoredProfile(const std::string& adapterKeyPath, const StoredProfile& profile);

// The snapshot the simulated adapter answers from now on, read at once.
bool SetSnapshot(const AdapterStatusSnapshot& snapshot);

// A snapshot of a connected adapter with everything set to plain values.
AdapterStatusSnapshot ConnectedSnapshot();

// Fixture: in a family child, installs the simulated adapter and clears the
// stored configurations; OpenAdapter opens the process-wide access object.
class PageTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // Opens GetAdapterAccess() on the simulated adapter (loading its profiles).
    void OpenAdapter();

    MessageLog messages_;
    BeepLog beeps_;
};

// The utility's sheet with its four pages, as the tray builds it.
struct UtilitySheet {
    CDlgPSheet sheet{IDS_APP_TITLE, nullptr, 0};
    CDlgPPageStatus status;
    CDlgPPageConfig config;
    CDlgPPageStatistics statistics;
    CDlgPPageAbout about;

    UtilitySheet() {
        sheet.AddPage(&status);
        sheet.AddPage(&config);
        sheet.AddPage(&statistics);
        sheet.AddPage(&about);
    }

    // Runs the sheet modally and calls `steps` inside its loop. The steps
    // end the sheet themselves (Ok(), Cancel()); if they return without
    // doing so, a failed assertion say, the sheet is cancelled.
    INT_PTR Run(const std::function<void()>& steps);

    HWND Window() const { return sheet.m_hWnd; }
    // Selects page `index` and lets its activation run.
    void Select(int index);
    HWND CurrentPage() const;
    // Presses OK; true when the sheet accepted it (and is ending).
    bool Ok();
    void Cancel();

    bool ended = false;
};

std::string ControlText(HWND dialog, int id);
void SetControlText(HWND dialog, int id, const char* text);
bool IsChecked(HWND dialog, int id);
// Clicks a button the way the mouse does (BM_CLICK).
void Click(HWND dialog, int id);
// Types `text` into control `id`, one WM_CHAR each.
void Type(HWND dialog, int id, const char* text);
// Selects list item `index` of combo box `id` and confirms it, as the user does.
void ChooseListItem(HWND dialog, int id, int index);
// Sends a combo box notification to the dialog.
void NotifyCombo(HWND dialog, int id, WORD code);
// The control's rectangle in the dialog's client coordinates.
RECT ControlRect(HWND dialog, int id);
