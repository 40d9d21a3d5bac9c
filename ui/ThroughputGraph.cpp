#include "ui/ThroughputGraph.h"

namespace {

const COLORREF kDefaultColor = RGB(0, 128, 0);

HGDIOBJ MakePen(COLORREF color) {
    return ::CreatePen(PS_SOLID, 1, color);
}

HGDIOBJ MakeFont() {
    return ::CreateFontA(12, 0, 0, 0, 12, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                         CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, 32, "New Courier");
}

} // namespace

CThroughputGraph::CThroughputGraph()
    : color_(kDefaultColor), pen_(MakePen(kDefaultColor)), font_(MakeFont()), plan_() {}

void CThroughputGraph::SetColor(COLORREF color) {
    color_ = color;
    pen_.Reset(MakePen(color)); // never selected between paints
}

void CThroughputGraph::AddSample(uint32_t packets) {
    history_.AddSample(packets);
}

void CThroughputGraph::Paint(HDC dc) {
    RECT client;
    ::GetClientRect(m_hWnd, &client);
    ::FillRect(dc, &client, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));

    PlanGraphPaint(history_, client.right - client.left, client.bottom - client.top, plan_);
    HGDIOBJ oldPen = ::SelectObject(dc, pen_.Get());
    for (int32_t i = 0; i < plan_.count; ++i) {
        const GraphColumn& c = plan_.columns[i];
        ::MoveToEx(dc, c.x, plan_.baseline, nullptr);
        if (c.line)
            ::LineTo(dc, c.x, c.top);
    }
    ::SelectObject(dc, oldPen);

    HGDIOBJ oldFont = ::SelectObject(dc, font_.Get());
    COLORREF oldText = ::SetTextColor(dc, RGB(255, 255, 255));
    COLORREF oldBack = ::SetBkColor(dc, RGB(0, 0, 0));
    int oldMode = ::SetBkMode(dc, OPAQUE);
    ::DrawTextA(dc, plan_.text.c_str(), -1, &client, DT_LEFT | DT_TOP | DT_NOPREFIX);
    ::SetBkMode(dc, oldMode);
    ::SetBkColor(dc, oldBack);
    ::SetTextColor(dc, oldText);
    ::SelectObject(dc, oldFont);
}
