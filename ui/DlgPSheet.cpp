#include "ui/DlgPSheet.h"

CDlgPSheet::CDlgPSheet(UINT captionId, HWND parent, UINT selectPage)
    : CPropertySheet(captionId, parent, selectPage) {}

BOOL CDlgPSheet::OnInitDialog() {
    return CPropertySheet::OnInitDialog();
}
