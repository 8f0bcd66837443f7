#pragma once

// pi to double precision: the value acos(-1.0) gives on every platform,
// fixed at compile time so that no code depends on initialisation order.
extern const double pi;
