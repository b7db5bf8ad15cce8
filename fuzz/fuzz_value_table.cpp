#include "ValueTableFuzz.h"

LW_FUZZ_TARGET(lwfuzz::pasteValueTables)
