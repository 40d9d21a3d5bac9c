#include "ui/StatusPageRules.h"

#include "adapter/StatusText.h"

StatusPageTexts ComposeStatusTexts(uint16_t openFlag, const AdapterStatusSnapshot& s,
                                   const uint8_t* permanentAddress) {
    StatusPageTexts t;
    if (!(openFlag & 1)) {
        t.connectionLabel = "Not Available";
        return t;
    }
    t.accessPoint = FormatAccessPointAddress(s.bssid);
    t.connectionLabel = ConnectionLabel(s.disconnected);
    t.networkName = SnapshotSsid(s);
    t.networkMode = NetworkModeText(s.networkMode);
    t.channel = FormatChannelFrequency(s.channel);
    t.receiveRate = FormatRate(s.rxRateMbps);
    t.transmitRate = FormatRate(s.txRateMbps);
    t.encryption = EncryptionText(s.wepEnabled);
    t.signal = FormatSignalQuality(s.signalLevel);
    if (permanentAddress)
        t.ownAddress = FormatMacAddress(permanentAddress);
    return t;
}

CoverRect MeterCoverRect(int32_t meterLeft, int32_t meterTop, int32_t meterRight,
                         int32_t meterBottom, uint16_t openFlag, int32_t quality) {
    double x = (openFlag & 1) ? quality * 0.01 : 0.0;
    // Quality is capped at 100 above; below, only a negative signal level
    // reaches here, and it must not make the cover outgrow the meter.
    if (x < 0.0)
        x = 0.0;
    if (x > 1.0)
        x = 1.0;
    double covered = 1.0 - x;

    int32_t inner = meterBottom - meterTop - 6;
    if (inner < 0)
        inner = 0;
    int32_t width = meterRight - meterLeft - 6;
    if (width < 0)
        width = 0;
    CoverRect r;
    r.left = meterLeft + 3;
    r.top = meterTop + 3;
    r.width = width;
    r.height = static_cast<int32_t>(inner * covered);
    return r;
}

MeterLayout LayOutMeter(const PageRect& meter, int32_t frameWidth, int32_t frameHeight,
                        int32_t imageWidth, int32_t imageHeight, const PageRect& percentBox,
                        const PageRect& bottomMark, int32_t gap) {
    MeterLayout l;
    l.meter = meter;
    l.meter.right = meter.left + imageWidth + frameWidth;
    l.meter.bottom = meter.top + imageHeight + frameHeight;

    int32_t boxWidth = percentBox.right - percentBox.left;
    int32_t boxHeight = percentBox.bottom - percentBox.top;
    l.percentBox.left = l.meter.left + (l.meter.right - l.meter.left - boxWidth) / 2;
    l.percentBox.right = l.percentBox.left + boxWidth;
    l.percentBox.top = percentBox.top;
    if (l.percentBox.top < l.meter.bottom + gap)
        l.percentBox.top = l.meter.bottom + gap;
    l.percentBox.bottom = l.percentBox.top + boxHeight;

    l.bottomMark = bottomMark;
    l.bottomMark.bottom = l.meter.bottom;
    l.bottomMark.top = l.meter.bottom - (bottomMark.bottom - bottomMark.top);
    return l;
}
