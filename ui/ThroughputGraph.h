// CThroughputGraph: a static control that draws a scrolling graph of
// packets per second (newest sample at the right edge) with the maximum and
// the current figure in its top left corner. Its pen and font are made once
// and kept; a paint only selects them.
#pragma once

#include "framework/GdiObject.h"
#include "framework/Wnd.h"
#include "ui/StatisticsRules.h"

class CThroughputGraph : public CPaintedStatic {
public:
    CThroughputGraph();

    // Replaces the pen with a solid pen of width 1 in `color`.
    void SetColor(COLORREF color);
    // Scrolls the history by one and stores `packets` as the newest sample.
    void AddSample(uint32_t packets);

    const ThroughputHistory& History() const { return history_; }
    COLORREF Color() const { return color_; }
    // The two lines of text the last paint drew.
    const CString& PaintedText() const { return plan_.text; }

protected:
    void Paint(HDC dc) override;

private:
    ThroughputHistory history_;
    COLORREF color_;
    CGdiObject pen_;
    CGdiObject font_;
    GraphPaintPlan plan_;
};
