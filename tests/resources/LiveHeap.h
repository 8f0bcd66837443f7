#pragma once

// Counts the bytes the whole process holds through the global operator new
// (every container of the library allocates through it), so that a test can
// state that a load leaves nothing behind, or that a refused file never
// asked for much. The replacements are in LiveHeap.cpp.

#include <cstddef>

// Bytes allocated through operator new and not yet released, all threads.
size_t liveHeapBytes();

// The largest value liveHeapBytes() has had since the last reset, and the
// largest single request.
size_t peakLiveHeapBytes();
size_t largestHeapRequest();
void resetHeapPeaks();

// Requests made so far, refused ones included, all threads.
size_t heapRequests();

// Makes the n-th request from now (n >= 1, counted over all threads) fail
// as if the system refused it; 0 cancels. Whether it has failed since:
// heapRequestFailed().
void failHeapRequest(size_t n);
bool heapRequestFailed();
