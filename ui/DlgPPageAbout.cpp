#include "ui/DlgPPageAbout.h"

#include "adapter/AdapterAccess.h"
#include "platform/FileVersion.h"
#include "platform/Platform.h"
#include "res/resource.h"
#include "ui/PageIds.h"

CDlgPPageAbout::CDlgPPageAbout() : CPropertyPage(IDD_PAGE_ABOUT) {
    m_psp.dwFlags &= ~PSP_HASHELP;

    const AdapterAccess& access = GetAdapterAccess();
    AboutPageSources sources;
    if (const CPlatform* strategy = access.Strategy()) {
        sources.strategyExists = true;
        access.FormatRegulatoryDomain(sources.regulatoryDomain);
        sources.driverVersion = strategy->DriverVersion();
        sources.driverDate = strategy->DriverDate();
        sources.permanentAddress = strategy->PermanentAddress();
        char path[MAX_PATH + 1] = {};
        DWORD length = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
        if (length > 0 && length < MAX_PATH)
            GetFileVersionAndDate(CString(path, length), sources.fileVersion, sources.fileDate);
    }
    texts_ = ComposeAboutTexts(sources);
}

void CDlgPPageAbout::DoDataExchange(CDataExchange* dx) {
    CPropertyPage::DoDataExchange(dx);
    DDX_Text(dx, IDC_ABOUT_DEVICE_NAME, texts_.deviceName);
    DDX_Text(dx, IDC_ABOUT_DOMAIN, texts_.regulatoryDomain);
    DDX_Text(dx, IDC_ABOUT_DRIVER_VERSION, texts_.driverVersion);
    DDX_Text(dx, IDC_ABOUT_DRIVER_DATE, texts_.driverDate);
    DDX_Text(dx, IDC_ABOUT_MAC, texts_.macAddress);
    DDX_Text(dx, IDC_ABOUT_VERSION, texts_.version);
    DDX_Text(dx, IDC_ABOUT_DATE, texts_.date);
}
