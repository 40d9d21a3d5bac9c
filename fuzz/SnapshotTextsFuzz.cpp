// Every text the tray and the pages derive from a status snapshot, from any
// 240 bytes a driver may return; and the regulatory domain line from any
// format a damaged string table may hold.
#include <fuzzer/FuzzedDataProvider.h>

#include <string.h>

#include <string>
#include <vector>

#include "adapter/StatusText.h"
#include "fuzz/FuzzCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    std::vector<uint8_t> bytes = in.ConsumeBytes<uint8_t>(sizeof(AdapterStatusSnapshot));
    bytes.resize(sizeof(AdapterStatusSnapshot));
    AdapterStatusSnapshot s;
    memcpy(&s, bytes.data(), sizeof s);

    int32_t quality = SignalQuality(s.signalLevel);
    FUZZ_CHECK(quality <= 100);
    FUZZ_CHECK(s.signalLevel < 0 || quality >= 0);
    FUZZ_CHECK(FormatSignalQuality(s.signalLevel).GetLength() <= 12);
    FUZZ_CHECK(FormatChannelFrequency(s.channel).GetLength() <= 32);
    FUZZ_CHECK(FormatRate(s.txRateMbps).GetLength() <= 16);
    FUZZ_CHECK(FormatRate(s.rxRateMbps).GetLength() <= 16);
    CString accessPoint = FormatAccessPointAddress(s.bssid);
    FUZZ_CHECK(accessPoint.IsEmpty() || accessPoint.GetLength() == 17);
    FUZZ_CHECK(NetworkModeText(s.networkMode) != nullptr);
    FUZZ_CHECK(EncryptionText(s.wepEnabled) != nullptr);
    FUZZ_CHECK(ConnectionLabel(s.disconnected) != nullptr);
    CString ssid = SnapshotSsid(s);
    FUZZ_CHECK(ssid.GetLength() <= static_cast<int>(sizeof s.ssid));
    FUZZ_CHECK(memcmp(ssid.c_str(), s.ssid, static_cast<size_t>(ssid.GetLength())) == 0);
    TransmitErrorSum(s);
    ReceiveErrorSum(s);

    std::string format = in.ConsumeRandomLengthString(64);
    std::string name = in.ConsumeRemainingBytesAsString();
    uint32_t id = RegulatoryDomainNameId(s.regulatoryDomain);
    FUZZ_CHECK(id >= IDS_DOMAIN_FCC && id <= IDS_DOMAIN_UNKNOWN);
    CString domain = FormatRegulatoryDomainText(format.c_str(), s.regulatoryDomain, name.c_str());
    // The line holds the name and a number, whatever the format said.
    FUZZ_CHECK(domain.GetLength() >= static_cast<int>(strlen(name.c_str())));
    return 0;
}
