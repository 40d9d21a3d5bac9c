// CValueText: a sunken value field of the Status and Statistics pages. The
// system's static control draws its text against the left edge of its
// frame; this one draws it, still left-aligned, on one line and vertically
// centred, a few pixels in. Its text, style and place stay the template's.
#pragma once

#include "framework/Wnd.h"

class CValueText : public CPaintedStatic {
public:
    // Pixels between the frame and the text.
    enum { kInnerMargin = 3 };

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    void Paint(HDC dc) override;
};
