#include "ui/DlgPPageStatus.h"

#include "res/resource.h"

CDlgPPageStatus::CDlgPPageStatus() : CPropertyPage(IDD_PAGE_STATUS) {
    m_psp.dwFlags &= ~PSP_HASHELP;
}
