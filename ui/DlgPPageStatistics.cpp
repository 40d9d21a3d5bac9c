#include "ui/DlgPPageStatistics.h"

#include "adapter/AdapterAccess.h"
#include "res/resource.h"
#include "ui/PageIds.h"

CDlgPPageStatistics::CDlgPPageStatistics() : CPropertyPage(IDD_PAGE_STATISTICS) {
    m_psp.dwFlags &= ~PSP_HASHELP;
}

void CDlgPPageStatistics::DoDataExchange(CDataExchange* dx) {
    CPropertyPage::DoDataExchange(dx);
    DDX_Text(dx, IDC_STATS_RX_BYTES, receiveBytes_);
    DDX_Text(dx, IDC_STATS_TX_BYTES, transmitBytes_);
    DDX_Text(dx, IDC_STATS_RX_PACKETS, texts_.receivePackets);
    DDX_Text(dx, IDC_STATS_RX_ERRORS, texts_.receiveErrors);
    DDX_Text(dx, IDC_STATS_TX_ERRORS, texts_.transmitErrors);
    DDX_Text(dx, IDC_STATS_TX_PACKETS, texts_.transmitPackets);
    DDX_Control(dx, IDC_STATS_RX_GRAPH, receiveGraph_);
    DDX_Control(dx, IDC_STATS_TX_GRAPH, transmitGraph_);
}

BOOL CDlgPPageStatistics::OnInitDialog() {
    CPropertyPage::OnInitDialog();
    transmitCount_.SubclassDlgItem(IDC_STATS_TX_PACKETS, m_hWnd);
    receiveCount_.SubclassDlgItem(IDC_STATS_RX_PACKETS, m_hWnd);
    transmitGraph_.SetColor(RGB(192, 0, 0));
    receiveGraph_.SetColor(RGB(0, 192, 0));
    Refresh();
    UpdateData(FALSE);
    return TRUE;
}

BOOL CDlgPPageStatistics::OnSetActive() {
    SetTimer(kTimerId, kTimerPeriod);
    return CPropertyPage::OnSetActive();
}

BOOL CDlgPPageStatistics::OnKillActive() {
    KillTimer(kTimerId);
    previousTransmit_ = 0;
    previousReceive_ = 0;
    return CPropertyPage::OnKillActive();
}

void CDlgPPageStatistics::OnTimer(UINT_PTR) {
    Refresh();
    UpdateData(FALSE);
    Default();
}

void CDlgPPageStatistics::Refresh() {
    const AdapterStatusSnapshot& s = GetAdapterAccess().Snapshot();
    uint32_t packets = 0;
    if (NextThroughputSample(s.rxPackets, previousReceive_, packets)) {
        receiveGraph_.AddSample(packets);
        if (receiveGraph_.m_hWnd) // null would mean every window
            ::InvalidateRect(receiveGraph_.m_hWnd, nullptr, TRUE);
    }
    if (NextThroughputSample(s.txPackets, previousTransmit_, packets)) {
        transmitGraph_.AddSample(packets);
        if (transmitGraph_.m_hWnd)
            ::InvalidateRect(transmitGraph_.m_hWnd, nullptr, TRUE);
    }
    texts_ = ComposeStatisticsTexts(s);
}
