#!/usr/bin/env python3
"""Write the sample grating characterisation files of data/ (Python 3, standard library only).

README
======

Usage
-----
    tools/samples/generate_samples.py                  # rewrite the committed samples in <repo>/data
    tools/samples/generate_samples.py --out DIR        # the same samples into DIR
    tools/samples/generate_samples.py --big 100 --big-path /tmp/grating-big.json
                                                       # one ~100 MB file for the loader benchmark
                                                       # (never commit it)
    tools/samples/check_samples.py [DIR | FILE ...]    # re-read and verify shapes, finiteness, power

The generator is deterministic: the same command writes byte-identical files
(`check_samples.py --regenerate` verifies that the committed files are current).

Samples
-------
All six put glass or fused silica below (n_lower, z < 0) and air above (n_upper = 1.0, z > 0),
fill both half spaces ("grat_results_lower": light arriving from below, travelling towards +z;
"grat_results_upper": from above, towards -z) and hold finite values only.

bare-interface.json
    Flat interface, n_lower 1.5 / n_upper 1.0, zeroth order only, diagonal S/P blocks equal to
    the library's own Fresnel fallback at every node (15 significant digits).  theta 0..89
    step 1 (the glass side also 41.8, just below its critical angle of 41.81), phi 0/180/360,
    wavelengths 400/550/700 nm (non-dispersive, so only theta matters).  Along phi and
    wavelength the table path therefore equals the fallback exactly; along theta it does at
    the nodes and to linear-interpolation accuracy between them; rays beyond 89 degrees take
    the 89-degree values.  Rays must carry the file's indices (n1 = 1.5, n2 = 1.0 from below;
    1.0, 1.5 from above), as the fallback uses the ray's own n1, n2.  Interpolation basis
    S/P (2) so that linear interpolation along phi and wavelength is exact; lossless;
    specular_R and specular_T set (result codes +-1, like the fallback).
grating-1d.json
    Sinusoidal relief grating, period 1 um, K1 = (2 pi / 1 um, 0) rad/m, relief 150 nm,
    glass / air, orders -1, 0, +1 in R and T.  theta 0..85 step 5 and 89 (the glass side's
    axis ends with an extra 41.8, out of order: the loader sorts it), phi 0..360 step 45,
    wavelengths 450/550/650 nm (a cell).  Interpolation basis S/P (2); lossless; specular
    flags set; reciprocal_lattice_vector_2 absent (zero).
grating-2d-positions.json
    Crossed relief grating with an absorbing coating (5 % of the power at 450 nm, 7 % at
    650 nm; "lossless" 0) on a position grid pos_x = -4/0/+4 mm (a 1 x 3 matrix),
    pos_y = -3/+3 mm, index_map [[1, 2, 3], [4, 5, 0]] (row = pos_y; no data at
    (+4 mm, +3 mm)), five positions whose periods (0.9..1.1 um and 1.14..1.26 um), lattice
    orientation (-5..+5 deg) and relief height (80..120 nm) differ; per-position lattice
    vectors as 5 x 2 matrices.  Orders (0,0), (1,0), (-1,0), (0,1), (0,-1) listed in that
    (unsorted) row order.  phi 0..360 step 90, 450/650 nm.  n_lower as a
    1 x 1 matrix.  theta 0/30/60/80/89.
grating-unit-vectors-xy.json
    Relief grating, period 0.8 um, grating vector at 30 deg to x, relief 120 nm, fused silica
    (1.46) / air, on a ux/uy grid -0.9..0.9 step 0.15 with the data in the X/Y basis
    (polarization_data_basis 2).  R lists only (0,0), T lists -1, 0, +1.  Wavelengths stored
    descending (650/550/450 nm): the loader sorts them.  Nodes outside the unit disc carry
    the values of |u| = 0.998 at the same azimuth (no ray reaches them; they bound the grid).
    Lattice vector given as a cell; lossless.
grating-kvector.json
    Relief grating along y: reciprocal_lattice_vector_1 = (0, 0), vector 2 = (0, 2 pi / 1.2 um);
    orders (0,-1), (0,0), (0,1); tabulated over the incident in-plane wave vector kx/ky (rad/m),
    each side's grid +-0.68 k0 n_in at 700 nm so every node is a real incidence at 500, 600 and
    700 nm.  S/P data; the loader interpolates k-vector grids in X/Y and converts on load.
    Lossless.
grating-1d-fconversion.json
    grating-1d's grating on a wavelength-dependent theta grid ("f_conversion" 1): row theta_i
    at wavelength lambda_k is the incidence sin(t) = lambda_k / lambda0 sin(theta_i) with
    1/lambda0 = (1/450 nm + 1/650 nm) / 2, i.e. one in-plane wave vector per row (theta_i
    0..80 step 10, phi step 45); rows that the loader clips to 90 degrees hold the values of
    89.99 degrees.  Interpolation basis S/P
    (default); converted to X/Y (basis 1 or 3), each node converts at its per-wavelength
    angle.  Lossless.

Grating tables are written with 12 significant digits, everything else with 15.
Flags are written as the numbers 0/1: JSON true/false is not read as a number by every reader
of the format.  Integral values (0, 1, theta 30, ...) are written without a decimal point;
the format reads JSON integers as numbers.

Conventions used to compute the tables
--------------------------------------
* SI units: wavelengths and positions in metres, polar angles in degrees, reciprocal lattice
  vectors and in-plane wave vectors in rad/m (|K| = 2 pi / period).  A host that works in mm and
  nm scales its ray position by 0.001 and its wavelength by 1e-9 before looking these tables up.
* Incident direction of a grid node, for light arriving from below (uz > 0) or above (uz < 0):
  polar (theta, phi): u = (sin t cos p, sin t sin p, +-cos t), phi being the azimuth of the
  incident propagation direction; unit vector: (ux, uy, +-sqrt(1 - ux^2 - uy^2)); k vector:
  (ux, uy) = (kx, ky) / (2 pi n_in / lambda).
* Orders follow the grating equation  k_out,xy = k_in,xy + n K1 + m K2  with
  |k_out| = 2 pi n_out / lambda (n_out = n_in for reflection); an order propagates when
  (k_out,xy / |k_out|)^2 < 1.  Listed orders that are evanescent at a node hold zeros.
* Table element (..., order row, PolOut o, PolIn c) carries incident component c into outgoing
  component o.  S/P basis of a direction u with phi = atan2(uy, ux):
  s = (sin phi, -cos phi, 0), p = (uz cos phi, uz sin phi, -sqrt(1 - uz^2)), s x p = u.
  A polar node at theta = 0 labels the S/P basis of its incident field (and of the zeroth
  orders, also normal) by the node's phi, as the loader's basis conversion does; its data
  therefore differ between phi nodes in S/P but describe one and the same physical
  Jones matrix, identical in X/Y.
  X/Y basis: the Cartesian (Ex, Ey) of the same field.
* Power normalisation: the library gives an order the power |J e|^2 (J the order's 2x2 block in
  S/P, e the unit incident S/P field), with no flux factor of its own.  The coefficients are
  therefore power-normalised amplitudes: transmission carries sqrt(n_out cos t_out / (n_in cos t_in)),
  exactly like the library's Fresnel fallback.  A lossless node has
  sum over propagating orders (R and T) of J^H J = identity, i.e. unit power for every
  incident polarisation.

Physics
-------
1. Fresnel (flat interface, n1 incident side, n2 other side, N1 = u_in,z, N2 = transmitted z
   cosine with the sign of N1, s = (n1/n2)^2 (ux^2 + uy^2)):
      rs = (n1 N1 - n2 N2) / (n2 N2 + n1 N1)        rp = (n2 N1 - n1 N2) / (n1 N2 + n2 N1)
      ts = 2 n1 N1 / (n2 N2 + n1 N1) sqrt(|n2 N2 / (n1 N1)|)
      tp = 2 n1 N1 / (n1 N2 + n2 N1) sqrt(|n2 N2 / (n1 N1)|)
   so |rs|^2 + |ts|^2 = |rp|^2 + |tp|^2 = 1.  Beyond the critical angle (s > 1) N2 is
   i sqrt(s - 1) sign(N1), rs and rp are unimodular complex numbers and ts = tp = 0.
   These are the expressions, operand order included, of the library's refraction fallback,
   so the bare-interface table reproduces it at every node (n = 1.5 glass below, 1.0 air above).
2. Thin relief grating (Kirchhoff / Raman-Nath): a profile z = sum_d (h_d / 2) cos(K_d . r)
   imprints the phase amplitude a_R,d = k0 n_in |cos t_in| h_d on the reflected field and
   a_T,d = k0 |n_in cos t_in - n_out cos t_t| h_d / 2 on the transmitted field (k0 = 2 pi / lambda,
   t_t the zeroth transmitted angle).  Its order (n, m) gets the scalar amplitude
   i^(|n|+|m|) J_|n|(a_1) J_|m|(a_2) (Bessel functions).  With the flux factor |cos t_order|
   the family's (R or T) power fractions are
      eta_nm = J_|n|(a_1)^2 J_|m|(a_2)^2 |cos t_nm| / sum over propagating listed orders,
   renormalised over the listed orders that propagate, so a family's listed orders carry all
   of its power and an order that approaches its cut-off fades continuously (|cos t_nm| -> 0).
3. Family split: the R family carries the Fresnel reflectance of the zeroth order and the T
   family its transmittance (per polarisation), so R + T = 1 for each of S and P.  When the
   zeroth transmitted order is beyond the critical angle the T family is empty.
4. Polarisation of an order: the zeroth order of a family gets diag(f_s, f_p) (Fresnel
   amplitudes).  Every other order receives that field parallel-transported along the smallest
   rotation that turns the zeroth order's direction into the order's direction, written in the
   order's own S/P basis.  The rotation is orthogonal, so it moves no power between orders,
   and the result does not depend on how the S/P basis is labelled at normal incidence.
5. Between nodes the library interpolates the tables linearly, so powers there are only
   approximately conserved.  A survey of random rays through an emulation of the library's
   path gave |total power - 1| of 0.016 (median) / 0.12 (95 %) for grating-1d (S/P) and
   1e-4 / 0.0014 for bare-interface.  Interpolating in X/Y (which the library always does for
   ux/uy and kx/ky grids, and for polar grids with basis 1 or 3) is much worse near grazing
   incidence or emergence, because the P component is divided by the ray's own cos theta:
   median 0.06 / 95 % 0.5 for grating-unit-vectors-xy, and single rays above 5 in
   grating-kvector just inside the glass side's critical circle.  Compare those two files at
   the nodes.
6. grating-2d-positions: an absorbing coating removes A(lambda) = 5 % + 2 % (lambda - 450 nm) / 200 nm
   of every incident polarisation's power (all amplitudes scaled by sqrt(1 - A)); the file is
   marked lossy.
"""

import argparse
import cmath
import itertools
import json
import math
import os
import sys
from array import array

TWO_PI = 6.283185307179586
DEG = math.pi / 180.0

N_GLASS = 1.5
N_AIR = 1.0
N_SILICA = 1.46

DIGITS = 15  # significant digits of axes, lattice vectors and the Fresnel table
TABLE_DIGITS = 12  # significant digits of the grating tables (power sums stay within 1e-11 of 1)


# --------------------------------------------------------------------------------------------
# Number formatting and the matrix encoding
# --------------------------------------------------------------------------------------------

def formatNumber(x, digits=DIGITS):
    """Shortest text of x with `digits` significant digits; -0.0 is written as 0."""
    if x == 0:
        return "0"
    return format(x, "." + str(digits) + "g")


def quantise(x, digits=DIGITS):
    """x as it reads back from the file: the physics uses the axis and lattice values as written."""
    return float(formatNumber(x, digits))


class Matrix:
    """A JSON matrix object: extents first dimension first, elements first index fastest.

    `values` is a flat array('d') (real parts and imaginary parts interleaved when complex) or a
    list of ints for integer matrices.
    """

    def __init__(self, size, values, isComplex=False, isInt=False, digits=None):
        count = 1
        for extent in size:
            count *= extent
        stored = len(values) // 2 if isComplex else len(values)
        if stored != count:
            raise ValueError("matrix holds %d elements, extents %s need %d" % (stored, size, count))
        self.size = list(size)
        self.values = values
        self.isComplex = isComplex
        self.isInt = isInt
        self.digits = digits  # None: the document's precision


def realMatrix(size, values):
    return Matrix(size, array("d", values))


def intMatrix(size, values):
    return Matrix(size, [int(v) for v in values], isInt=True)


def orderList(rows):
    """K x 2 order list: the K n values first, then the K m values."""
    return intMatrix([len(rows), 2], [n for n, _ in rows] + [m for _, m in rows])


def latticeRows(vectors):
    """N x 2 real matrix of per-position vectors: the N x values first, then the N y values."""
    return realMatrix([len(vectors), 2], [v[0] for v in vectors] + [v[1] for v in vectors])


def cell(values):
    return {"_type": "cell", "_data": list(values)}


def rowVector(values):
    """A real vector in its matrix form (1 x N)."""
    return realMatrix([1, len(values)], values)


NUMBERS_PER_LINE = 24


def writeMatrix(out, matrix, digits, indent):
    out.write('{"_type": "matrix", "_complex": %s, "_size": [%s],\n'
              % ("true" if matrix.isComplex else "false", ", ".join(str(e) for e in matrix.size)))
    out.write(indent + ' "_data": [')
    values = matrix.values
    total = len(values)
    digits = matrix.digits or digits
    toText = str if matrix.isInt else (lambda v: formatNumber(v, digits))
    for start in range(0, total, NUMBERS_PER_LINE):
        if start:
            out.write(",\n" + indent + "   ")
        out.write(",".join(map(toText, values[start:start + NUMBERS_PER_LINE])))
    out.write("]}")


def writeValue(out, value, digits, indent):
    if isinstance(value, Matrix):
        writeMatrix(out, value, digits, indent)
    elif isinstance(value, dict):
        inner = indent + "  "
        out.write("{\n")
        for position, (key, item) in enumerate(value.items()):
            out.write(inner + json.dumps(key) + ": ")
            writeValue(out, item, digits, inner)
            out.write(",\n" if position + 1 < len(value) else "\n")
        out.write(indent + "}")
    elif isinstance(value, (list, tuple)):
        out.write("[" + ", ".join(formatJsonScalar(v, digits) for v in value) + "]")
    else:
        out.write(formatJsonScalar(value, digits))


def formatJsonScalar(value, digits):
    if isinstance(value, bool):
        raise TypeError("flags are written as 0/1 numbers")
    if isinstance(value, int):
        return str(value)
    if isinstance(value, float):
        if not math.isfinite(value):
            raise ValueError("non-finite number")
        return formatNumber(value, digits)
    if isinstance(value, str):
        return json.dumps(value)
    raise TypeError("cannot write %r" % (value,))


def writeDocument(path, document, digits=DIGITS):
    with open(path, "w", encoding="utf-8", newline="\n") as out:
        writeValue(out, document, digits, "")
        out.write("\n")


# --------------------------------------------------------------------------------------------
# Physics
# --------------------------------------------------------------------------------------------

def besselJ(order, x):
    """J_order(x) for order >= 0 by its power series (|x| stays below ~6 here, well converged)."""
    half = 0.5 * x
    term = 1.0
    for k in range(1, order + 1):
        term *= half / k
    total = term
    k = 0
    while True:
        k += 1
        term *= -half * half / (k * (k + order))
        total += term
        if abs(term) <= 1e-17 * abs(total) and k > abs(half):
            return total


def polarDirection(thetaDeg, phiDeg, fromLower):
    theta = thetaDeg * DEG
    phi = phiDeg * DEG
    sinTheta = math.sin(theta)
    uz = math.cos(theta)
    return (sinTheta * math.cos(phi), sinTheta * math.sin(phi), uz if fromLower else -uz)


def unitVectorDirection(ux, uy, fromLower, maxInPlane=0.998):
    """Incident direction of a ux/uy node; nodes outside the unit disc take the direction of
    the same azimuth at |u_xy| = maxInPlane (no ray reaches them, they only bound the grid)."""
    radius = math.hypot(ux, uy)
    if radius > maxInPlane:
        ux *= maxInPlane / radius
        uy *= maxInPlane / radius
    uz = math.sqrt(1.0 - ux * ux - uy * uy)
    return (ux, uy, uz if fromLower else -uz)


def fresnel(n1, n2, direction):
    """Power-normalised Fresnel amplitudes (rs, rp, ts, tp) and the zeroth transmitted
    direction (None beyond the critical angle), with the library fallback's expressions."""
    L, M, N = direction
    Lt = L * n1 / n2
    Mt = M * n1 / n2
    s = Mt * Mt + Lt * Lt
    if s > 1.0:
        N2 = cmath.sqrt(complex(1.0 - s, 0.0)) * math.copysign(1.0, N)
        rs = (n1 * N - n2 * N2) / (n2 * N2 + n1 * N)
        rp = (n2 * N - n1 * N2) / (n1 * N2 + n2 * N)
        return rs, rp, 0j, 0j, None
    N2 = math.copysign(math.sqrt(1.0 - s), N)
    rs = (n1 * N - n2 * N2) / (n2 * N2 + n1 * N)
    rp = (n2 * N - n1 * N2) / (n1 * N2 + n2 * N)
    ts = 2.0 * n1 * N / (n2 * N2 + n1 * N) * math.sqrt(abs(n2 * N2 / n1 / N))
    tp = 2.0 * n1 * N / (n1 * N2 + n2 * N) * math.sqrt(abs(n2 * N2 / n1 / N))
    return complex(rs), complex(rp), complex(ts), complex(tp), (Lt, Mt, N2)


def orderDirection(kInX, kInY, K1, K2, n, m, kMaterial, zSign):
    """Grating equation; None when the order is evanescent."""
    ux = (K2[0] * m + (K1[0] * n + kInX)) / kMaterial
    uy = (K2[1] * m + (K1[1] * n + kInY)) / kMaterial
    u2 = ux * ux + uy * uy
    if u2 >= 1.0:
        return None
    return (ux, uy, math.sqrt(1.0 - u2) * zSign)


def azimuth(u, normalLabel=None):
    """phi = atan2(uy, ux); a direction along z takes normalLabel when one is given (a polar node
    at theta = 0 labels its S/P basis by the node's phi, as the loader's basis conversion does)."""
    if normalLabel is not None and u[0] == 0 and u[1] == 0:
        return normalLabel
    return math.atan2(u[1], u[0])


def spBasis(u, normalLabel=None):
    """(s, p) unit vectors of direction u in the library's convention."""
    phi = azimuth(u, normalLabel)
    sinPhi, cosPhi = math.sin(phi), math.cos(phi)
    uz = u[2]
    sinTheta = math.sqrt(max(0.0, 1.0 - uz * uz))
    return (sinPhi, -cosPhi, 0.0), (uz * cosPhi, uz * sinPhi, -sinTheta)


def dot(a, b):
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]


def cross(a, b):
    return (a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0])


def rotateMinimal(v, fromDir, toDir):
    """v turned by the smallest rotation that takes unit vector fromDir onto toDir (Rodrigues)."""
    axis = cross(fromDir, toDir)
    sinAngle = math.sqrt(dot(axis, axis))
    cosAngle = dot(fromDir, toDir)
    if sinAngle < 1e-15:
        return v
    k = (axis[0] / sinAngle, axis[1] / sinAngle, axis[2] / sinAngle)
    kv = cross(k, v)
    kDotV = dot(k, v)
    return tuple(v[i] * cosAngle + kv[i] * sinAngle + k[i] * kDotV * (1.0 - cosAngle) for i in range(3))


def transportMatrix(zerothDir, orderDir, normalLabel):
    """Real orthogonal 2x2 [PolOut][PolIn] that carries a field given in the zeroth order's S/P
    basis into the order's S/P basis."""
    s0, p0 = spBasis(zerothDir, normalLabel)
    sOut, pOut = spBasis(orderDir)
    s0r = rotateMinimal(s0, zerothDir, orderDir)
    p0r = rotateMinimal(p0, zerothDir, orderDir)
    return ((dot(sOut, s0r), dot(sOut, p0r)), (dot(pOut, s0r), dot(pOut, p0r)))


def thinGratingAmplitudes(rows, kInX, kInY, K1, K2, kMaterial, zSign, phase1, phase2):
    """Per listed order: (complex amplitude with |amplitude|^2 = the order's power fraction of
    its family, outgoing direction or None).  Phase amplitudes phase1/phase2 belong to K1/K2."""
    cache1 = {}
    cache2 = {}
    raw = []
    weightSum = 0.0
    for n, m in rows:
        direction = orderDirection(kInX, kInY, K1, K2, n, m, kMaterial, zSign)
        if direction is None:
            raw.append((0.0, None, 0))
            continue
        if abs(n) not in cache1:
            cache1[abs(n)] = besselJ(abs(n), phase1)
        if abs(m) not in cache2:
            cache2[abs(m)] = besselJ(abs(m), phase2)
        scalar = cache1[abs(n)] * cache2[abs(m)]
        flux = abs(direction[2])
        weightSum += scalar * scalar * flux
        raw.append((scalar * math.sqrt(flux), direction, (abs(n) + abs(m)) % 4))
    result = []
    for amplitude, direction, quarterTurns in raw:
        if direction is None or weightSum <= 0.0:
            result.append((0j, direction))
            continue
        phase = (1, 1j, -1, -1j)[quarterTurns]
        result.append((phase * amplitude / math.sqrt(weightSum), direction))
    return result


ZERO_BLOCK = ((0j, 0j), (0j, 0j))
IDENTITY = ((1.0, 0.0), (0.0, 1.0))


def spToXyMatrix(u, normalLabel=None):
    """[[X<-S, X<-P], [Y<-S, Y<-P]] for direction u (library convertSPtoXY)."""
    phi = azimuth(u, normalLabel)
    s, c = math.sin(phi), math.cos(phi)
    return ((s, c * u[2]), (-c, s * u[2]))


def xyToSpMatrix(u, normalLabel=None):
    """Inverse of spToXyMatrix (library convertXYtoSP); uz != 0."""
    phi = azimuth(u, normalLabel)
    s, c = math.sin(phi), math.cos(phi)
    return ((s, -c), (c / u[2], s / u[2]))


def matMul(a, b):
    return tuple(tuple(a[i][0] * b[0][j] + a[i][1] * b[1][j] for j in range(2)) for i in range(2))


class Interface:
    """The grating's optical setting for light arriving from one side."""

    def __init__(self, nIn, nOut, fromLower):
        self.nIn = nIn
        self.nOut = nOut
        self.fromLower = fromLower


class Relief:
    """Lattice vectors (rad/m) and relief heights (m) along each, at one position."""

    def __init__(self, K1, K2, h1, h2=0.0):
        self.K1 = K1
        self.K2 = K2
        self.h1 = h1
        self.h2 = h2


def familyBlocks(rows, fresnelS, fresnelP, zerothDir, amplitudes, attenuation, normalLabel):
    """2x2 S/P blocks of one family (R or T) and the outgoing directions of its rows."""
    blocks = []
    for (n, m), (amplitude, direction) in zip(rows, amplitudes):
        if direction is None or amplitude == 0:
            blocks.append(ZERO_BLOCK)
            continue
        # the zeroth order keeps its Fresnel field untouched (no rounding from a near-identity turn)
        transport = IDENTITY if (n, m) == (0, 0) else transportMatrix(zerothDir, direction, normalLabel)
        scale = amplitude * attenuation
        blocks.append(tuple(tuple(transport[o][c] * (fresnelS if c == 0 else fresnelP) * scale
                                  for c in range(2)) for o in range(2)))
    return blocks, [direction for _, direction in amplitudes]


def evaluateNode(side, incident, wavelength, relief, rowsR, rowsT, absorption=0.0, xyBasis=False, phiLabel=None):
    """R and T blocks (one 2x2 [PolOut][PolIn] per listed row) of one grid node.

    phiLabel (radians): the node's phi on a polar grid; at normal incidence it fixes the S/P
    basis of the incident field and of the normal zeroth orders."""
    normalLabel = phiLabel if (incident[0] == 0 and incident[1] == 0) else None
    k0 = TWO_PI / wavelength
    kIn = k0 * side.nIn
    kInX, kInY = incident[0] * kIn, incident[1] * kIn
    cosIn = abs(incident[2])
    rs, rp, ts, tp, transmitted = fresnel(side.nIn, side.nOut, incident)
    attenuation = math.sqrt(1.0 - absorption)
    reflectedZSign = -math.copysign(1.0, incident[2])
    transmittedZSign = math.copysign(1.0, incident[2])

    phaseR1 = k0 * side.nIn * cosIn * relief.h1
    phaseR2 = k0 * side.nIn * cosIn * relief.h2
    ampR = thinGratingAmplitudes(rowsR, kInX, kInY, relief.K1, relief.K2, kIn, reflectedZSign, phaseR1, phaseR2)
    specular = (incident[0], incident[1], -incident[2])
    blocksR, dirsR = familyBlocks(rowsR, rs, rp, specular, ampR, attenuation, normalLabel)

    if transmitted is None:  # zeroth order totally reflected: the T family carries nothing
        blocksT = [ZERO_BLOCK] * len(rowsT)
        dirsT = [None] * len(rowsT)
    else:
        cosT = abs(transmitted[2])
        contrast = abs(side.nIn * cosIn - side.nOut * cosT)
        phaseT1 = k0 * contrast * relief.h1 / 2.0
        phaseT2 = k0 * contrast * relief.h2 / 2.0
        ampT = thinGratingAmplitudes(rowsT, kInX, kInY, relief.K1, relief.K2, k0 * side.nOut, transmittedZSign,
                                     phaseT1, phaseT2)
        blocksT, dirsT = familyBlocks(rowsT, ts, tp, transmitted, ampT, attenuation, normalLabel)

    if xyBasis:
        toSp = xyToSpMatrix(incident, normalLabel)
        blocksR = [toXy(block, direction, toSp, normalLabel) for block, direction in zip(blocksR, dirsR)]
        blocksT = [toXy(block, direction, toSp, normalLabel) for block, direction in zip(blocksT, dirsT)]
    return blocksR, blocksT


def toXy(block, outgoing, incidentXyToSp, normalLabel):
    """S/P block -> X/Y block: XY_out = A_out J B_in, the inverse of what the library undoes per ray."""
    if block is ZERO_BLOCK or outgoing is None:
        return ZERO_BLOCK
    return matMul(matMul(spToXyMatrix(outgoing, normalLabel), block), incidentXyToSp)


# --------------------------------------------------------------------------------------------
# Table assembly
# --------------------------------------------------------------------------------------------

def fillTables(nodeExtents, rowsR, rowsT, evaluate, digits=TABLE_DIGITS):
    """Dense file tables R and T of one half space.

    nodeExtents: extents of the leading dimensions ([position,] axis 1, axis 2, wavelength);
    evaluate(nodeIndex) returns the R and T blocks of that node.  Element
    (node..., row, o, c) sits at node + NN (row + K (o + 2 c)), first index fastest.
    """
    nodeCount = 1
    for extent in nodeExtents:
        nodeCount *= extent
    tables = []
    for rows in (rowsR, rowsT):
        tables.append(array("d", bytes(8 * 2 * nodeCount * len(rows) * 4)))
    ranges = [range(extent) for extent in reversed(nodeExtents)]
    for flat, reversedIndex in enumerate(itertools.product(*ranges)):
        blocks = evaluate(tuple(reversed(reversedIndex)))
        for table, rows, nodeBlocks in zip(tables, (rowsR, rowsT), blocks):
            rowCount = len(rows)
            for row, block in enumerate(nodeBlocks):
                for o in range(2):
                    for c in range(2):
                        value = block[o][c]
                        element = flat + nodeCount * (row + rowCount * (o + 2 * c))
                        table[2 * element] = value.real
                        table[2 * element + 1] = value.imag
    size = list(nodeExtents)
    return (Matrix(size + [len(rowsR), 2, 2], tables[0], isComplex=True, digits=digits),
            Matrix(size + [len(rowsT), 2, 2], tables[1], isComplex=True, digits=digits))


def halfSpace(rowsR, rowsT, tables, wavelength, angleDefinition, extra=None):
    result = {
        "list_orders_R": orderList(rowsR),
        "list_orders_T": orderList(rowsT),
        "R": tables[0],
        "T": tables[1],
        "wavelength": wavelength,
        "angle_definition": angleDefinition,
    }
    if extra:
        result.update(extra)
    return result


def sides(nLower, nUpper):
    return (Interface(nLower, nUpper, True), Interface(nUpper, nLower, False))


def steps(first, last, step):
    """Equidistant axis; rounding keeps nodes such as 0 exact (-0.9 + 3 * 0.3 is not 0.0)."""
    count = int(round((last - first) / step)) + 1
    return [quantise(round(first + i * step, 10) + 0.0) for i in range(count)]


def latticeVector(period, angleDeg, digits=DIGITS):
    """Reciprocal lattice vector 2 pi / period along angleDeg (from x), rad/m, rounded to the
    digits it is written with; components below 1e-12 of the length (cos 90 deg) are exact zeros."""
    magnitude = TWO_PI / period
    components = []
    for value in (magnitude * math.cos(angleDeg * DEG), magnitude * math.sin(angleDeg * DEG)):
        components.append(0.0 if abs(value) < 1e-12 * magnitude else quantise(value, digits))
    return tuple(components)


# --------------------------------------------------------------------------------------------
# The samples
# --------------------------------------------------------------------------------------------

ZERO_ORDER = [(0, 0)]
ORDERS_1D = [(-1, 0), (0, 0), (1, 0)]


def polarHalfSpaces(side, thetas, phis, wavelengths, relief, rowsR, rowsT, digits=TABLE_DIGITS, **options):
    def evaluate(index):
        i, j, k = index
        incident = polarDirection(thetas[i], phis[j], side.fromLower)
        return evaluateNode(side, incident, wavelengths[k], relief, rowsR, rowsT, phiLabel=phis[j] * DEG, **options)
    return fillTables([len(thetas), len(phis), len(wavelengths)], rowsR, rowsT, evaluate, digits)


# Just below the critical angle of glass (41.81 deg): a node there keeps linear interpolation
# from smearing the transmitted power across the onset of total internal reflection.
NEAR_CRITICAL_GLASS = 41.8


def bareInterface():
    """Flat glass (below) / air (above) interface: the Fresnel fallback as a table."""
    thetas = steps(0.0, 89.0, 1.0)
    phis = [0.0, 180.0, 360.0]
    wavelengths = [4e-07, 5.5e-07, 7e-07]
    flat = Relief((0.0, 0.0), (0.0, 0.0), 0.0)
    thetasBySide = (sorted(thetas + [NEAR_CRITICAL_GLASS]), thetas)
    document = {
        "description": "Flat interface, glass (n_lower 1.5, z < 0) / air (n_upper 1.0, z > 0); zeroth order "
                       "only, power-normalised Fresnel amplitudes in the S/P basis (diagonal blocks), identical "
                       "to the library's Fresnel fallback at every node; non-dispersive.",
        "version": "1.0",
        "generator": "tools/samples/generate_samples.py",
        "n_lower": N_GLASS,
        "n_upper": N_AIR,
        "polarization_data_basis": 1,
        "polarization_interpolation_basis": 2,
    }
    for name, side, thetas in zip(("grat_results_lower", "grat_results_upper"), sides(N_GLASS, N_AIR), thetasBySide):
        tables = polarHalfSpaces(side, thetas, phis, wavelengths, flat, ZERO_ORDER, ZERO_ORDER, digits=DIGITS)
        document[name] = halfSpace(ZERO_ORDER, ZERO_ORDER, tables, wavelengths,
                                   {"theta": thetas, "phi": phis},
                                   {"lossless": 1, "orvik": {"specular_R": 1, "specular_T": 1}})
    return document


PERIOD_1D = 1e-06
RELIEF_1D = 1.5e-07


def grating1d(thetas=None, phis=None, wavelengths=None, interpolationBasis=2):
    thetas = thetas or steps(0.0, 85.0, 5.0) + [89.0]
    phis = phis or steps(0.0, 360.0, 45.0)
    wavelengths = wavelengths or [4.5e-07, 5.5e-07, 6.5e-07]
    # glass side: one more node just below the critical angle, appended out of order (the
    # loader sorts the theta axis together with the tables)
    thetasBySide = (thetas + [NEAR_CRITICAL_GLASS], thetas)
    K1 = latticeVector(PERIOD_1D, 0.0)
    relief = Relief(K1, (0.0, 0.0), RELIEF_1D)
    document = {
        "description": "1-D sinusoidal relief grating, period 1 um along x, relief 150 nm, between glass "
                       "(n_lower 1.5) and air (n_upper 1.0); orders -1, 0, +1 reflected and transmitted; "
                       "thin-grating (Raman-Nath) order split, Fresnel R/T split; lossless.",
        "version": "1.0",
        "generator": "tools/samples/generate_samples.py",
        "n_lower": N_GLASS,
        "n_upper": N_AIR,
        "lattice_vector_1": [PERIOD_1D, 0.0],
        "reciprocal_lattice_vector_1": [K1[0], K1[1]],
        "polarization_data_basis": 1,
        "polarization_interpolation_basis": interpolationBasis,
    }
    for name, side, thetas in zip(("grat_results_lower", "grat_results_upper"), sides(N_GLASS, N_AIR), thetasBySide):
        tables = polarHalfSpaces(side, thetas, phis, wavelengths, relief, ORDERS_1D, ORDERS_1D)
        document[name] = halfSpace(ORDERS_1D, ORDERS_1D, tables, cell(wavelengths),
                                   {"theta": thetas, "phi": phis},
                                   {"lossless": 1, "orvik": {"specular_R": 1, "specular_T": 1}})
    return document


def grating1dFConversion():
    """grating-1d on a theta grid that depends on wavelength: row i at wavelength k has
    sin(theta_ik) = lambda_k / lambda0 sin(theta_i), 1/lambda0 = mean of 1/lambda_first and
    1/lambda_last, i.e. a constant in-plane wave vector per row.  Rows with sin > 1 (clipped to
    90 degrees by the loader) hold the grazing values of 89.99 degrees."""
    thetas = steps(0.0, 80.0, 10.0)
    phis = steps(0.0, 360.0, 45.0)
    wavelengths = [4.5e-07, 5.5e-07, 6.5e-07]
    inverseLambda0 = 0.5 * (1.0 / wavelengths[0] + 1.0 / wavelengths[-1])
    K1 = latticeVector(PERIOD_1D, 0.0)
    relief = Relief(K1, (0.0, 0.0), RELIEF_1D)
    document = {
        "description": "The grating of grating-1d.json (period 1 um along x, glass below, air above) sampled on "
                       "a wavelength-dependent theta grid (f_conversion): row theta_i at wavelength lambda "
                       "stands for sin(theta) = lambda / lambda0 sin(theta_i), 1/lambda0 = (1/450 nm + "
                       "1/650 nm) / 2; clipped rows hold grazing (89.99 deg) values; lossless.",
        "version": "1.0",
        "generator": "tools/samples/generate_samples.py",
        "n_lower": N_GLASS,
        "n_upper": N_AIR,
        "reciprocal_lattice_vector_1": [K1[0], K1[1]],
        "reciprocal_lattice_vector_2": [0.0, 0.0],
    }
    for name, side in zip(("grat_results_lower", "grat_results_upper"), sides(N_GLASS, N_AIR)):
        def evaluate(index, side=side):
            i, j, k = index
            # the loader's expression for the theta table, so clipped rows match it exactly
            x = wavelengths[k] * inverseLambda0 * math.sin(thetas[i] * math.pi / 180.0)
            theta = math.asin(x) * 180.0 / math.pi if x <= 1.0 else 89.99
            incident = polarDirection(min(theta, 89.99), phis[j], side.fromLower)
            return evaluateNode(side, incident, wavelengths[k], relief, ORDERS_1D, ORDERS_1D, phiLabel=phis[j] * DEG)
        tables = fillTables([len(thetas), len(phis), len(wavelengths)], ORDERS_1D, ORDERS_1D, evaluate)
        document[name] = halfSpace(ORDERS_1D, ORDERS_1D, tables, wavelengths,
                                   {"theta": thetas, "phi": phis, "f_conversion": 1.0},
                                   {"lossless": 1})
    return document


POS_X = [-0.004, 0.0, 0.004]
POS_Y = [-0.003, 0.003]
# index_map element (j, i) = position number of node (pos_x[i], pos_y[j]); 0 = no data
INDEX_MAP_2D = [[1, 2, 3],
                [4, 5, 0]]
ORDERS_2D = [(0, 0), (1, 0), (-1, 0), (0, 1), (0, -1)]  # rows deliberately not sorted


def relief2d(x, y):
    """Crossed grating at (x, y) in metres: period along K1 from 0.9 um (x = -4 mm) to 1.1 um
    (x = +4 mm), along K2 1.2 um +- 5 % over y, lattice turned by -5..+5 deg over y, relief
    heights 100 nm +- 20 % over x."""
    period1 = 1e-06 * (1.0 + 0.1 * x / 0.004)
    period2 = 1.2e-06 * (1.0 + 0.05 * y / 0.003)
    angle = 5.0 * y / 0.003
    height = 1e-07 * (1.0 + 0.2 * x / 0.004)
    return Relief(latticeVector(period1, angle), latticeVector(period2, angle + 90.0), height, height)


def absorption2d(wavelength):
    return 0.05 + 0.02 * (wavelength - 4.5e-07) / 2e-07


def grating2dPositions():
    thetas = [0.0, 30.0, 60.0, 80.0, 89.0]
    phis = steps(0.0, 360.0, 90.0)
    wavelengths = [4.5e-07, 6.5e-07]
    positions = []  # position number p -> (x, y), p from 1
    for j, row in enumerate(INDEX_MAP_2D):
        for i, number in enumerate(row):
            if number > 0:
                positions.append((number, POS_X[i], POS_Y[j]))
    positions.sort()
    reliefs = [relief2d(x, y) for _, x, y in positions]
    indexMapData = [INDEX_MAP_2D[j][i] for i in range(len(POS_X)) for j in range(len(POS_Y))]
    document = {
        "description": "Crossed sinusoidal relief grating between glass (n_lower 1.5) and air (n_upper 1.0) "
                       "with an absorbing coating (5 % at 450 nm to 7 % at 650 nm of the incident power), "
                       "characterised on a 3 x 2 grid of surface positions (metres) with no data at "
                       "(+4 mm, +3 mm); period, orientation and relief height vary over the surface.",
        "version": "1.0",
        "generator": "tools/samples/generate_samples.py",
        "n_lower": realMatrix([1, 1], [N_GLASS]),
        "n_upper": N_AIR,
        "spatial_variation_or_parameter_scan": {
            "pos_x": rowVector(POS_X),
            "pos_y": POS_Y,
            "index_map": intMatrix([len(POS_Y), len(POS_X)], indexMapData),
        },
        "reciprocal_lattice_vector_1": latticeRows([r.K1 for r in reliefs]),
        "reciprocal_lattice_vector_2": latticeRows([r.K2 for r in reliefs]),
    }
    for name, side in zip(("grat_results_lower", "grat_results_upper"), sides(N_GLASS, N_AIR)):
        def evaluate(index, side=side):
            p, i, j, k = index
            incident = polarDirection(thetas[i], phis[j], side.fromLower)
            return evaluateNode(side, incident, wavelengths[k], reliefs[p], ORDERS_2D, ORDERS_2D,
                                absorption=absorption2d(wavelengths[k]), phiLabel=phis[j] * DEG)
        tables = fillTables([len(reliefs), len(thetas), len(phis), len(wavelengths)], ORDERS_2D, ORDERS_2D,
                            evaluate)
        document[name] = halfSpace(ORDERS_2D, ORDERS_2D, tables, cell(wavelengths),
                                   {"theta": thetas, "phi": phis}, {"lossless": 0})
    return document


def gratingUnitVectorsXy(axis=None, wavelengths=None):
    axis = axis or steps(-0.9, 0.9, 0.15)
    wavelengths = wavelengths or [6.5e-07, 5.5e-07, 4.5e-07]  # descending on purpose: the loader sorts them
    K1 = latticeVector(8e-07, 30.0)
    relief = Relief(K1, (0.0, 0.0), 1.2e-07)
    rowsR = ZERO_ORDER
    rowsT = ORDERS_1D
    document = {
        "description": "1-D relief grating, period 0.8 um, grating vector at 30 deg to x, relief 120 nm, between "
                       "fused silica (n_lower 1.46) and air (n_upper 1.0); R lists the zeroth order only, T the "
                       "orders -1, 0, +1; data in the X/Y basis on a ux/uy grid (nodes outside the unit disc "
                       "carry the values of |u| = 0.998 at the same azimuth); wavelengths stored in descending "
                       "order; lossless.",
        "version": "1.0",
        "generator": "tools/samples/generate_samples.py",
        "n_lower": N_SILICA,
        "n_upper": N_AIR,
        "reciprocal_lattice_vector_1": cell([K1[0], K1[1]]),
        "polarization_data_basis": 2,
        "polarization_interpolation_basis": 3,
    }
    for name, side in zip(("grat_results_lower", "grat_results_upper"), sides(N_SILICA, N_AIR)):
        def evaluate(index, side=side):
            i, j, k = index
            incident = unitVectorDirection(axis[i], axis[j], side.fromLower)
            return evaluateNode(side, incident, wavelengths[k], relief, rowsR, rowsT, xyBasis=True)
        tables = fillTables([len(axis), len(axis), len(wavelengths)], rowsR, rowsT, evaluate)
        document[name] = halfSpace(rowsR, rowsT, tables, wavelengths, {"ux": axis, "uy": axis},
                                   {"lossless": 1})
    return document


def gratingKVector():
    """1-D grating along y, tabulated over the incident in-plane wave vector.  Each side's k grid
    spans +-0.68 k0 n_in of the longest wavelength, so every node is a real incidence at every
    wavelength (corner |u| <= 0.96)."""
    wavelengths = [5e-07, 6e-07, 7e-07]
    K2 = latticeVector(1.2e-06, 90.0)
    relief = Relief((0.0, 0.0), K2, 0.0, 1.5e-07)
    rows = [(0, -1), (0, 0), (0, 1)]
    document = {
        "description": "1-D relief grating, period 1.2 um along y (second lattice vector; the first is zero), "
                       "relief 150 nm, between glass (n_lower 1.5) and air (n_upper 1.0); tabulated over the "
                       "incident in-plane wave vector kx/ky in rad/m; orders (0, -1), (0, 0), (0, 1); lossless.",
        "version": "1.0",
        "generator": "tools/samples/generate_samples.py",
        "n_lower": N_GLASS,
        "n_upper": N_AIR,
        "reciprocal_lattice_vector_1": [0.0, 0.0],
        "reciprocal_lattice_vector_2": [K2[0], K2[1]],
    }
    for name, side in zip(("grat_results_lower", "grat_results_upper"), sides(N_GLASS, N_AIR)):
        extent = 0.68 * TWO_PI * side.nIn / wavelengths[-1]
        axis = [quantise(extent * (i - 3) / 3.0 + 0.0) for i in range(7)]

        def evaluate(index, side=side, axis=axis):
            i, j, k = index
            kMaterial = TWO_PI * side.nIn / wavelengths[k]
            ux, uy = axis[i] / kMaterial, axis[j] / kMaterial
            uz = math.sqrt(1.0 - ux * ux - uy * uy)
            incident = (ux, uy, uz if side.fromLower else -uz)
            return evaluateNode(side, incident, wavelengths[k], relief, rows, rows)
        tables = fillTables([len(axis), len(axis), len(wavelengths)], rows, rows, evaluate)
        document[name] = halfSpace(rows, rows, tables, wavelengths, {"kx": axis, "ky": axis}, {"lossless": 1})
    return document


SAMPLES = [
    ("bare-interface.json", bareInterface),
    ("grating-1d.json", grating1d),
    ("grating-2d-positions.json", grating2dPositions),
    ("grating-unit-vectors-xy.json", gratingUnitVectorsXy),
    ("grating-kvector.json", gratingKVector),
    ("grating-1d-fconversion.json", grating1dFConversion),
]


# --------------------------------------------------------------------------------------------
# The large benchmark file
# --------------------------------------------------------------------------------------------

BIG_DIGITS = 10
BIG_MAX_ORDER = 3


def bigDocument(wavelengthCount):
    """Crossed grating (periods 1.0 and 1.1 um, relief 80 nm each) between glass and air, orders
    -3..3 along both lattice vectors (49 listed in R and T), theta 0..88 step 2, phi 0..360 step 10,
    wavelengthCount wavelengths from 400 to 800 nm; lossless."""
    thetas = steps(0.0, 88.0, 2.0)
    phis = steps(0.0, 360.0, 10.0)
    if wavelengthCount == 1:
        wavelengths = [6e-07]
    else:
        wavelengths = [quantise(4e-07 + 4e-07 * k / (wavelengthCount - 1), BIG_DIGITS) for k in range(wavelengthCount)]
    K1 = latticeVector(1e-06, 0.0, BIG_DIGITS)
    K2 = latticeVector(1.1e-06, 90.0, BIG_DIGITS)
    relief = Relief(K1, K2, 8e-08, 8e-08)
    orders = [(n, m) for m in range(-BIG_MAX_ORDER, BIG_MAX_ORDER + 1) for n in range(-BIG_MAX_ORDER, BIG_MAX_ORDER + 1)]
    document = {
        "description": "Large benchmark file: crossed relief grating, periods 1.0 um (x) and 1.1 um (y), relief "
                       "80 nm, glass below, air above; orders -3..3 x -3..3; lossless.",
        "version": "1.0",
        "generator": "tools/samples/generate_samples.py --big",
        "n_lower": N_GLASS,
        "n_upper": N_AIR,
        "reciprocal_lattice_vector_1": [K1[0], K1[1]],
        "reciprocal_lattice_vector_2": [K2[0], K2[1]],
    }
    for name, side in zip(("grat_results_lower", "grat_results_upper"), sides(N_GLASS, N_AIR)):
        tables = polarHalfSpaces(side, thetas, phis, wavelengths, relief, orders, orders, digits=BIG_DIGITS)
        document[name] = halfSpace(orders, orders, tables, wavelengths, {"theta": thetas, "phi": phis},
                                   {"lossless": 1})
    return document


def writeBig(path, megabytes):
    """Size the wavelength axis from one measured wavelength, then write the file.  Returns the
    wavelength count and the file's size; a count of 0, and no file, when even the smallest file
    (two wavelengths, whose size is returned) is larger than asked for."""
    probe = path + ".probe"
    writeDocument(probe, bigDocument(1), BIG_DIGITS)
    perWavelength = os.path.getsize(probe)
    count = max(2, int(round(megabytes * 1e6 / perWavelength)))
    writeDocument(probe, bigDocument(count), BIG_DIGITS)
    size = os.path.getsize(probe)
    # Compared at the tenth of a megabyte the refusal names, so that asking
    # for the named size is accepted.
    if count == 2 and megabytes < round(size / 1e6, 1):
        os.remove(probe)
        return 0, size
    os.replace(probe, path)
    return count, size


def megabytesArgument(text):
    try:
        value = float(text)
    except ValueError:
        value = math.nan
    if not (math.isfinite(value) and value > 0):
        raise argparse.ArgumentTypeError("MB must be a positive number, not %r" % text)
    return value


def main(argv):
    repoData = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "data"))
    parser = argparse.ArgumentParser(description="Write the sample grating characterisation files.")
    parser.add_argument("--out", default=repoData, help="directory for the samples (default: %(default)s)")
    parser.add_argument("--big", type=megabytesArgument, metavar="MB",
                        help="instead of the samples, write one file of about MB megabytes to --big-path")
    parser.add_argument("--big-path", metavar="FILE", help="where --big writes its file")
    args = parser.parse_args(argv)

    if args.big is not None:
        if not args.big_path:
            parser.error("--big needs --big-path FILE")
        count, size = writeBig(args.big_path, args.big)
        if count == 0:
            parser.error("--big %g is below the smallest file it can write: %.1f MB (2 wavelengths)"
                         % (args.big, size / 1e6))
        print("%s: %d wavelengths, %.1f MB" % (args.big_path, count, size / 1e6))
        return 0

    os.makedirs(args.out, exist_ok=True)
    for fileName, build in SAMPLES:
        path = os.path.join(args.out, fileName)
        writeDocument(path, build())
        print("%s: %.0f KB" % (path, os.path.getsize(path) / 1e3))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
