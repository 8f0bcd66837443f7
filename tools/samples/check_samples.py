#!/usr/bin/env python3
"""Re-read grating characterisation files and verify them (Python 3, standard library only).

    tools/samples/check_samples.py                   # every *.json in <repo>/data
    tools/samples/check_samples.py DIR_OR_FILE ...   # other files (e.g. the --big benchmark file,
                                                     # with --tolerance 1e-8: it has 10 digits)
The default tolerance, 1e-10, suits tables written with 12 significant digits.
    tools/samples/check_samples.py --regenerate      # also: the generator reproduces data/ byte for byte
    tools/samples/check_samples.py --self-test       # also: mutated copies of the samples are rejected

Checks, independent of the generator's code:
* format: required keys, the matrix encoding (element count = product of "_size"), order lists
  K x 2, R/T tables [position] x axis 1 x axis 2 x wavelength x K x 2 x 2 matching the axes,
  positive wavelengths, one angle form per half space and the same form on both sides,
  "f_conversion" only on a polar grid, position axes non-decreasing, index map
  [len(axis 2), len(axis 1)] with values <= the number of positions, per-position lattice
  vectors N x 2, flags written as 0/1, every number finite;
* physics, at every grid node that is a real incidence, the way the library computes powers:
  orders from the grating equation, X/Y blocks turned into S/P with the incident and outgoing
  directions, power of an order |J e|^2; the power matrix sum_orders J^H J must be the identity
  for a lossless half space (unit power for every incident polarisation) and at most the
  identity for a lossy one; listed orders that cannot propagate must hold zeros;
* on a polar grid, the theta = 0 nodes of all phi values describe the same physical Jones
  matrices once written in X/Y (their S/P bases are labelled by the node's phi);
* a flat interface (zeroth orders only, no lattice) against the textbook Fresnel amplitudes,
  computed from Snell's law (normal incidence glass/air: reflectance 0.04).
Exit status 0 when every file passes.
"""

import argparse
import cmath
import filecmp
import glob
import math
import os
import subprocess
import sys
import tempfile
import json

HERE = os.path.dirname(os.path.abspath(__file__))
REPO_DATA = os.path.normpath(os.path.join(HERE, "..", "..", "data"))


class FormatError(Exception):
    pass


def require(condition, message):
    if not condition:
        raise FormatError(message)


def isNumber(value):
    return isinstance(value, (int, float)) and not isinstance(value, bool)


def product(values):
    result = 1
    for v in values:
        result *= v
    return result


def readMatrix(obj, what, isComplex=None):
    """(extents, flat elements first index fastest); elements complex unless integer matrices."""
    require(isinstance(obj, dict) and obj.get("_type") == "matrix", what + ": not a matrix object")
    for key in ("_complex", "_data", "_size"):
        require(key in obj, what + ": matrix without " + key)
    require(isinstance(obj["_complex"], bool), what + ": _complex is not a boolean")
    size = obj["_size"]
    require(isinstance(size, list) and all(isinstance(e, int) and e >= 1 for e in size),
            what + ": _size must list integers >= 1")
    data = obj["_data"]
    require(isinstance(data, list) and all(isNumber(v) for v in data), what + ": _data must list numbers")
    require(all(math.isfinite(v) for v in data), what + ": non-finite number in _data")
    if isComplex is not None:
        require(obj["_complex"] == isComplex, what + ": _complex should be %s" % isComplex)
    if obj["_complex"]:
        require(len(data) % 2 == 0, what + ": odd number of values in a complex matrix")
        elements = [complex(data[2 * i], data[2 * i + 1]) for i in range(len(data) // 2)]
    else:
        elements = list(data)
    require(len(elements) == product(size),
            what + ": %d elements, _size %s needs %d" % (len(elements), size, product(size)))
    return size, elements


def readRealMatrix(obj, what):
    size, elements = readMatrix(obj, what)
    values = []
    for e in elements:
        if isinstance(e, complex):
            require(e.imag == 0, what + ": non-zero imaginary part in a real matrix")
            e = e.real
        values.append(float(e))
    return size, values


def readIntMatrix(obj, what):
    size, elements = readMatrix(obj, what, isComplex=False)
    require(all(float(v).is_integer() for v in elements), what + ": integer matrix holds a fraction")
    return size, [int(v) for v in elements]


def readNumber(parent, key, what):
    """A single number: a number or a one-element real matrix (what the loader reads)."""
    require(key in parent, what + ": missing " + key)
    value = parent[key]
    if isNumber(value):
        require(math.isfinite(value), what + ": " + key + " not finite")
        return float(value)
    _, values = readRealMatrix(value, what + "." + key)
    require(len(values) == 1, what + ": " + key + " is not a single number")
    return values[0]


def readVector(parent, key, what):
    """A real vector: number, cell, real matrix (flat order) or plain array."""
    require(key in parent, what + ": missing " + key)
    value = parent[key]
    if isNumber(value):
        return [float(value)]
    if isinstance(value, dict) and value.get("_type") == "cell":
        data = value.get("_data")
        require(isinstance(data, list) and all(isNumber(v) for v in data), what + ": bad cell " + key)
        return [float(v) for v in data]
    if isinstance(value, dict):
        size, values = readRealMatrix(value, what + "." + key)
        require(len(size) == 2, what + ": " + key + " as a matrix needs two extents")
        return values
    require(isinstance(value, list) and all(isNumber(v) for v in value), what + ": bad vector " + key)
    return [float(v) for v in value]


def readFlag(parent, key, what, default=False):
    if key not in parent:
        return default
    value = parent[key]
    require(isNumber(value) and value in (0, 1), what + ": flag " + key + " must be the number 0 or 1")
    return value == 1


# --------------------------------------------------------------------------------------------
# The library's geometry and bases
# --------------------------------------------------------------------------------------------

def spToXy(u):
    phi = math.atan2(u[1], u[0])
    s, c = math.sin(phi), math.cos(phi)
    return ((s, c * u[2]), (-c, s * u[2]))


def xyToSp(u):
    phi = math.atan2(u[1], u[0])
    s, c = math.sin(phi), math.cos(phi)
    return ((s, -c), (c / u[2], s / u[2]))


def mul(a, b):
    return tuple(tuple(a[i][0] * b[0][j] + a[i][1] * b[1][j] for j in range(2)) for i in range(2))


def addPowerMatrix(total, J):
    """total += J^H J."""
    for i in range(2):
        for j in range(2):
            total[i][j] += sum(J[o][i].conjugate() * J[o][j] for o in range(2))


def hermitianEigenvalues(M):
    a, d = M[0][0].real, M[1][1].real
    b = M[0][1]
    mean = 0.5 * (a + d)
    radius = math.sqrt(0.25 * (a - d) ** 2 + abs(b) ** 2)
    return mean - radius, mean + radius


class HalfSpace:
    pass


def readHalfSpace(doc, suffix, positionCount):
    what = "grat_results" + suffix
    require(isinstance(doc.get(what), dict), "missing object " + what)
    block = doc[what]
    hs = HalfSpace()
    hs.name = what
    hs.lossless = readFlag(block, "lossless", what)
    if "orvik" in block:
        require(isinstance(block["orvik"], dict), what + ": orvik is not an object")
        readFlag(block["orvik"], "specular_R", what)
        readFlag(block["orvik"], "specular_T", what)
    hs.wavelength = readVector(block, "wavelength", what)
    require(len(hs.wavelength) >= 1 and all(w > 0 for w in hs.wavelength), what + ": wavelengths must be > 0")
    angle = block.get("angle_definition")
    require(isinstance(angle, dict), what + ": missing angle_definition")
    forms = [f for f in (("theta", "phi"), ("ux", "uy"), ("kx", "ky")) if f[0] in angle or f[1] in angle]
    require(len(forms) == 1, what + ": angle_definition needs exactly one of theta/phi, ux/uy, kx/ky")
    hs.angleForm = forms[0][0]
    hs.axis1 = readVector(angle, forms[0][0], what)
    hs.axis2 = readVector(angle, forms[0][1], what)
    hs.fConversion = 0.0
    if "f_conversion" in angle:
        hs.fConversion = readNumber(angle, "f_conversion", what)
        require(hs.fConversion > 0 and hs.angleForm == "theta", what + ": f_conversion needs a polar grid and > 0")
    if hs.angleForm == "theta":
        require(all(0 <= t <= 90 for t in hs.axis1), what + ": theta outside 0..90 degrees")
    hs.families = {}
    for family in ("R", "T"):
        size, rows = readIntMatrix(block.get("list_orders_" + family), what + ".list_orders_" + family)
        require(len(size) == 2 and size[1] == 2, what + ": list_orders_" + family + " is not K x 2")
        count = size[0]
        orders = [(rows[k], rows[k + count]) for k in range(count)]
        require(len(set(orders)) == count, what + ": repeated order in list_orders_" + family)
        tsize, table = readMatrix(block.get(family), what + "." + family)
        lead = [positionCount] if positionCount else []
        expected = lead + [len(hs.axis1), len(hs.axis2), len(hs.wavelength), count, 2, 2]
        require(tsize == expected, what + ": %s has extents %s, expected %s" % (family, tsize, expected))
        hs.families[family] = (orders, tsize, [complex(v) for v in table])
    return hs


def block(table, extents, nodeFlat, row):
    nodeCount = product(extents[:-3])
    count = extents[-3]
    return tuple(tuple(table[nodeFlat + nodeCount * (row + count * (o + 2 * c))] for c in range(2)) for o in range(2))


def thetaTable(hs):
    """Theta per (row, wavelength) as the loader builds it for f_conversion (axes sorted)."""
    thetas, lambdas = sorted(hs.axis1), sorted(hs.wavelength)
    inverse = 0.5 * (1.0 / lambdas[0] + 1.0 / lambdas[-1])
    table = {}
    for i, t in enumerate(thetas):
        for k, lam in enumerate(lambdas):
            x = lam * inverse * math.sin(t * math.pi / 180.0)
            table[(t, lam)] = None if abs(x) > 1 else math.asin(x) * 180.0 / math.pi
    return table


def incidentDirection(hs, a1, a2, lam, nIn, fromLower, thetas):
    """Unit incident direction of a node, or None when no real ray arrives there."""
    sign = 1.0 if fromLower else -1.0
    if hs.angleForm == "theta":
        theta = a1 if thetas is None else thetas[(a1, lam)]
        if theta is None:
            return None
        t, p = theta * math.pi / 180.0, a2 * math.pi / 180.0
        return (math.sin(t) * math.cos(p), math.sin(t) * math.sin(p), sign * math.cos(t))
    if hs.angleForm == "ux":
        ux, uy = a1, a2
    else:
        k = 2.0 * math.pi * nIn / lam
        ux, uy = a1 / k, a2 / k
    w = 1.0 - ux * ux - uy * uy
    if w <= 1e-6:
        return None
    return (ux, uy, sign * math.sqrt(w))


def spToXyAt(phi, uz):
    s, c = math.sin(phi), math.cos(phi)
    return ((s, c * uz), (-c, s * uz))


def xyToSpAt(phi, uz):
    s, c = math.sin(phi), math.cos(phi)
    return ((s, -c), (c / uz, s / uz))


def checkNormalIncidence(hs, dataBasis, lattice, nIn, nOut, fromLower, positionCount, tolerance):
    """At theta = 0 every phi node stands for the same ray; its S/P basis is labelled by the
    node's phi (as the loader's basis conversion labels it).  In X/Y all phi nodes must agree."""
    if hs.angleForm != "theta" or 0.0 not in hs.axis1:
        return 0
    i = hs.axis1.index(0.0)
    uzIn = 1.0 if fromLower else -1.0
    compared = 0
    for p in (range(positionCount) if positionCount else [None]):
        K1, K2 = lattice[p if p is not None else 0]
        lead = [p] if p is not None else []
        for k, lam in enumerate(hs.wavelength):
            for family, nMaterial, zSign in (("R", nIn, -uzIn), ("T", nOut, uzIn)):
                orders, extents, table = hs.families[family]
                kMat = 2.0 * math.pi * nMaterial / lam
                for row, (n, m) in enumerate(orders):
                    reference = None
                    for j, phiDeg in enumerate(hs.axis2):
                        index = lead + [i, j, k]
                        nodeFlat = 0
                        for d in reversed(range(len(index))):
                            nodeFlat = nodeFlat * extents[d] + index[d]
                        J = block(table, extents, nodeFlat, row)
                        ux = (K2[0] * m + K1[0] * n) / kMat
                        uy = (K2[1] * m + K1[1] * n) / kMat
                        u2 = ux * ux + uy * uy
                        if u2 >= 1.0:
                            continue
                        phi = phiDeg * math.pi / 180.0
                        phiOut = phi if (ux == 0 and uy == 0) else math.atan2(uy, ux)
                        uzOut = math.copysign(math.sqrt(1.0 - u2), zSign)
                        if dataBasis == 1:
                            J = mul(mul(spToXyAt(phiOut, uzOut), J), xyToSpAt(phi, uzIn))
                        if reference is None:
                            reference = J
                            continue
                        difference = max(abs(J[o][c] - reference[o][c]) for o in range(2) for c in range(2))
                        require(difference <= 10 * tolerance,
                                "%s %s order %s: theta = 0 nodes disagree between phi %g and phi %g "
                                "(X/Y difference %.3g)" % (hs.name, family, (n, m), hs.axis2[0], phiDeg, difference))
                        compared += 1
    return compared


def textbookFresnel(n1, n2, cosIn):
    """Amplitude coefficients from Snell's law, transmission scaled to power (flux) amplitudes."""
    sinIn = math.sqrt(max(0.0, 1.0 - cosIn * cosIn))
    sinT = n1 * sinIn / n2
    cosT = cmath.sqrt(1.0 - sinT * sinT)  # i sqrt(sin^2 - 1) beyond the critical angle
    rs = (n1 * cosIn - n2 * cosT) / (n1 * cosIn + n2 * cosT)
    rp = (n2 * cosIn - n1 * cosT) / (n2 * cosIn + n1 * cosT)
    if sinT >= 1.0:
        return rs, rp, 0.0, 0.0
    flux = math.sqrt(n2 * cosT.real / (n1 * cosIn))
    ts = 2 * n1 * cosIn / (n1 * cosIn + n2 * cosT.real) * flux
    tp = 2 * n1 * cosIn / (n2 * cosIn + n1 * cosT.real) * flux
    return rs, rp, ts, tp


def checkFile(path, tolerance):
    with open(path, encoding="utf-8") as f:
        doc = json.load(f)
    require(isinstance(doc, dict), "top level is not an object")
    nLower = readNumber(doc, "n_lower", "root")
    nUpper = readNumber(doc, "n_upper", "root")
    require(nLower > 0 and nUpper > 0, "indices must be positive")
    dataBasis = readNumber(doc, "polarization_data_basis", "root") if "polarization_data_basis" in doc else 1
    require(dataBasis in (1, 2), "polarization_data_basis must be 1 or 2")
    if "polarization_interpolation_basis" in doc:
        require(readNumber(doc, "polarization_interpolation_basis", "root") in (1, 2, 3),
                "polarization_interpolation_basis must be 1, 2 or 3")
    for key in ("polarization_interpolate_over_theta_ux_kx", "polarization_interpolate_over_phi_uy_ky",
                "polarization_interpolate_over_wavelength", "polarization_interpolate_over_spatial_parameter"):
        readFlag(doc, key, "root", True)
    if "orvik" in doc:
        readFlag(doc["orvik"], "detect_ray_direction_from_surface_normal", "root.orvik")

    positionCount = 0
    positionsUsed = []
    if "spatial_variation_or_parameter_scan" in doc:
        pos = doc["spatial_variation_or_parameter_scan"]
        forms = [f for f in (("pos_x", "pos_y"), ("pos_rad", "pos_pol"), ("par_1", "par_2")) if f[0] in pos]
        require(len(forms) == 1, "position block needs exactly one of pos_x/pos_y, pos_rad/pos_pol, par_1/par_2")
        axis1 = readVector(pos, forms[0][0], "position")
        axis2 = readVector(pos, forms[0][1], "position")
        for axis in (axis1, axis2):
            require(all(axis[i] <= axis[i + 1] for i in range(len(axis) - 1)), "position axis decreases")
        size, indexMap = readIntMatrix(pos.get("index_map"), "index_map")
        require(size == [len(axis2), len(axis1)], "index_map extents %s, expected [%d, %d]"
                % (size, len(axis2), len(axis1)))
        k1size, k1 = readRealMatrix(doc.get("reciprocal_lattice_vector_1"), "reciprocal_lattice_vector_1")
        k2size, k2 = readRealMatrix(doc.get("reciprocal_lattice_vector_2"), "reciprocal_lattice_vector_2")
        require(len(k1size) == 2 and k1size[1] == 2 and k1size == k2size, "lattice vectors must both be N x 2")
        positionCount = k1size[0]
        require(max(indexMap) <= positionCount, "index_map refers past the last position")
        positionsUsed = sorted(set(v for v in indexMap if v > 0))
        lattice = [((k1[p], k1[p + positionCount]), (k2[p], k2[p + positionCount])) for p in range(positionCount)]
    else:
        vectors = []
        for key in ("reciprocal_lattice_vector_1", "reciprocal_lattice_vector_2"):
            v = readVector(doc, key, "root") if key in doc else [0.0, 0.0]
            require(len(v) == 2, key + " must hold two numbers")
            vectors.append(tuple(v))
        lattice = [tuple(vectors)]

    sides = [readHalfSpace(doc, "_lower", positionCount), readHalfSpace(doc, "_upper", positionCount)]
    require(sides[0].angleForm == sides[1].angleForm, "both half spaces must use the same angle definition")

    report = []
    flatInterface = (positionCount == 0 and lattice[0] == ((0.0, 0.0), (0.0, 0.0))
                     and all(hs.families[f][0] == [(0, 0)] for hs in sides for f in ("R", "T")))
    for sideIndex, hs in enumerate(sides):
        fromLower = sideIndex == 0
        nIn, nOut = (nLower, nUpper) if fromLower else (nUpper, nLower)
        thetas = thetaTable(hs) if hs.fConversion > 0 else None
        worst, powerRange, checked, skipped, propagatingWithPower = 0.0, [math.inf, -math.inf], 0, 0, 0
        positions = range(positionCount) if positionCount else [None]
        for p in positions:
            if p is not None and (p + 1) not in positionsUsed:
                continue
            K1, K2 = lattice[p if p is not None else 0]
            lead = [p] if p is not None else []
            for k, lam in enumerate(hs.wavelength):
                for j, a2 in enumerate(hs.axis2):
                    for i, a1 in enumerate(hs.axis1):
                        u = incidentDirection(hs, a1, a2, lam, nIn, fromLower, thetas)
                        if u is None:
                            skipped += 1
                            continue
                        index = lead + [i, j, k]
                        total = [[0j, 0j], [0j, 0j]]
                        for family, nMaterial, zSign in (("R", nIn, -u[2]), ("T", nOut, u[2])):
                            orders, extents, table = hs.families[family]
                            nodeFlat = 0
                            for d in reversed(range(len(index))):
                                nodeFlat = nodeFlat * extents[d] + index[d]
                            kIn = 2.0 * math.pi * nIn / lam
                            kMat = 2.0 * math.pi * nMaterial / lam
                            for row, (n, m) in enumerate(orders):
                                J = block(table, extents, nodeFlat, row)
                                ux = (K2[0] * m + (K1[0] * n + u[0] * kIn)) / kMat
                                uy = (K2[1] * m + (K1[1] * n + u[1] * kIn)) / kMat
                                u2 = ux * ux + uy * uy
                                if u2 >= 1.0:
                                    require(all(J[o][c] == 0 for o in range(2) for c in range(2)),
                                            "%s %s order %s holds power where it cannot propagate (node %s)"
                                            % (hs.name, family, (n, m), index))
                                    continue
                                if dataBasis == 2:
                                    uOut = (ux, uy, math.copysign(math.sqrt(1.0 - u2), zSign))
                                    J = mul(mul(xyToSp(uOut), J), spToXy(u))
                                if any(abs(J[o][c]) > 0 for o in range(2) for c in range(2)):
                                    propagatingWithPower += 1
                                addPowerMatrix(total, J)
                                if flatInterface:
                                    checkFresnel(hs, family, J, nIn, nOut, abs(u[2]), index, tolerance)
                        low, high = hermitianEigenvalues(total)
                        powerRange[0] = min(powerRange[0], low)
                        powerRange[1] = max(powerRange[1], high)
                        if hs.lossless:
                            deviation = max(abs(total[0][0] - 1), abs(total[1][1] - 1), abs(total[0][1]),
                                            abs(total[1][0]))
                            worst = max(worst, deviation)
                            require(deviation <= tolerance, "%s: lossless node %s has power matrix %s"
                                    % (hs.name, index, total))
                        else:
                            require(high <= 1.0 + tolerance and low >= -tolerance,
                                    "%s: node %s is not passive (power %g..%g)" % (hs.name, index, low, high))
                        checked += 1
        require(checked > 0, hs.name + ": no node is a real incidence")
        normalPairs = checkNormalIncidence(hs, dataBasis, lattice, nIn, nOut, fromLower, positionCount, tolerance)
        report.append("%s: %d nodes checked (%d unreachable skipped), %d propagating order blocks, "
                      "power %.6f..%.6f%s%s" % (hs.name, checked, skipped, propagatingWithPower,
                                                powerRange[0], powerRange[1],
                                                ", lossless within %.1e" % worst if hs.lossless else ", lossy",
                                                ", theta = 0 consistent over phi (%d blocks)" % normalPairs
                                                if normalPairs else ""))
    if flatInterface and abs(nLower - nUpper) > 0:
        normal = ((nLower - nUpper) / (nLower + nUpper)) ** 2
        report.append("flat interface: matches textbook Fresnel; normal-incidence reflectance %.6f" % normal)
    return report


def checkFresnel(hs, family, J, nIn, nOut, cosIn, index, tolerance):
    rs, rp, ts, tp = textbookFresnel(nIn, nOut, cosIn)
    expected = (rs, rp) if family == "R" else (ts, tp)
    got = (J[0][0], J[1][1])
    require(abs(J[0][1]) == 0 and abs(J[1][0]) == 0, "%s: flat-interface %s block is not diagonal" % (hs.name, family))
    for e, g in zip(expected, got):
        require(abs(e - g) <= tolerance, "%s: %s at node %s is %s, Fresnel gives %s" % (hs.name, family, index, g, e))


def mutate(path, edit):
    with open(path, encoding="utf-8") as f:
        doc = json.load(f)
    edit(doc)
    return doc


def flatIndex(size, index):
    flat = 0
    for extent, i in zip(reversed(size), reversed(index)):
        flat = flat * extent + i
    return flat


def scaleLargestElement(matrix, factor):
    data = matrix["_data"]
    largest = max(range(0, len(data), 2), key=lambda i: abs(data[i]))
    data[largest] *= factor


def powerInEvanescentOrder(halfSpace):
    """Lower side of grating-1d: at theta 85, phi 0, 450 nm the +1 order cannot propagate
    (sin 85 + 450 nm / (1.5 * 1 um) > 1); give its S->S reflection a small amplitude."""
    angles = halfSpace["angle_definition"]
    rows = halfSpace["list_orders_R"]["_data"]
    plusOne = [k for k in range(len(rows) // 2) if rows[k] == 1 and rows[k + len(rows) // 2] == 0][0]
    matrix = halfSpace["R"]
    index = [angles["theta"].index(85), angles["phi"].index(0), halfSpace["wavelength"]["_data"].index(4.5e-07),
             plusOne, 0, 0]
    setElement(matrix, flatIndex(matrix["_size"], index), 1e-3)


def setElement(matrix, flat, value):
    matrix["_data"][2 * flat] = value


def copyPhiZeroAtNormalIncidence(halfSpace):
    for family in ("R", "T"):
        matrix = halfSpace[family]
        size = matrix["_size"]  # theta, phi, wavelength, K, 2, 2
        nodes = size[0] * size[1] * size[2]
        data = matrix["_data"]
        for rest in range(size[2] * size[3] * 4):
            wavelength = rest % size[2]
            tail = rest // size[2]
            source = size[0] * size[1] * wavelength + nodes * tail  # theta 0, phi 0
            for j in range(1, size[1]):
                target = source + size[0] * j
                data[2 * target:2 * target + 2] = data[2 * source:2 * source + 2]


def selfTest(directory, tolerance):
    """Each mutation of a good sample must be rejected with the named complaint."""
    def path(name):
        return os.path.join(directory, name)
    mutations = [
        ("flipped sign of one Fresnel t", path("bare-interface.json"),
         lambda d: scaleLargestElement(d["grat_results_lower"]["T"], -1.0), "Fresnel gives"),
        ("R coefficient 0.1 % too large", path("grating-1d.json"),
         lambda d: scaleLargestElement(d["grat_results_upper"]["R"], 1.001), "lossless node"),
        ("power in an evanescent order", path("grating-1d.json"),
         lambda d: powerInEvanescentOrder(d["grat_results_lower"]), "cannot propagate"),
        ("index_map beyond the positions", path("grating-2d-positions.json"),
         lambda d: d["spatial_variation_or_parameter_scan"]["index_map"]["_data"].__setitem__(5, 6),
         "past the last position"),
        ("table extents do not match the axes", path("grating-2d-positions.json"),
         lambda d: d["grat_results_upper"]["T"]["_size"].__setitem__(1, d["grat_results_upper"]["T"]["_size"][1] + 1),
         "_size"),
        ("X/Y data declared as S/P", path("grating-unit-vectors-xy.json"),
         lambda d: d.__setitem__("polarization_data_basis", 1), "lossless node"),
        ("flag written as JSON true", path("grating-1d.json"),
         lambda d: d["grat_results_lower"].__setitem__("lossless", True), "flag lossless"),
        # every theta = 0 block of phi 0 copied to the other phi nodes: power stays right, the
        # S/P labels of the diffracted orders do not
        ("phi label ignored at normal incidence", path("grating-1d.json"),
         lambda d: copyPhiZeroAtNormalIncidence(d["grat_results_lower"]), "theta = 0 nodes disagree"),
    ]
    failures = 0
    with tempfile.TemporaryDirectory() as scratch:
        for title, source, edit, expected in mutations:
            target = os.path.join(scratch, "mutated.json")
            with open(target, "w", encoding="utf-8") as f:
                json.dump(mutate(source, edit), f)
            try:
                checkFile(target, tolerance)
                outcome = "accepted"
            except (FormatError, ValueError, KeyError, TypeError) as error:
                outcome = str(error)
            if expected in outcome:
                print("PASS self-test: %s is rejected" % title)
            else:
                failures += 1
                print("FAIL self-test: %s: %s" % (title, outcome))
    return failures


def regenerateAndCompare(directory):
    with tempfile.TemporaryDirectory() as scratch:
        subprocess.run([sys.executable, os.path.join(HERE, "generate_samples.py"), "--out", scratch],
                       check=True, stdout=subprocess.DEVNULL)
        fresh = sorted(os.listdir(scratch))
        stale = [name for name in fresh
                 if not os.path.exists(os.path.join(directory, name))
                 or not filecmp.cmp(os.path.join(scratch, name), os.path.join(directory, name), shallow=False)]
        return stale


def main(argv):
    parser = argparse.ArgumentParser(description="Verify grating characterisation files.")
    parser.add_argument("paths", nargs="*", help="files or directories (default: %s)" % REPO_DATA)
    parser.add_argument("--tolerance", type=float, default=1e-10,
                        help="allowed deviation of a lossless power matrix from the identity")
    parser.add_argument("--regenerate", action="store_true",
                        help="also check that the generator reproduces the files of data/ exactly")
    parser.add_argument("--self-test", action="store_true",
                        help="also check that mutated copies of the data/ samples are rejected")
    args = parser.parse_args(argv)
    paths = args.paths or [REPO_DATA]
    files = []
    for p in paths:
        files.extend(sorted(glob.glob(os.path.join(p, "*.json"))) if os.path.isdir(p) else [p])
    failures = 0
    for path in files:
        try:
            lines = checkFile(path, args.tolerance)
            print("PASS " + path)
            for line in lines:
                print("     " + line)
        except (FormatError, ValueError, KeyError, TypeError) as error:
            failures += 1
            print("FAIL %s: %s" % (path, error))
        except OSError as error:
            failures += 1
            print("FAIL %s: cannot read: %s" % (path, error.strerror or error))
    if args.regenerate:
        stale = regenerateAndCompare(REPO_DATA)
        if stale:
            failures += 1
            print("FAIL generator output differs from data/: " + ", ".join(stale))
        else:
            print("PASS generator reproduces data/ byte for byte")
    if args.self_test:
        failures += selfTest(REPO_DATA, args.tolerance)
    if not files:
        print("no files to check")
        failures += 1
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
