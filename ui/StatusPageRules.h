// The Status page's texts and its level meter's cover, from the status
// snapshot. Pure code; CDlgPPageStatus exchanges StatusPageTexts with its
// controls and moves the cover control to MeterCoverRect.
#pragma once

#include <stdint.h>

#include "adapter/AdapterRecords.h"
#include "framework/CString.h"

// The ten display strings, in the page's exchange order.
struct StatusPageTexts {
    CString accessPoint;     // 1011: "00-0B-A1-12-34-56", empty for FF-FF-FF-FF-FF-FF
    CString encryption;      // 1015: "WEP Enabled" or "None"
    CString channel;         // 1013: "36 / 5.18 GHz"
    CString networkMode;     // 1012: "Infrastructure", "Ad Hoc" or empty
    CString ownAddress;      // 1020: the adapter's permanent address (control hidden)
    CString receiveRate;     // 1022: "54 Mbps"
    CString connectionLabel; // 1004: "Connect to:", "Disconnected:" or "Not Available"
    CString networkName;     // 1010: the snapshot's SSID
    CString transmitRate;    // 1014: "54 Mbps"
    CString signal;          // 1134: "56%"
};

// The texts for the adapter access object's open flag (only its low bit
// counts) and snapshot, and the strategy's permanent address (null when
// there is no strategy: the own address stays empty). With the adapter
// closed every text is empty but the label, "Not Available"; that is also
// the page's state before its first refresh.
StatusPageTexts ComposeStatusTexts(uint16_t openFlag, const AdapterStatusSnapshot& snapshot,
                                   const uint8_t* permanentAddress);

struct CoverRect {
    int32_t left;
    int32_t top;
    int32_t width;
    int32_t height;
};

// Where the meter's cover goes: 3 pixels inside the meter's rectangle
// (page client coordinates), as tall as the uncovered quality leaves:
// trunc((meter height - 6) x (1 - quality x 0.01)). A closed adapter, or a
// negative quality, covers the whole inner height; nothing is ever larger
// than the meter's inside, nor negative.
CoverRect MeterCoverRect(int32_t meterLeft, int32_t meterTop, int32_t meterRight,
                         int32_t meterBottom, uint16_t openFlag, int32_t quality);

struct PageRect {
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
};

// Where the meter and its companions go once its bitmap is known (page
// client coordinates). The static control sizes its window, frame included,
// to the bitmap, so the frame leaves too little room and the image is drawn
// squeezed; the meter is therefore made as large as the image plus its
// frame (`frameWidth`, `frameHeight`: both sides together), keeping its top
// left corner, and the image shows at its own size inside, where the cover
// lies 3 pixels in. The percentage box keeps its size, has its middle under
// the meter's and lies at least `gap` below it; the "0%" mark keeps its left
// edge and size and ends level with the meter's bottom.
struct MeterLayout {
    PageRect meter;
    PageRect percentBox;
    PageRect bottomMark;
};
MeterLayout LayOutMeter(const PageRect& meter, int32_t frameWidth, int32_t frameHeight,
                        int32_t imageWidth, int32_t imageHeight, const PageRect& percentBox,
                        const PageRect& bottomMark, int32_t gap);
