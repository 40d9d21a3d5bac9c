#include "ui/DlgPPageAbout.h"

#include "res/resource.h"

CDlgPPageAbout::CDlgPPageAbout() : CPropertyPage(IDD_PAGE_ABOUT) {
    m_psp.dwFlags &= ~PSP_HASHELP;
}
