#include "ui/ValueText.h"

LRESULT CValueText::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SETTEXT: {
        // The static control would draw the new text at once, its own way;
        // the text is only stored here and drawn by the next paint.
        LRESULT result = ::DefWindowProcA(m_hWnd, message, wParam, lParam);
        ::InvalidateRect(m_hWnd, nullptr, TRUE);
        return result;
    }
    case WM_ENABLE:
        ::InvalidateRect(m_hWnd, nullptr, TRUE);
        return 0;
    default:
        return CPaintedStatic::WindowProc(message, wParam, lParam);
    }
}

void CValueText::Paint(HDC dc) {
    RECT client;
    ::GetClientRect(m_hWnd, &client);
    // The page chooses the background and the text colour, as it does for
    // every static control.
    HBRUSH brush = reinterpret_cast<HBRUSH>(::SendMessageA(::GetParent(m_hWnd), WM_CTLCOLORSTATIC,
                                                           reinterpret_cast<WPARAM>(dc),
                                                           reinterpret_cast<LPARAM>(m_hWnd)));
    ::FillRect(dc, &client, brush ? brush : ::GetSysColorBrush(COLOR_BTNFACE));
    if (!::IsWindowEnabled(m_hWnd))
        ::SetTextColor(dc, ::GetSysColor(COLOR_GRAYTEXT));

    CString text;
    GetWindowText(text);
    HFONT font = reinterpret_cast<HFONT>(::SendMessageA(m_hWnd, WM_GETFONT, 0, 0));
    HGDIOBJ oldFont = font ? ::SelectObject(dc, font) : nullptr;
    int oldMode = ::SetBkMode(dc, TRANSPARENT);
    RECT inside = client;
    inside.left += kInnerMargin;
    inside.right -= kInnerMargin;
    ::DrawTextA(dc, text.c_str(), -1, &inside, DT_LEFT | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    ::SetBkMode(dc, oldMode);
    if (oldFont)
        ::SelectObject(dc, oldFont);
}
