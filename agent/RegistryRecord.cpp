#include "RegistryRecord.h"

#include <limits.h>
#include <string.h>

const char kUnknownText[] = "Unknown";

void CopyRegistryText(char (&field)[NX_REGISTRY_TEXT_SIZE], const char* text) {
    if (!text)
        text = "";
    size_t n = strnlen(text, NX_REGISTRY_TEXT_SIZE - 1);
    memmove(field, text, n);
    field[n] = '\0';
}

int InstanceNumber(const char* subkey) {
    if (!subkey)
        return 0;
    const char* p = subkey;
    while (*p == ' ' || (*p >= '\t' && *p <= '\r'))
        ++p;
    bool negative = false;
    if (*p == '+' || *p == '-')
        negative = *p++ == '-';
    long long value = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        value = value * 10 + (*p - '0');
        if (value > static_cast<long long>(INT_MAX) + 1)
            value = static_cast<long long>(INT_MAX) + 1;
    }
    if (negative)
        return static_cast<int>(-value);
    return value > INT_MAX ? INT_MAX : static_cast<int>(value);
}

namespace {

// "[N] " with N in decimal, as "%d" writes it.
void FormatInstanceNumber(char (&out)[16], int n) {
    char digits[10];
    size_t count = 0;
    unsigned magnitude = n < 0 ? 0u - static_cast<unsigned>(n) : static_cast<unsigned>(n);
    do {
        digits[count++] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    size_t used = 0;
    out[used++] = '[';
    if (n < 0)
        out[used++] = '-';
    while (count > 0)
        out[used++] = digits[--count];
    out[used++] = ']';
    out[used++] = ' ';
    out[used] = '\0';
}

} // namespace

void FormatInstanceTitle(char (&title)[NX_REGISTRY_TEXT_SIZE], const char* subkey,
                         const char* description) {
    // "[%d] %s", the description cut where the field ends.
    char number[16];
    FormatInstanceNumber(number, InstanceNumber(subkey));
    char text[NX_REGISTRY_TEXT_SIZE];
    CopyRegistryText(text, description); // the description may live in `title` itself
    size_t used = strlen(number);
    memcpy(title, number, used);
    size_t n = strnlen(text, NX_REGISTRY_TEXT_SIZE - 1 - used);
    memcpy(title + used, text, n);
    title[used + n] = '\0';
}

void Fill95Record(AdapterRegistryInfo& record, const char* subkey, const Values95& v) {
    CopyRegistryText(record.description,
                     v.subkeyOpened && v.driverDesc ? v.driverDesc : kUnknownText);
    FormatInstanceTitle(record.title, subkey, record.description);
}

void FillNt4Record(AdapterRegistryInfo& record, const ValuesNt4& v) {
    if (!v.subkeyOpened) {
        CopyRegistryText(record.name, kUnknownText);
        CopyRegistryText(record.description, kUnknownText);
        CopyRegistryText(record.title, kUnknownText);
        return;
    }
    CopyRegistryText(record.name, v.serviceName ? v.serviceName : kUnknownText);
    CopyRegistryText(record.description, v.description ? v.description : kUnknownText);
    CopyRegistryText(record.title, v.title ? v.title : record.description);
}

void Fill2000Record(AdapterRegistryInfo& record, const Values2000& v) {
    if (!v.subkeyOpened) {
        CopyRegistryText(record.name, kUnknownText);
        CopyRegistryText(record.description, kUnknownText);
        CopyRegistryText(record.title, kUnknownText);
        return;
    }
    CopyRegistryText(record.name, v.netCfgInstanceId ? v.netCfgInstanceId : kUnknownText);
    const char* description = v.driverDesc ? v.driverDesc : v.description;
    CopyRegistryText(record.description, description ? description : kUnknownText);
    CopyRegistryText(record.title, record.description);
}
