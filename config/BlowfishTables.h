/* The published initial P-array and S-boxes of Blowfish. */
#ifndef WD_CONFIG_BLOWFISHTABLES_H
#define WD_CONFIG_BLOWFISHTABLES_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

extern const uint32_t kBlowfishInitialP[18];
extern const uint32_t kBlowfishInitialS[4][256];

#ifdef __cplusplus
}
#endif

#endif
