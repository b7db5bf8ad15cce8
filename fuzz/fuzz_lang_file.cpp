#include "LanguageFuzz.h"

LW_FUZZ_TARGET(lwfuzz::readLanguageFile)
