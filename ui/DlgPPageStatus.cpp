#include "ui/DlgPPageStatus.h"

#include "adapter/AdapterAccess.h"
#include "adapter/StatusText.h"
#include "platform/Platform.h"
#include "res/resource.h"
#include "ui/PageIds.h"

CDlgPPageStatus::CDlgPPageStatus() : CPropertyPage(IDD_PAGE_STATUS) {
    texts_.connectionLabel = "Not Available";
    UpdateStatusTexts();
    m_psp.dwFlags &= ~PSP_HASHELP;
}

void CDlgPPageStatus::DoDataExchange(CDataExchange* dx) {
    CPropertyPage::DoDataExchange(dx);
    DDX_Text(dx, IDC_STATUS_AP_ADDRESS, texts_.accessPoint);
    DDX_Text(dx, IDC_STATUS_ENCRYPTION, texts_.encryption);
    DDX_Text(dx, IDC_STATUS_CHANNEL, texts_.channel);
    DDX_Text(dx, IDC_STATUS_MODE, texts_.networkMode);
    DDX_Text(dx, IDC_STATUS_OWN_MAC, texts_.ownAddress);
    DDX_Text(dx, IDC_STATUS_RX_RATE, texts_.receiveRate);
    DDX_Text(dx, IDC_STATUS_CONNECT_LABEL, texts_.connectionLabel);
    DDX_Text(dx, IDC_STATUS_NETWORK_NAME, texts_.networkName);
    DDX_Text(dx, IDC_STATUS_TX_RATE, texts_.transmitRate);
    DDX_Text(dx, IDC_STATUS_SIGNAL, texts_.signal);
}

namespace {

const int kValueTextIds[] = {IDC_STATUS_NETWORK_NAME, IDC_STATUS_AP_ADDRESS, IDC_STATUS_MODE,
                             IDC_STATUS_CHANNEL,      IDC_STATUS_TX_RATE,    IDC_STATUS_RX_RATE,
                             IDC_STATUS_ENCRYPTION,   IDC_STATUS_OWN_MAC};

// Between the meter's frame and the percentage box below it.
const int32_t kBoxGap = 8;

PageRect RectIn(HWND page, HWND control) {
    RECT r;
    ::GetWindowRect(control, &r);
    ::MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&r), 2);
    return PageRect{r.left, r.top, r.right, r.bottom};
}

void MoveTo(HWND control, const PageRect& r) {
    ::SetWindowPos(control, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
}

} // namespace

BOOL CDlgPPageStatus::OnInitDialog() {
    CPropertyPage::OnInitDialog();
    static_assert(sizeof kValueTextIds / sizeof kValueTextIds[0] ==
                      sizeof valueTexts_ / sizeof valueTexts_[0],
                  "one field object per value control");
    for (size_t i = 0; i < sizeof valueTexts_ / sizeof valueTexts_[0]; ++i)
        valueTexts_[i].SubclassDlgItem(kValueTextIds[i], m_hWnd);
    LayOutMeter();
    return TRUE;
}

void CDlgPPageStatus::LayOutMeter() {
    HWND meter = GetDlgItem(IDC_STATUS_METER);
    HWND box = GetDlgItem(IDC_STATUS_SIGNAL);
    HWND mark = GetDlgItem(IDC_STATUS_SCALE_BOTTOM);
    if (!meter || !box || !mark)
        return;
    HGDIOBJ image = reinterpret_cast<HGDIOBJ>(::SendMessageA(meter, STM_GETIMAGE, IMAGE_BITMAP, 0));
    BITMAP bm;
    if (!image || !::GetObjectA(image, sizeof bm, &bm))
        return;
    PageRect window = RectIn(m_hWnd, meter);
    RECT client;
    ::GetClientRect(meter, &client);
    ::MeterLayout l =
        ::LayOutMeter(window, (window.right - window.left) - client.right,
                      (window.bottom - window.top) - client.bottom, bm.bmWidth, bm.bmHeight,
                      RectIn(m_hWnd, box), RectIn(m_hWnd, mark), kBoxGap);
    MoveTo(meter, l.meter);
    MoveTo(box, l.percentBox);
    MoveTo(mark, l.bottomMark);
}

BOOL CDlgPPageStatus::OnSetActive() {
    UpdateStatusTexts();
    UpdateData(FALSE);
    UpdateSignalBar();
    SetTimer(kTimerId, kTimerPeriod);
    return CPropertyPage::OnSetActive();
}

BOOL CDlgPPageStatus::OnKillActive() {
    KillTimer(kTimerId);
    return CPropertyPage::OnKillActive();
}

void CDlgPPageStatus::OnTimer(UINT_PTR) {
    UpdateStatusTexts();
    UpdateData(FALSE);
    UpdateSignalBar();
    Default();
}

void CDlgPPageStatus::UpdateStatusTexts() {
    const AdapterAccess& access = GetAdapterAccess();
    const CPlatform* strategy = access.Strategy();
    texts_ = ComposeStatusTexts(access.OpenFlag(), access.Snapshot(),
                                strategy ? strategy->PermanentAddress() : nullptr);
}

void CDlgPPageStatus::UpdateSignalBar() {
    HWND cover = GetDlgItem(IDC_STATUS_COVER);
    HWND meter = GetDlgItem(IDC_STATUS_METER);
    if (cover && meter) {
        const AdapterAccess& access = GetAdapterAccess();
        RECT m;
        ::GetWindowRect(meter, &m);
        ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&m), 2);
        CoverRect r = MeterCoverRect(m.left, m.top, m.right, m.bottom, access.OpenFlag(),
                                     SignalQuality(access.Snapshot().signalLevel));
        ::SetWindowPos(cover, nullptr, r.left, r.top, r.width, r.height,
                       SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    }
    if (meter)
        ::UpdateWindow(meter);
}

LRESULT CDlgPPageStatus::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY)
        ReleaseBitmaps();
    return CPropertyPage::WindowProc(message, wParam, lParam);
}

// The bitmap controls load their images from the template. Windows deletes
// such an image with its control; Wine's static control never does, so every
// opening of the sheet left three bitmaps (some 80 KB) behind. Taken back
// from the control, an image is no longer the control's on either system.
void CDlgPPageStatus::ReleaseBitmaps() {
    for (int id : {IDC_STATUS_BANNER, IDC_STATUS_METER, IDC_STATUS_COVER}) {
        HWND control = GetDlgItem(id);
        if (!control)
            continue;
        HGDIOBJ image =
            reinterpret_cast<HGDIOBJ>(::SendMessageA(control, STM_SETIMAGE, IMAGE_BITMAP, 0));
        if (image)
            ::DeleteObject(image);
    }
}
