/* The simulated adapter as a station; see SimStation.h. */
#include "driver/SimStation.h"

#include <string.h>

#include "config/KeyCipher.h"

static const char* const kNames[SIM_PARAM_COUNT] = {
    "ssid",       "bssType",       "privacyInvoked", "defaultKey", "key0",       "key1",
    "key2",       "key3",          "uniqKey",        "keyLength0", "keyLength1", "keyLength2",
    "keyLength3", "uniqKeyLength", "TurboEnable",    "CardCfgId"};

const char* SimParameterName(uint32_t index) {
    return index < SIM_PARAM_COUNT ? kNames[index] : NULL;
}

void SimParametersInit(SimDriverParameters* p) {
    memset(p, 0, sizeof *p);
}

void SimParametersSetText(SimDriverParameters* p, uint32_t index, const char* text, size_t length) {
    if (index >= SIM_PARAM_COUNT)
        return;
    size_t n = 0;
    while (n < length && text[n])
        ++n;
    p->present |= 1u << index;
    if (n > SIM_PARAM_TEXT) {
        n = SIM_PARAM_TEXT;
        p->overlong |= 1u << index;
    } else {
        p->overlong &= ~(1u << index);
    }
    memcpy(p->text[index], text, n);
    p->text[index][n] = '\0';
}

void SimParametersSetOverlong(SimDriverParameters* p, uint32_t index) {
    if (index >= SIM_PARAM_COUNT)
        return;
    p->present |= 1u << index;
    p->overlong |= 1u << index;
    p->text[index][0] = '\0';
}

static int IsPresent(const SimDriverParameters* p, uint32_t index) {
    return (p->present >> index) & 1u;
}

static int IsOverlong(const SimDriverParameters* p, uint32_t index) {
    return (p->overlong >> index) & 1u;
}

/* C atoi: leading blanks, a sign, digits; stops at anything else. Values
 * that do not fit are clamped, which no caller tells apart from "other". */
static long ParseDecimal(const char* text) {
    while (*text == ' ' || *text == '\t' || *text == '\n' || *text == '\r' || *text == '\v' ||
           *text == '\f')
        ++text;
    int negative = 0;
    if (*text == '+' || *text == '-')
        negative = *text++ == '-';
    long value = 0;
    while (*text >= '0' && *text <= '9') {
        if (value < 100000000L)
            value = value * 10 + (*text - '0');
        ++text;
    }
    return negative ? -value : value;
}

int SimDefaultKeySlot(const SimDriverParameters* p) {
    long v = ParseDecimal(p->text[SIM_PARAM_DEFAULT_KEY]);
    return v >= 0 && v <= 4 ? (int)v : -1;
}

static int IsKeyBytes(long bytes) {
    return bytes == 5 || bytes == 13 || bytes == 16;
}

void SimStationInit(SimStationConfig* out) {
    SimDriverParameters empty;
    SimParametersInit(&empty);
    SimStationConfigure(out, &empty, NULL);
}

/* Deciphers the default transmit key into the station; leaves keyLength 0
 * when the slot holds no usable key. */
static void TakeDefaultKey(SimStationConfig* out, const SimDriverParameters* p,
                           BlowfishContext* work) {
    int slot = SimDefaultKeySlot(p);
    if (slot < 0 || !work)
        return;
    uint32_t textIndex = SIM_PARAM_KEY0 + (uint32_t)slot;
    long bytes = ParseDecimal(p->text[SIM_PARAM_KEY_LENGTH0 + (uint32_t)slot]);
    const char* text = p->text[textIndex];
    size_t textLength = strlen(text);
    if (!IsKeyBytes(bytes) || textLength == 0 || IsOverlong(p, textIndex))
        return;
    const char* cardId = p->text[SIM_PARAM_CARD_ID];
    uint8_t plain[SIM_PARAM_TEXT + 1];
    size_t got = KeyCipherDecipherText(work, (const uint8_t*)cardId, strlen(cardId), text,
                                       textLength, plain, sizeof plain);
    if (got >= (size_t)bytes) {
        memcpy(out->key, plain, (size_t)bytes);
        out->keyLength = (uint32_t)bytes;
    }
    BlowfishWipe(plain, sizeof plain);
}

void SimStationConfigure(SimStationConfig* out, const SimDriverParameters* p,
                         BlowfishContext* work) {
    memset(out, 0, sizeof *out);
    /* An SSID no network can carry still names one: it joins nothing, it
     * does not turn into "any network". */
    if (IsOverlong(p, SIM_PARAM_SSID))
        memset(out->ssid, '?', SIM_PARAM_TEXT);
    else
        memcpy(out->ssid, p->text[SIM_PARAM_SSID], sizeof out->ssid);
    out->ssid[SIM_PARAM_TEXT] = '\0';
    /* As the utility reads its own values back: "2" ad hoc, anything else
     * infrastructure; "1" privacy; turbo unless "0". */
    out->mode = strcmp(p->text[SIM_PARAM_BSS_TYPE], "2") == 0 ? 1u : 0u;
    out->privacy = strcmp(p->text[SIM_PARAM_PRIVACY], "1") == 0;
    out->turbo = !(IsPresent(p, SIM_PARAM_TURBO) && strcmp(p->text[SIM_PARAM_TURBO], "0") == 0);
    if (out->privacy)
        TakeDefaultKey(out, p, work);
}

uint32_t SimDecodeKey(const char* text, uint8_t out[SIM_MAX_KEY_BYTES]) {
    size_t n = 0;
    while (n <= 2 * SIM_MAX_KEY_BYTES && text[n])
        ++n;
    if (!IsKeyBytes((long)(n / 2)) || n % 2 != 0)
        return 0;
    for (size_t i = 0; i < n / 2; ++i) {
        int hi = KeyCipherHexDigit(text[2 * i]);
        int lo = KeyCipherHexDigit(text[2 * i + 1]);
        /* Only real hex digits: the ':'..'@' leniency is for stored texts. */
        if (hi < 0 || lo < 0 || (text[2 * i] >= ':' && text[2 * i] <= '@') ||
            (text[2 * i + 1] >= ':' && text[2 * i + 1] <= '@'))
            return 0;
        out[i] = (uint8_t)(hi * 16 + lo);
    }
    return (uint32_t)(n / 2);
}

int SimStationAccepts(const SimStationConfig* station, const char* ssid, uint32_t mode,
                      const char* wepKey) {
    if (mode != station->mode)
        return 0;
    if (station->ssid[0] && strcmp(station->ssid, ssid) != 0)
        return 0;
    if (!station->privacy)
        return wepKey[0] == '\0';
    if (wepKey[0] == '\0' || station->keyLength == 0)
        return 0;
    uint8_t key[SIM_MAX_KEY_BYTES];
    uint32_t n = SimDecodeKey(wepKey, key);
    return n == station->keyLength && memcmp(key, station->key, n) == 0;
}
