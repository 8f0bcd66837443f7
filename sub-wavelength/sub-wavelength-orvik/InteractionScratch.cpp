#include "InteractionScratch.h"

InteractionScratch& threadInteractionScratch()
{
    thread_local InteractionScratch scratch;
    return scratch;
}
