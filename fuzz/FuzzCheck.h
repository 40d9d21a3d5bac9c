// What a fuzz target asserts about the code under test: a failed check
// aborts, which libFuzzer reports as a crash together with the input.
#pragma once

#include <stdio.h>
#include <stdlib.h>

#define FUZZ_CHECK(cond)                                                                           \
    do {                                                                                           \
        if (!(cond)) {                                                                             \
            fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #cond);               \
            abort();                                                                               \
        }                                                                                          \
    } while (0)
