// The About page's texts, composed once when the page is constructed.
// Pure code; CDlgPPageAbout gathers the sources and exchanges the texts.
#pragma once

#include <stdint.h>

#include "framework/CString.h"

// What the texts are made of. The page fills it from the platform strategy
// (driver version, date, permanent address), the adapter access object
// (FormatRegulatoryDomain) and its own program file (GetFileVersionAndDate
// of the running module's path).
struct AboutPageSources {
    bool strategyExists = false; // without a strategy every text stays empty
    CString regulatoryDomain;    // "0x30 ETSI"
    CString driverVersion;
    CString driverDate;
    const uint8_t* permanentAddress = nullptr; // 6 bytes; null shows no address
    CString fileVersion;
    CString fileDate;
};

struct AboutPageTexts {
    CString deviceName;       // 1089
    CString regulatoryDomain; // 1091
    CString driverVersion;    // 1092
    CString driverDate;       // 1090
    CString macAddress;       // 1093
    CString version;          // 1095
    CString date;             // 1097
};

// Each text is its label followed by its value ("Driver Version: 5.0.1.2");
// an empty value leaves the label alone.
AboutPageTexts ComposeAboutTexts(const AboutPageSources& sources);
