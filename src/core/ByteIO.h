#pragma once
// Little-endian loads and stores, and a cursor that never reads outside its window.

#include <cstdint>
#include <cstring>
#include <vector>

namespace lw {

inline uint32_t loadU32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
inline uint16_t loadU16(const uint8_t* p) {
    return uint16_t(p[0] | p[1] << 8);
}
inline float loadF32(const uint8_t* p) {
    const uint32_t bits = loadU32(p);
    float f;
    std::memcpy(&f, &bits, 4);
    return f;
}

inline void appendU32(std::vector<uint8_t>& out, uint32_t v) {
    const size_t at = out.size();
    out.resize(at + 4);
    uint8_t* p = out.data() + at;
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
    p[2] = uint8_t(v >> 16);
    p[3] = uint8_t(v >> 24);
}
inline void appendF32(std::vector<uint8_t>& out, float f) {
    uint32_t bits;
    std::memcpy(&bits, &f, 4);
    appendU32(out, bits);
}
inline void appendBytes(std::vector<uint8_t>& out, const char* s, size_t n) {
    out.insert(out.end(), reinterpret_cast<const uint8_t*>(s),
               reinterpret_cast<const uint8_t*>(s) + n);
}
inline void storeU32(std::vector<uint8_t>& out, size_t at, uint32_t v) {
    out[at] = uint8_t(v);
    out[at + 1] = uint8_t(v >> 8);
    out[at + 2] = uint8_t(v >> 16);
    out[at + 3] = uint8_t(v >> 24);
}

// Reads forward inside [begin, end) of a buffer. Every read checks the window first and fails
// without moving when it would cross the end. A window whose begin lies past its end is empty
// (its position is its end), so no read from it can succeed.
class ByteReader {
public:
    ByteReader(const uint8_t* data, size_t begin, size_t end)
        : data_(data), pos_(begin <= end ? begin : end), end_(end) {}

    size_t pos() const { return pos_; }
    size_t end() const { return end_; }
    size_t remaining() const { return end_ - pos_; }
    bool has(size_t n) const { return n <= end_ - pos_; }

    [[nodiscard]] bool skip(size_t n) {
        if (!has(n))
            return false;
        pos_ += n;
        return true;
    }
    [[nodiscard]] bool u8(uint8_t& v) {
        if (!has(1))
            return false;
        v = data_[pos_++];
        return true;
    }
    [[nodiscard]] bool u32(uint32_t& v) {
        if (!has(4))
            return false;
        v = loadU32(data_ + pos_);
        pos_ += 4;
        return true;
    }
    [[nodiscard]] bool f32(float& v) {
        if (!has(4))
            return false;
        v = loadF32(data_ + pos_);
        pos_ += 4;
        return true;
    }
    // The one- or two-byte integer of object records.
    [[nodiscard]] bool varint(int32_t& v) {
        if (!has(1))
            return false;
        const uint8_t b0 = data_[pos_];
        if (b0 <= 0x7F) {
            v = b0;
            pos_ += 1;
            return true;
        }
        if (!has(2))
            return false;
        v = int32_t(b0 - 128) + 128 * int32_t(data_[pos_ + 1]);
        pos_ += 2;
        return true;
    }

private:
    const uint8_t* data_;
    size_t pos_;
    size_t end_;
};

} // namespace lw
