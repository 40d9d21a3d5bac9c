/* The simulated adapter as an 802.11 station: the driver parameter values
 * it takes up when it starts (the texts the utility writes into the
 * adapter's own key), the station configuration made of them (default
 * transmit key deciphered), and which networks such a station can join.
 * Plain C with fixed-width types, in wd_pure and in the driver. */
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "config/Blowfish.h"

#ifdef __cplusplus
extern "C" {
#endif

/* The driver values the station reads, in one table (SimParameterName). The
 * key slots 0..3 are the shared keys, slot 4 the unique key: the key texts
 * and the key lengths each run in slot order. */
typedef enum SimParameter {
    SIM_PARAM_SSID,
    SIM_PARAM_BSS_TYPE,
    SIM_PARAM_PRIVACY,
    SIM_PARAM_DEFAULT_KEY,
    SIM_PARAM_KEY0, /* key0..key3, uniqKey */
    SIM_PARAM_UNIQ_KEY = SIM_PARAM_KEY0 + 4,
    SIM_PARAM_KEY_LENGTH0, /* keyLength0..keyLength3, uniqKeyLength */
    SIM_PARAM_UNIQ_KEY_LENGTH = SIM_PARAM_KEY_LENGTH0 + 4,
    SIM_PARAM_TURBO,
    SIM_PARAM_CARD_ID,
    SIM_PARAM_COUNT
} SimParameter;

#define SIM_KEY_SLOTS 5u
#define SIM_UNIQUE_KEY_SLOT 4u

/* Longest value text kept (the cipher key's own limit: the utility cuts
 * "CardCfgId" to 255 characters too). */
#define SIM_PARAM_TEXT 255u

/* Longest WEP key, in bytes (128 bits). */
#define SIM_MAX_KEY_BYTES 16u

typedef struct SimDriverParameters {
    uint32_t present;  /* bit per SimParameter: the value is there, as text */
    uint32_t overlong; /* bit per SimParameter: longer than SIM_PARAM_TEXT, kept cut */
    char text[SIM_PARAM_COUNT][SIM_PARAM_TEXT + 1];
} SimDriverParameters;

/* What the station does, as its parameters say. */
typedef struct SimStationConfig {
    char ssid[SIM_PARAM_TEXT + 1]; /* empty: any network */
    uint32_t mode;                 /* 0 infrastructure, 1 ad hoc (as a network's mode) */
    uint32_t privacy;              /* nonzero: WEP with the default transmit key */
    uint32_t turbo;                /* nonzero: turbo where the network offers it */
    uint32_t keyLength;            /* bytes of the default transmit key; 0: none usable */
    uint8_t key[SIM_MAX_KEY_BYTES];
} SimStationConfig;

/* Value name of a parameter as the utility writes it, or NULL. */
const char* SimParameterName(uint32_t index);

void SimParametersInit(SimDriverParameters* parameters);

/* Records a value read as text (`length` bytes, need not be NUL-ended);
 * texts longer than SIM_PARAM_TEXT are kept cut and marked overlong. */
void SimParametersSetText(SimDriverParameters* parameters, uint32_t index, const char* text,
                          size_t length);

/* Records a value that is there but could not be read whole. */
void SimParametersSetOverlong(SimDriverParameters* parameters, uint32_t index);

/* Key slot the "defaultKey" text selects: 0..3 shared, 4 unique, -1 none
 * ("-2" and any other number). Read like C atoi, so a missing value is 0. */
int SimDefaultKeySlot(const SimDriverParameters* parameters);

/* The station as the parameters configure it. With privacy on, the default
 * transmit key is deciphered with the "CardCfgId" text as cipher key; it is
 * usable when its length is 5, 13 or 16 bytes and its text deciphers to at
 * least that many. `work` is scratch cipher state (wiped afterwards). */
void SimStationConfigure(SimStationConfig* out, const SimDriverParameters* parameters,
                         BlowfishContext* work);

/* The station of a driver whose parameters are all missing. */
void SimStationInit(SimStationConfig* out);

/* Decodes a plain hex key text (10, 26 or 32 digits); the byte count, or 0
 * when the text is not such a key. */
uint32_t SimDecodeKey(const char* text, uint8_t out[SIM_MAX_KEY_BYTES]);

/* True when the station can associate with a network of this name, mode
 * and plain key text (empty: open): the name equal (any name when the
 * station's is empty), the mode equal, and either privacy off and the
 * network open, or privacy on and the default transmit key equal to the
 * network's key in length and bytes. */
int SimStationAccepts(const SimStationConfig* station, const char* ssid, uint32_t mode,
                      const char* wepKey);

#ifdef __cplusplus
}
#endif
