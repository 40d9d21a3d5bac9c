#include "ui/DlgPPageStatistics.h"

#include "res/resource.h"

CDlgPPageStatistics::CDlgPPageStatistics() : CPropertyPage(IDD_PAGE_STATISTICS) {
    m_psp.dwFlags &= ~PSP_HASHELP;
}
