#include "ReplaceFuzz.h"

LW_FUZZ_TARGET(lwfuzz::runReplaceQuery)
