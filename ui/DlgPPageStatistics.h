// The Statistics page: packet counters and two scrolling graphs of packets
// per second (transmit above, receive below). It never queries the adapter:
// it reads the status snapshot the tray's poll keeps fresh, once a second
// while it is the active page.
#pragma once

#include <stdint.h>

#include "framework/PropertySheet.h"
#include "ui/StatisticsRules.h"
#include "ui/ThroughputGraph.h"
#include "ui/ValueText.h"

class CDlgPPageStatistics : public CPropertyPage {
public:
    CDlgPPageStatistics();

    const CThroughputGraph& TransmitGraph() const { return transmitGraph_; }
    const CThroughputGraph& ReceiveGraph() const { return receiveGraph_; }
    const StatisticsTexts& Texts() const { return texts_; }

    enum : UINT_PTR { kTimerId = 2 };
    enum : UINT { kTimerPeriod = 1000 }; // ms

protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    BOOL OnSetActive() override;
    BOOL OnKillActive() override;
    void OnTimer(UINT_PTR id) override;

private:
    // Adds the packets counted since the previous reading to the graphs and
    // composes the counter texts.
    void Refresh();

    StatisticsTexts texts_;
    CString transmitBytes_; // hidden, never filled
    CString receiveBytes_;  // hidden, never filled
    CThroughputGraph transmitGraph_;
    CThroughputGraph receiveGraph_;
    uint32_t previousTransmit_ = 0; // 0: no previous reading
    uint32_t previousReceive_ = 0;
    // The two packet counters shown, drawn with a margin inside their frames.
    CValueText transmitCount_;
    CValueText receiveCount_;
};
