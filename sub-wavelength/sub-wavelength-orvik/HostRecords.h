#pragma once

// Records exchanged with the light-simulation host. They are a binary
// contract: plain 8-byte members, no padding, identical on Linux and
// Windows. The static_asserts below pin every offset.

#include <cstddef>

struct BsdfPluginInteraction_V2 {
    void* instance;     // the surface LoadFile returned
    double* direction;  // three doubles; overwritten with the outgoing direction
    double lambda;      // vacuum wavelength in nm
    double energy;
    double esr, esi;  // S field component, real and imaginary part
    double epr, epi;  // P field component
    double n1;        // index of the medium the ray comes from
    double n2;        // index of the medium on the other side
    double u, v;      // never read
    double x, y;      // hit point, host units (mm)
    double z;         // never read
};

struct BsdfPluginBSDF_V2 {
    void* instance;
    double theta_i, phi_i, theta_o, phi_o;
    double lambda, n1, n2;
    double u, v, x, y, z;
};

struct BsdfPluginData_V2 {
    void* instance;
    double theta_i, phi_i, lambda, n1, n2;
    double u, v, x, y, z;
    double absorption;
    double specularReflection, specularTransmission;
    double ReflectionCoefficient, TransmissionCoefficient;
};

static_assert(sizeof(void*) == 8 && sizeof(double*) == 8, "the host records assume 64-bit pointers");

static_assert(sizeof(BsdfPluginInteraction_V2) == 120, "BsdfPluginInteraction_V2 size");
static_assert(offsetof(BsdfPluginInteraction_V2, instance) == 0, "instance");
static_assert(offsetof(BsdfPluginInteraction_V2, direction) == 8, "direction");
static_assert(offsetof(BsdfPluginInteraction_V2, lambda) == 16, "lambda");
static_assert(offsetof(BsdfPluginInteraction_V2, energy) == 24, "energy");
static_assert(offsetof(BsdfPluginInteraction_V2, esr) == 32, "esr");
static_assert(offsetof(BsdfPluginInteraction_V2, esi) == 40, "esi");
static_assert(offsetof(BsdfPluginInteraction_V2, epr) == 48, "epr");
static_assert(offsetof(BsdfPluginInteraction_V2, epi) == 56, "epi");
static_assert(offsetof(BsdfPluginInteraction_V2, n1) == 64, "n1");
static_assert(offsetof(BsdfPluginInteraction_V2, n2) == 72, "n2");
static_assert(offsetof(BsdfPluginInteraction_V2, u) == 80, "u");
static_assert(offsetof(BsdfPluginInteraction_V2, v) == 88, "v");
static_assert(offsetof(BsdfPluginInteraction_V2, x) == 96, "x");
static_assert(offsetof(BsdfPluginInteraction_V2, y) == 104, "y");
static_assert(offsetof(BsdfPluginInteraction_V2, z) == 112, "z");

static_assert(sizeof(BsdfPluginBSDF_V2) == 104, "BsdfPluginBSDF_V2 size");
static_assert(offsetof(BsdfPluginBSDF_V2, instance) == 0, "instance");
static_assert(offsetof(BsdfPluginBSDF_V2, theta_i) == 8, "theta_i");
static_assert(offsetof(BsdfPluginBSDF_V2, phi_i) == 16, "phi_i");
static_assert(offsetof(BsdfPluginBSDF_V2, theta_o) == 24, "theta_o");
static_assert(offsetof(BsdfPluginBSDF_V2, phi_o) == 32, "phi_o");
static_assert(offsetof(BsdfPluginBSDF_V2, lambda) == 40, "lambda");
static_assert(offsetof(BsdfPluginBSDF_V2, n1) == 48, "n1");
static_assert(offsetof(BsdfPluginBSDF_V2, n2) == 56, "n2");
static_assert(offsetof(BsdfPluginBSDF_V2, u) == 64, "u");
static_assert(offsetof(BsdfPluginBSDF_V2, v) == 72, "v");
static_assert(offsetof(BsdfPluginBSDF_V2, x) == 80, "x");
static_assert(offsetof(BsdfPluginBSDF_V2, y) == 88, "y");
static_assert(offsetof(BsdfPluginBSDF_V2, z) == 96, "z");

static_assert(sizeof(BsdfPluginData_V2) == 128, "BsdfPluginData_V2 size");
static_assert(offsetof(BsdfPluginData_V2, instance) == 0, "instance");
static_assert(offsetof(BsdfPluginData_V2, theta_i) == 8, "theta_i");
static_assert(offsetof(BsdfPluginData_V2, phi_i) == 16, "phi_i");
static_assert(offsetof(BsdfPluginData_V2, lambda) == 24, "lambda");
static_assert(offsetof(BsdfPluginData_V2, n1) == 32, "n1");
static_assert(offsetof(BsdfPluginData_V2, n2) == 40, "n2");
static_assert(offsetof(BsdfPluginData_V2, u) == 48, "u");
static_assert(offsetof(BsdfPluginData_V2, v) == 56, "v");
static_assert(offsetof(BsdfPluginData_V2, x) == 64, "x");
static_assert(offsetof(BsdfPluginData_V2, y) == 72, "y");
static_assert(offsetof(BsdfPluginData_V2, z) == 80, "z");
static_assert(offsetof(BsdfPluginData_V2, absorption) == 88, "absorption");
static_assert(offsetof(BsdfPluginData_V2, specularReflection) == 96, "specularReflection");
static_assert(offsetof(BsdfPluginData_V2, specularTransmission) == 104, "specularTransmission");
static_assert(offsetof(BsdfPluginData_V2, ReflectionCoefficient) == 112, "ReflectionCoefficient");
static_assert(offsetof(BsdfPluginData_V2, TransmissionCoefficient) == 120, "TransmissionCoefficient");
