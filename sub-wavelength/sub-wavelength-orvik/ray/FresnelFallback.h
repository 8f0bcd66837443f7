#pragma once

// Plain Fresnel reflection and refraction at the flat interface between two
// homogeneous media, for rays the grating data cannot answer, and the
// in-plane rotation into the local frame of a polar position grid.
//
// Directions are unit vectors (L, M, N) in the surface frame, N along the
// normal (+z into the upper medium). Fields are the complex S and P
// amplitudes of the ray. n1 is the index of the medium the ray comes from,
// n2 that of the other side.

#include <complex>

namespace quelbrant {

// Amplitude coefficients. N1, N2: z components of the incident and the
// transmitted direction, both with the incident sign (the signs cancel).
// T = double, or std::complex<double> for the imaginary N2 of total internal
// reflection.
template <typename T>
T Fresnel_rs(double n1, double n2, double N1, T N2)
{
    return (n1 * N1 - n2 * N2) / (n2 * N2 + n1 * N1);
}

template <typename T>
T Fresnel_rp(double n1, double n2, double N1, T N2)
{
    return (n2 * N1 - n1 * N2) / (n1 * N2 + n2 * N1);
}

// Transmission coefficients scaled by sqrt(n2 N2 / (n1 N1)), so that
// |ts|^2 and |tp|^2 are power transmittances: |rs|^2 + |ts|^2 = 1 and
// |rp|^2 + |tp|^2 = 1 below the critical angle. Not defined at grazing
// incidence (N1 = 0 gives NaN); refraction never asks for it there.
double Fresnel_ts(double n1, double n2, double N1, double N2);
double Fresnel_tp(double n1, double n2, double N1, double N2);

// Reflects or refracts the ray in place: direction (L, M, N), field
// (esr + i esi, epr + i epi) and energy. isR / isT allow the reflected /
// transmitted branch; rand is uniform in [0, 1).
//
// - Both allowed, below the critical angle: reflection is drawn with
//   probability equal to the reflectance of the incident field (rand <= R,
//   a branch of zero power is never drawn); the draw carries the Fresnel
//   weight, so energy is left as it came in.
// - Only one branch allowed, or total internal reflection: that branch is
//   taken and energy becomes its power |E_out|^2, computed from the incoming
//   field amplitudes (under total internal reflection with isR the power is
//   unchanged; with only isT the ray dies: energy 0, L and M take the
//   would-be tangential components, N and the field are left).
// - The outgoing field is scaled to unit power.
// - An all-zero field gets energy 0 and is otherwise left alone. So is a ray
//   the interface cannot answer: a non-finite index, direction or field
//   part, an index not above zero, grazing incidence (N = 0), or an index
//   ratio n1/n2 so extreme that the tangential components overflow.
//
// Throws the error-table index of "Unknwon error. (refraction)" when neither
// branch is allowed; nothing has changed then.
void refraction(const double n1, const double n2, double& L, double& M, double& N, double& esr, double& esi,
                double& epr, double& epi, double& energy, bool isR, bool isT, double rand);

// Turns the x/y part of direction by -angle (radians) in place; z is kept.
// Rotating by a and then by -a restores the vector. A direction along the
// normal (x = y = 0) is left as it is, the signs of its zeros included. A
// null pointer is ignored; otherwise a non-finite angle makes x and y NaN.
void rotateRay(double* direction, const double angle);

}  // namespace quelbrant
