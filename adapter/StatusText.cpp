#include "adapter/StatusText.h"

#include <string.h>

#include "framework/FormatCheck.h"

int32_t SignalQuality(int32_t signalLevel) {
    // 64-bit intermediate: a wild level from the driver must not overflow.
    int64_t q = static_cast<int64_t>(signalLevel) * 100 / 95;
    if (q > 10)
        q += 45;
    if (q > 100)
        q = 100;
    if (q < INT32_MIN)
        q = INT32_MIN;
    return static_cast<int32_t>(q);
}

CString FormatSignalQuality(int32_t signalLevel) {
    CString text;
    text.Format("%d%%", static_cast<int>(SignalQuality(signalLevel)));
    return text;
}

uint32_t ChannelFrequencyMHz(uint32_t channel) {
    return 5000u + 5u * channel;
}

CString FormatChannelFrequency(uint32_t channel) {
    uint32_t f = ChannelFrequencyMHz(channel);
    CString text;
    text.Format("%d / %1d.%02d GHz", static_cast<int>(channel), static_cast<int>(f / 1000),
                static_cast<int>((f / 10) % 100));
    return text;
}

CString FormatRate(uint32_t mbps) {
    CString text;
    text.Format("%d Mbps", static_cast<int>(mbps));
    return text;
}

CString FormatMacAddress(const uint8_t a[6]) {
    CString text;
    text.Format("%02X-%02X-%02X-%02X-%02X-%02X", a[0], a[1], a[2], a[3], a[4], a[5]);
    return text;
}

CString FormatAccessPointAddress(const uint8_t bssid[6]) {
    CString text = FormatMacAddress(bssid);
    if (text == "FF-FF-FF-FF-FF-FF")
        text.Empty();
    return text;
}

const char* NetworkModeText(uint32_t networkMode) {
    switch (networkMode) {
    case 0:
        return "Infrastructure";
    case 1:
        return "Ad Hoc";
    default:
        return "";
    }
}

const char* EncryptionText(uint32_t wepEnabled) {
    return wepEnabled ? "WEP Enabled" : "None";
}

const char* ConnectionLabel(uint32_t disconnected) {
    return disconnected ? "Disconnected:" : "Connect to:";
}

CString FieldText(const char* field, size_t size) {
    return CString(field, strnlen(field, size));
}

CString SnapshotSsid(const AdapterStatusSnapshot& snapshot) {
    return FieldText(snapshot.ssid, sizeof snapshot.ssid);
}

uint32_t TransmitErrorSum(const AdapterStatusSnapshot& s) {
    return s.txErrorCount1 + s.txErrorCount2 + s.txErrorCount3 + s.txErrorCount4 + s.txErrorCount5 +
           s.txErrorCount6;
}

uint32_t ReceiveErrorSum(const AdapterStatusSnapshot& s) {
    return s.rxErrorCount1 + s.rxErrorCount2 + s.rxErrorCount3;
}

namespace {

struct DomainName {
    uint32_t code;
    uint32_t stringId;
};

const DomainName kDomains[] = {
    {0x10, IDS_DOMAIN_FCC},   {0x20, IDS_DOMAIN_DOC},    {0x30, IDS_DOMAIN_ETSI},
    {0x31, IDS_DOMAIN_SPAIN}, {0x32, IDS_DOMAIN_FRANCE}, {0x40, IDS_DOMAIN_MKK},
};

} // namespace

uint32_t RegulatoryDomainNameId(uint32_t code) {
    for (const DomainName& d : kDomains)
        if (d.code == code)
            return d.stringId;
    return IDS_DOMAIN_UNKNOWN;
}

CString FormatRegulatoryDomainText(const char* format, uint32_t code, const char* name) {
    // One integer (the code), then one plain %s (the name).
    if (!format || !FormatHasConversions(format, "ds"))
        format = "0x%02x %s";
    CString text;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
    text.Format(format, static_cast<unsigned>(code), name ? name : "");
#pragma GCC diagnostic pop
    return text;
}
