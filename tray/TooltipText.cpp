#include "tray/TooltipText.h"

#include <string.h>

size_t CutTooltip(const char* text, LeadByteTest isLeadByte, char out[kTooltipMaxBytes + 1]) {
    size_t length = 0;
    if (text) {
        while (text[length] != '\0') {
            bool pair = isLeadByte && isLeadByte(static_cast<uint8_t>(text[length])) &&
                        text[length + 1] != '\0';
            size_t step = pair ? 2 : 1;
            if (length + step > kTooltipMaxBytes)
                break;
            length += step;
        }
        memcpy(out, text, length);
    }
    out[length] = '\0';
    return length;
}
