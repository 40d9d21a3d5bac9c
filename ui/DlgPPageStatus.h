// The Status page: the link as the adapter's last status snapshot tells it,
// and the signal strength as a figure and as a level meter. It never queries
// the adapter: the tray's one-second poll refreshes the snapshot, and the
// page re-reads it every two seconds while it is the active page.
#pragma once

#include "framework/PropertySheet.h"
#include "ui/StatusPageRules.h"
#include "ui/ValueText.h"

class CDlgPPageStatus : public CPropertyPage {
public:
    CDlgPPageStatus();

    // The ten display strings, as last composed.
    const StatusPageTexts& Texts() const { return texts_; }

    enum : UINT_PTR { kTimerId = 2 };
    enum : UINT { kTimerPeriod = 2000 }; // ms

protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    BOOL OnSetActive() override;
    BOOL OnKillActive() override;
    void OnTimer(UINT_PTR id) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    // Fills the display strings from the adapter access object and the strategy.
    void UpdateStatusTexts();
    // Sizes the meter's cover to the signal strength.
    void UpdateSignalBar();
    // Deletes the bitmaps the banner, meter and cover controls loaded.
    void ReleaseBitmaps();
    // Sizes the meter to show its bitmap at its own size inside its frame,
    // and puts the percentage box under it and the "0%" mark beside its foot.
    void LayOutMeter();

    StatusPageTexts texts_;
    // The left-aligned value fields, drawn with a margin inside their frames.
    CValueText valueTexts_[8];
};
