#include "framework/PropertySheet.h"

#include "framework/WinApp.h"
#include "platform/ResourceText.h"

namespace {
// The sheet whose window the system is building: its callback carries no
// object of its own. One user-interface thread, one sheet at a time.
CPropertySheet* g_sheetBeingBuilt = nullptr;

// The common controls library, loaded when the first sheet runs and kept:
// the tray alone never needs it, and loaded with the program it made up a
// fifth of the idle program's private memory (1.7 MB under Wine).
struct CommonControls {
    typedef void(WINAPI* InitProc)();
    typedef HPROPSHEETPAGE(WINAPI* CreatePageProc)(LPCPROPSHEETPAGEA);
    typedef BOOL(WINAPI* DestroyPageProc)(HPROPSHEETPAGE);
    typedef INT_PTR(WINAPI* SheetProc)(LPCPROPSHEETHEADERA);

    CreatePageProc createPage = nullptr;
    DestroyPageProc destroyPage = nullptr;
    SheetProc propertySheet = nullptr;
};

template <typename Proc> void LookUp(HMODULE module, const char* name, Proc& out) {
    out = reinterpret_cast<Proc>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}

// Null when the library or one of its entry points cannot be had.
const CommonControls* LoadCommonControls() {
    static CommonControls controls;
    static bool tried = false;
    if (!tried) {
        tried = true;
        if (HMODULE module = ::LoadLibraryA("comctl32.dll")) {
            CommonControls::InitProc init = nullptr;
            LookUp(module, "InitCommonControls", init);
            LookUp(module, "CreatePropertySheetPageA", controls.createPage);
            LookUp(module, "DestroyPropertySheetPage", controls.destroyPage);
            LookUp(module, "PropertySheetA", controls.propertySheet);
            if (init)
                init();
        }
    }
    if (!controls.createPage || !controls.destroyPage || !controls.propertySheet)
        return nullptr;
    return &controls;
}
} // namespace

// ---- CPropertyPage ----

CPropertyPage::CPropertyPage(UINT templateId) : CDialog(templateId) {
    ZeroMemory(&m_psp, sizeof m_psp);
    // The first version of the header: what every comctl32 since Windows 95 takes.
    m_psp.dwSize = PROPSHEETPAGEA_V1_SIZE;
    m_psp.dwFlags = PSP_DEFAULT | PSP_HASHELP;
    m_psp.hInstance = AfxGetResourceHandle();
    m_psp.pszTemplate = MAKEINTRESOURCEA(templateId);
    m_psp.pfnDlgProc = &CPropertyPage::PageProc;
    m_psp.lParam = reinterpret_cast<LPARAM>(this);
}

void CPropertyPage::SetModified(BOOL changed) {
    if (!m_hWnd)
        return;
    ::SendMessageA(::GetParent(m_hWnd), changed ? PSM_CHANGED : PSM_UNCHANGED,
                   reinterpret_cast<WPARAM>(m_hWnd), 0);
}

BOOL CPropertyPage::OnSetActive() {
    if (firstSetActive_)
        firstSetActive_ = false; // OnInitDialog has just filled the controls
    else
        UpdateData(FALSE);
    return TRUE;
}

BOOL CPropertyPage::OnKillActive() {
    return UpdateData(TRUE);
}

BOOL CPropertyPage::OnApply() {
    OnOK();
    return TRUE;
}

bool CPropertyPage::OnNotify(NMHDR* header, LRESULT* result) {
    switch (header->code) {
    case PSN_SETACTIVE:
        *result = OnSetActive() ? 0 : -1;
        return true;
    case PSN_KILLACTIVE:
        *result = OnKillActive() ? FALSE : TRUE; // TRUE keeps the page
        return true;
    case PSN_APPLY:
        *result = OnApply() ? PSNRET_NOERROR : PSNRET_INVALID_NOCHANGEPAGE;
        return true;
    default:
        return false;
    }
}

INT_PTR CALLBACK CPropertyPage::PageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    CDialog* self;
    if (message == WM_INITDIALOG) {
        // The sheet hands the page its (copied) header; lParam is the object.
        const PROPSHEETPAGEA* page = reinterpret_cast<const PROPSHEETPAGEA*>(lParam);
        self = reinterpret_cast<CPropertyPage*>(page->lParam);
    } else {
        self = reinterpret_cast<CDialog*>(::GetWindowLongPtrA(window, DWLP_USER));
    }
    return Dispatch(self, window, message, wParam, lParam);
}

// ---- CPropertySheet ----

CPropertySheet::CPropertySheet(UINT captionId, HWND parent, UINT selectPage)
    : caption_(LoadResourceText(captionId)), parent_(parent), selectPage_(selectPage) {}

INT_PTR CPropertySheet::DoModal() {
    const CommonControls* controls = LoadCommonControls();
    if (!controls)
        return -1;
    Array<HPROPSHEETPAGE> handles;
    for (CPropertyPage* page : pages_) {
        HPROPSHEETPAGE handle = controls->createPage(&page->m_psp);
        if (!handle) {
            for (HPROPSHEETPAGE made : handles)
                controls->destroyPage(made);
            return -1;
        }
        handles.push_back(handle);
    }

    PROPSHEETHEADERA header;
    ZeroMemory(&header, sizeof header);
    header.dwSize = PROPSHEETHEADERA_V1_SIZE;
    header.dwFlags = PSH_USECALLBACK;
    header.hwndParent = parent_;
    header.hInstance = AfxGetResourceHandle();
    header.pszCaption = caption_.c_str();
    header.nPages = static_cast<UINT>(handles.size());
    header.nStartPage = selectPage_;
    header.phpage = handles.data();
    header.pfnCallback = &CPropertySheet::SheetCallback;

    g_sheetBeingBuilt = this;
    INT_PTR result = controls->propertySheet(&header); // owns the pages from here on
    g_sheetBeingBuilt = nullptr;
    if (m_hWnd)
        UnsubclassWindow();
    return result;
}

BOOL CPropertySheet::OnInitDialog() {
    return TRUE;
}

int CALLBACK CPropertySheet::SheetCallback(HWND window, UINT message, LPARAM) {
    if (message == PSCB_INITIALIZED && g_sheetBeingBuilt) {
        CPropertySheet* self = g_sheetBeingBuilt;
        g_sheetBeingBuilt = nullptr;
        self->SubclassWindow(window);
        self->OnInitDialog();
    }
    return 0;
}
