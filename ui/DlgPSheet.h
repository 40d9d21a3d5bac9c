// The utility's property sheet. The tray adds its four pages in this order:
// Status, Configuration, Statistics, About. Every change is made on OK, so
// the sheet shows no Apply (nor Help) button.
#pragma once

#include "framework/PropertySheet.h"

class CDlgPSheet : public CPropertySheet {
public:
    CDlgPSheet(UINT captionId, HWND parent, UINT selectPage);

    // Closes the sheet as Cancel does (posts IDCANCEL). Asked before the
    // sheet's window exists, the request waits for it.
    void RequestClose();

protected:
    // Hides Help; when the sheet has an Apply button, hides it and centres
    // OK and Cancel 8 pixels apart.
    BOOL OnInitDialog() override;

private:
    bool closeRequested_ = false;
};
