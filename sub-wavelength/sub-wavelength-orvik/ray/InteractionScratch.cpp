#include "ray/InteractionScratch.h"

#if defined(_WIN32)
#include <windows.h>

#include <memory>
#include <new>

#include "KeepLibraryLoaded.h"
#endif

namespace quelbrant {

namespace {

constexpr size_t InitialBufferBytes = 1024;

template <typename Vector>
void reserveInitialBuffer(Vector& v)
{
    v.reserve(InitialBufferBytes / sizeof(typename Vector::value_type));
}

}  // namespace

InteractionScratch::InteractionScratch()
{
    reserveInitialBuffer(Rinterp);
    reserveInitialBuffer(Tinterp);
    reserveInitialBuffer(Rinterp.m_size);
    reserveInitialBuffer(Tinterp.m_size);
    reserveInitialBuffer(k1gk2g);
    reserveInitialBuffer(orders.Ux);
    reserveInitialBuffer(orders.Uy);
    reserveInitialBuffer(orders.Uz);
    reserveInitialBuffer(orders.power);
    reserveInitialBuffer(orders.specOrDirac);
    reserveInitialBuffer(orders.ESOut);
    reserveInitialBuffer(orders.EPOut);
    reserveInitialBuffer(singleN);
    reserveInitialBuffer(singleM);
}

#if defined(_WIN32)

namespace {

void WINAPI deleteScratch(void* scratch)
{
    delete static_cast<InteractionScratch*>(scratch);
}

// Allocated once per process. The library stays loaded from then on, so
// the callback can still be called when the last thread that traced ends.
DWORD scratchSlot()
{
    static const DWORD slot = [] {
        keepLibraryLoaded();
        return FlsAlloc(&deleteScratch);
    }();
    return slot;
}

}  // namespace

// The Windows toolchain emulates thread-locals and, at thread exit, frees an
// emulated object's storage before running its destructor: a thread_local
// scratch would free its vectors from released memory (heap corruption in
// hosts whose threads end). Each thread's scratch hangs on a fiber-local
// slot instead, whose callback deletes it when the thread ends.
InteractionScratch& threadInteractionScratch()
{
    const DWORD slot = scratchSlot();
    if (slot == FLS_OUT_OF_INDEXES) {
        // The process has no slot left: each thread keeps its scratch until
        // the process ends rather than having none.
        thread_local InteractionScratch* kept = nullptr;
        if (kept == nullptr)
            kept = new InteractionScratch;
        return *kept;
    }
    if (auto* scratch = static_cast<InteractionScratch*>(FlsGetValue(slot)))
        return *scratch;
    auto scratch = std::make_unique<InteractionScratch>();
    if (!FlsSetValue(slot, scratch.get()))
        throw std::bad_alloc();
    return *scratch.release();
}

#else

InteractionScratch& threadInteractionScratch()
{
    thread_local InteractionScratch scratch;
    return scratch;
}

#endif

}  // namespace quelbrant
