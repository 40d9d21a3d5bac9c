// CHexKeyEdit: the WEP key fields of the Configuration page. Accepts only
// hexadecimal digits (typed; pasted text is the page's to check), keeps its
// text masked, and knows whether it shows the placeholder of a stored key;
// the first keystroke or paste replaces the placeholder. The page decides
// what the field holds and clears the placeholder mark itself.
#pragma once

#include "framework/Wnd.h"

class CHexKeyEdit : public CEdit {
public:
    // 32-bit flags, as the page reads and writes them.
    BOOL placeholderShown = FALSE; // the text is the placeholder of a stored key
    BOOL hexOnly = TRUE;           // filter typed characters to hex digits

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void OnChar(WPARAM ch);
    void OnKeyDown(WPARAM key);
    void OnLButtonDown();
    // Empties the field at once, so that typed digits never mix with it.
    void ClearPlaceholder();
    // Tells the parent that the caret may have moved (WM_HEXKEY_CARET).
    void NotifyCaret();
};
