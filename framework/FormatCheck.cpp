#include "framework/FormatCheck.h"

#include <string.h>

namespace {

// Past the flags, width and precision of one conversion, in the order
// printf reads them; null when a width or precision has more than two digits.
const char* SkipConversionSpec(const char* p) {
    while (*p && strchr("-+ #0", *p))
        ++p;
    for (int part = 0; part < 2; ++part) {
        if (part == 1) {
            if (*p != '.')
                break;
            ++p;
        }
        int digits = 0;
        while (*p >= '0' && *p <= '9') {
            if (++digits > 2)
                return nullptr;
            ++p;
        }
    }
    return p;
}

} // namespace

bool FormatHasConversions(const char* format, const char* kinds) {
    for (const char* p = format; *p; ++p) {
        if (*p != '%')
            continue;
        ++p;
        if (*p == '%')
            continue;
        const char* spec = p;
        p = SkipConversionSpec(p);
        if (!p || !*p)
            return false;
        // A precision on %s cuts the text short ("%.s" prints nothing of
        // it): the line would lose the name it is there to show.
        if (*p == 's' && memchr(spec, '.', static_cast<size_t>(p - spec)))
            return false;
        char kind = *p == 's' ? 's' : strchr("diuxX", *p) ? 'd' : 0;
        if (!kind || *kinds != kind)
            return false;
        ++kinds;
    }
    return *kinds == '\0';
}
