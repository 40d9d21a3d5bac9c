#include "ui/AboutPageRules.h"

#include "adapter/StatusText.h"

AboutPageTexts ComposeAboutTexts(const AboutPageSources& s) {
    AboutPageTexts t;
    if (!s.strategyExists)
        return t;
    t.deviceName = "Device Name: VELNORA KX750 802.11a Wireless Adapter";
    t.regulatoryDomain = "Regional Domain: " + s.regulatoryDomain;
    t.driverVersion = "Driver Version: " + s.driverVersion;
    t.driverDate = "Driver Date: " + s.driverDate;
    t.macAddress = CString("MAC Address: ");
    if (s.permanentAddress)
        t.macAddress += FormatMacAddress(s.permanentAddress);
    t.version = "Version: " + s.fileVersion;
    t.date = "Date: " + s.fileDate;
    return t;
}
