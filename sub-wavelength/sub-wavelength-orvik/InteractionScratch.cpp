#include "InteractionScratch.h"

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

InteractionScratch& threadInteractionScratch()
{
    thread_local InteractionScratch scratch;
    return scratch;
}
