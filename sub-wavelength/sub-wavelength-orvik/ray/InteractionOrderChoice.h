#pragma once

// The propagating orders of one ray and the random choice among them.
//
// Result codes of an interaction: 0 = no outgoing ray; a negative value for a
// reflected ray, a positive one for a transmitted ray; magnitude 1 for the
// specular zeroth order of a family so flagged and for the Fresnel fallback,
// 6 for every other order. A lossless specific order answers +1 either way.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "orders/PropagatingOrders.h"
namespace quelbrant {

constexpr int NoOutgoingRay = 0;
constexpr int LosslessSpecificOrderWritten = 1;

// Upper end of the random draw. The draw runs up to the incident power, so
// that the share the orders do not carry is lost, only where that share is a
// loss: a lossy side with both families included and no more power out than
// in. Otherwise (lossless side, a table giving more than it receives, or
// one family excluded) every draw picks an order.
double randomDrawLimit(bool lossless, double totalPower, double inPower, bool includeReflection,
                       bool includeTransmission);

constexpr size_t NoOrderChosen = SIZE_MAX;

// Walks the powers in list order with a running sum from 0.0 and returns the
// first entry whose sum reaches rand (so rand = 0 picks the first entry), or
// NoOrderChosen when none does.
size_t chooseOrderByPower(const std::vector<double>& power, double rand);

// The host's code for the chosen entry: reflected entries come first in the
// list, the first reflectedCount of them.
int orderResultCode(const PropagatingOrderList& orders, size_t chosen, size_t reflectedCount);

}  // namespace quelbrant
