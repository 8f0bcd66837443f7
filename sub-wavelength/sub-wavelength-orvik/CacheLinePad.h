#pragma once

// Space that keeps an object's fields off the cache lines of its heap
// neighbours. An object every ray thread reads on every ray must not share a
// cache line with memory some thread writes (a thread's ray scratch, an
// allocator's bookkeeping): each such write would evict the line from every
// other core. A pad of a full line before and after the fields guarantees
// that, wherever the allocator places the object. Padding rather than
// alignas: over-aligned objects take the aligned forms of operator new, which
// the library's allocation accounting and out-of-memory checks do not see.

namespace quelbrant {

constexpr unsigned CacheLineBytes = 64;

struct CacheLinePad {
    char bytes[CacheLineBytes] = {};
};

}  // namespace quelbrant
