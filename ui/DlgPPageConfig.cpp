#include "ui/DlgPPageConfig.h"

#include "res/resource.h"

CDlgPPageConfig::CDlgPPageConfig() : CPropertyPage(IDD_PAGE_CONFIG) {
    m_psp.dwFlags &= ~PSP_HASHELP;
}
