#pragma once
// The memory rule of every reader: an input under 1 MiB may never need more than 256 MiB.
// Under AddressSanitizer the allocator reports every allocation and release, so the peak of
// the bytes alive while one input is read is known exactly. Without it nothing is measured.

#include <atomic>
#include <cstddef>
#include <cstdint>

#if defined(__SANITIZE_ADDRESS__)
#define LW_FUZZ_MEMORY_WATCH 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define LW_FUZZ_MEMORY_WATCH 1
#endif
#endif

#ifdef LW_FUZZ_MEMORY_WATCH
extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*mallocHook)(const volatile void*,
                                                                            size_t),
                                                         void (*freeHook)(const volatile void*));
extern "C" size_t __sanitizer_get_allocated_size(const volatile void* p);
#endif

namespace lwfuzz {

constexpr size_t kSmallInput = size_t(1) << 20;
constexpr size_t kMemoryBudget = size_t(256) << 20;

class MemoryWatch {
public:
    static bool available() {
#ifdef LW_FUZZ_MEMORY_WATCH
        return true;
#else
        return false;
#endif
    }

    // Starts measuring from the bytes alive now.
    MemoryWatch() {
        install();
        base_ = live().load(std::memory_order_relaxed);
        peak().store(base_, std::memory_order_relaxed);
    }
    // The most bytes alive at once since the start, beyond those alive at the start.
    size_t peakBytes() const {
        const size_t p = peak().load(std::memory_order_relaxed);
        return p > base_ ? p - base_ : 0;
    }

private:
    static std::atomic<size_t>& live() {
        static std::atomic<size_t> bytes{0};
        return bytes;
    }
    static std::atomic<size_t>& peak() {
        static std::atomic<size_t> bytes{0};
        return bytes;
    }
#ifdef LW_FUZZ_MEMORY_WATCH
    static void allocated(const volatile void*, size_t size) {
        const size_t now = live().fetch_add(size, std::memory_order_relaxed) + size;
        size_t seen = peak().load(std::memory_order_relaxed);
        while (now > seen && !peak().compare_exchange_weak(seen, now, std::memory_order_relaxed)) {
        }
    }
    static void released(const volatile void* p) {
        // Blocks allocated before the hooks were installed were never counted.
        const size_t size = __sanitizer_get_allocated_size(p);
        size_t now = live().load(std::memory_order_relaxed);
        while (!live().compare_exchange_weak(now, now >= size ? now - size : 0,
                                             std::memory_order_relaxed)) {
        }
    }
#endif
    static void install() {
#ifdef LW_FUZZ_MEMORY_WATCH
        static const bool installed =
            __sanitizer_install_malloc_and_free_hooks(allocated, released) != 0;
        (void)installed;
#endif
    }

    size_t base_ = 0;
};

} // namespace lwfuzz
