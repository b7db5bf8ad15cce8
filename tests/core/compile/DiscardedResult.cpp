// Must not compile with -Werror=unused-result: a result that may hold an error, or a read that
// may fail, cannot be dropped without a word. Each CASE is one way of dropping one.

#include "core/ByteIO.h"
#include "core/Result.h"

lw::Status save() {
    return lw::Error{"k", "t", "d"};
}
lw::Result<int> count() {
    return 1;
}

int main() {
#if CASE == 1
    save();
#elif CASE == 2
    count();
#elif CASE == 3
    const uint8_t bytes[4] = {};
    lw::ByteReader r(bytes, 0, 4);
    uint32_t v = 0;
    r.u32(v);
    return int(v);
#else
    // The control: results that are used compile cleanly.
    if (!save())
        return count().value();
#endif
    return 0;
}
