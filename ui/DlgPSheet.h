// The utility's property sheet and its four pages, in the order the tray
// adds them: Status, Configuration, Statistics, About.
#pragma once

#include "framework/PropertySheet.h"

class CDlgPSheet : public CPropertySheet {
public:
    CDlgPSheet(UINT captionId, HWND parent, UINT selectPage);

protected:
    BOOL OnInitDialog() override;
};
