#!/usr/bin/env python3
"""Write the loader fuzz target's seed corpus (fuzz/corpus/loader/).

Small grating files, a few hundred bytes to a few kilobytes each, one for
every form the format allows (polar, unit-vector and wave-vector grids,
Cartesian, polar and parameter-scan position grids, frequency-dependent
theta, X/Y data, the flag blocks), so that the fuzzer mutates every branch
of the loader from the first second on, and broken documents of every kind
the loader tests reject ("bad-*"). The shipped samples in data/ are the
large seeds; pass them with scripts/fuzz run --seeds data.

    fuzz/make_loader_seeds.py            # rewrite the seeds (deterministic)
"""

import json
import math
import os
import sys

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "corpus", "loader")


def matrix(size, data, isComplex=False):
    return {"_type": "matrix", "_complex": isComplex, "_size": size, "_data": data}


def cell(data):
    return {"_type": "cell", "_data": data}


def orderList(rows):
    return matrix([len(rows), 2], [r[0] for r in rows] + [r[1] for r in rows])


def table(gridExtents, rows, zerothAmplitude, otherAmplitude, isComplex=True):
    """[grid...] x orders x PolOut x PolIn, first index fastest (the loops
    run slowest dimension outermost); diagonal polarisation blocks, a small
    phase along the grid."""
    nodes = 1
    for extent in gridExtents:
        nodes *= extent
    data = []
    for pin in range(2):
        for pout in range(2):
            for row in rows:
                for node in range(nodes):
                    a = (zerothAmplitude if row == (0, 0) else otherAmplitude) if pin == pout else 0.0
                    a *= 1.0 - 0.01 * node
                    if isComplex:
                        data += [round(a * math.cos(0.1 * node), 6), round(a * math.sin(0.1 * node), 6)]
                    else:
                        data.append(round(a, 6))
    return matrix(list(gridExtents) + [len(rows), 2, 2], data, isComplex)


def halfSpace(angles, axisLengths, wavelength, rowsR, rowsT, position=0, extra=None, isComplex=True):
    grid = ([position] if position else []) + list(axisLengths) + [len(wavelength)]
    hs = {
        "R": table(grid, rowsR, 0.2, 0.05, isComplex),
        "T": table(grid, rowsT, 0.9, 0.1, isComplex),
        "list_orders_R": orderList(rowsR),
        "list_orders_T": orderList(rowsT),
        "wavelength": wavelength,
        "angle_definition": angles,
    }
    hs.update(extra or {})
    return hs


def document(lower, upper, extra=None):
    doc = {"n_lower": 1.5, "n_upper": 1.0, "grat_results_lower": lower, "grat_results_upper": upper}
    doc.update(extra or {})
    return doc


ZERO = [(0, 0)]
ONE_D = [(-1, 0), (0, 0), (1, 0)]


def seeds():
    polar = {"theta": [0, 30], "phi": [0]}
    yield "polar-zeroth-order", base()

    polar2 = {"theta": [40, 0, 20], "phi": [0, 90]}
    wl = cell([4.5e-7, 6.5e-7])
    hsExtra = {"lossless": 1, "orvik": {"specular_R": 1, "specular_T": 1}}
    yield "polar-orders-lossless", document(
        halfSpace(polar2, [3, 2], wl, ONE_D, ONE_D, extra=hsExtra),
        halfSpace(polar2, [3, 2], wl, [(0, 0)], ONE_D, extra=hsExtra),
        {"reciprocal_lattice_vector_1": [6283185.307, 0], "polarization_interpolation_basis": 1})

    uv = {"ux": [-0.5, 0, 0.5], "uy": matrix([1, 2], [-0.2, 0.2])}
    yield "unit-vectors-xy-data", document(
        halfSpace(uv, [3, 2], [6.5e-7, 4.5e-7], ZERO, ONE_D),
        halfSpace(uv, [3, 2], [6.5e-7, 4.5e-7], ZERO, ONE_D, isComplex=False),
        {"reciprocal_lattice_vector_1": cell([5e6, 2.9e6]), "polarization_data_basis": 2,
         "polarization_interpolation_basis": 3})

    kv = {"kx": [-5e6, 5e6], "ky": [-5e6, 0, 5e6]}
    rows = [(0, -1), (0, 0), (0, 1)]
    yield "k-vectors", document(halfSpace(kv, [2, 3], [6e-7], rows, rows),
                                halfSpace(kv, [2, 3], [6e-7], rows, rows),
                                {"reciprocal_lattice_vector_2": [0, 5.2e6]})

    fc = {"theta": [0, 40, 80], "phi": [0, 180], "f_conversion": 1}
    yield "frequency-dependent-theta", document(
        halfSpace(fc, [3, 2], [4.5e-7, 6.5e-7], ONE_D, ONE_D),
        halfSpace(fc, [3, 2], [4.5e-7, 6.5e-7], ONE_D, ONE_D),
        {"reciprocal_lattice_vector_1": [6283185.307, 0]})

    def positions(form, axis1, axis2, indexMap, count, hostOnly=False):
        block = dict(form)
        block["index_map"] = matrix([len(axis2), len(axis1)], indexMap)
        lattice1 = matrix([count, 2], [6.2e6 + 1e5 * i for i in range(count)] + [0.0] * count)
        lattice2 = matrix([count, 2], [0.0] * count + [5e6] * count)
        return {"spatial_variation_or_parameter_scan": block,
                "reciprocal_lattice_vector_1": lattice1, "reciprocal_lattice_vector_2": lattice2}

    xy = positions({"pos_x": [-0.004, 0.004], "pos_y": matrix([1, 2], [-0.003, 0.003])}, [0, 1], [0, 1],
                   [1, 3, 2, 0], 3)
    yield "positions-xy-hole", document(halfSpace(polar, [2, 1], [5.5e-7], ONE_D, ZERO, position=3),
                                        halfSpace(polar, [2, 1], [5.5e-7], ONE_D, ZERO, position=3), xy)

    rp = positions({"pos_rad": [0, 0.005], "pos_pol": [0, 90, 180]}, [0, 1], [0, 1, 2], [1, 2, 1, 2, 1, 2], 2)
    yield "positions-radial-polar", document(halfSpace(polar, [2, 1], [5.5e-7], ZERO, ZERO, position=2),
                                             halfSpace(polar, [2, 1], [5.5e-7], ZERO, ZERO, position=2), rp)

    ps = positions({"par_1": [0, 1], "par_2": [0], "par_1_name": "depth", "par_2_name": "fill"}, [0, 1], [0],
                   [1, 2], 2)
    yield "parameter-scan", document(halfSpace(polar, [2, 1], [5.5e-7], ZERO, ZERO, position=2),
                                     halfSpace(polar, [2, 1], [5.5e-7], ZERO, ZERO, position=2), ps)

    flags = {"orvik": {"detect_ray_direction_from_surface_normal": 1},
             "polarization_interpolate_over_theta_ux_kx": 0, "polarization_interpolate_over_phi_uy_ky": False,
             "polarization_interpolate_over_wavelength": matrix([1, 1], [0]),
             "polarization_interpolate_over_spatial_parameter": 0, "polarization_data_basis": 2,
             "polarization_interpolation_basis": 2}
    yield "flags-off-xy-to-sp", document(halfSpace(polar, [2, 1], [5.5e-7], ZERO, ZERO),
                                         halfSpace(polar, [2, 1], [5.5e-7], ZERO, ZERO),
                                         dict(flags, n_lower=matrix([1, 1], [1.46])))


def base():
    polar = {"theta": [0, 30], "phi": [0]}
    return document(halfSpace(polar, [2, 1], [5.5e-7], ZERO, ZERO), halfSpace(polar, [2, 1], [5.5e-7], ZERO, ZERO))


def malformed():
    """Broken documents of the kinds the loader tests reject, as text."""
    def changed(change):
        doc = base()
        change(doc)
        return json.dumps(doc, separators=(",", ":"))

    def setUpperR(size, data):
        def change(d):
            d["grat_results_upper"]["R"] = matrix(size, data, True)
        return change

    def setPath(path, value):
        def change(d):
            node = d
            for key in path[:-1]:
                node = node[key]
            node[path[-1]] = value
        return change

    yield "bad-negative-extents", changed(setUpperR([-1, -1, 1, 1, 1, 1], [1.0, 0.0]))
    yield "bad-wrapping-extents", changed(setUpperR([2 ** 32, 2 ** 32, 1, 1, 2, 2], []))
    yield "bad-terabyte-extent", changed(setUpperR([10 ** 18, 1, 1, 1, 2, 2], [1, 0, 0, 0, 0, 0, 0, 1]))
    yield "bad-fractional-extent", changed(setUpperR([1.5, 1, 1, 1, 2, 2], [1, 0, 0, 0, 0, 0, 0, 1]))
    yield "bad-nested-data", changed(setPath(["grat_results_upper", "T", "_data"], [[1.0, 0.0], [0.0, 1.0], [1.0], [0.0]]))
    yield "bad-orders-beyond-int", changed(setPath(["grat_results_upper", "list_orders_T", "_data"], [10 ** 10, -10 ** 10]))
    yield "bad-sparse-orders", changed(setPath(["grat_results_upper", "list_orders_R"], orderList([(-4000, -4000), (4000, 4000)])))
    yield "bad-wavelength-object", changed(setPath(["grat_results_lower", "wavelength"], {"a": "b"}))
    yield "bad-angle-definition-array", changed(setPath(["grat_results_lower", "angle_definition"], [1, 2]))
    yield "bad-order-text", changed(setPath(["grat_results_lower", "list_orders_R", "_data"], ["0", "0"]))
    yield "bad-basis-huge", changed(setPath(["polarization_data_basis"], 1e300))
    yield "bad-missing-n-upper", changed(lambda d: d.pop("n_upper"))
    yield "bad-f-conversion-unit-vectors", changed(setPath(["grat_results_lower", "angle_definition"], {"ux": [0, 0.5], "uy": [0], "f_conversion": 2.0}))
    yield "bad-lattice-three-numbers", changed(setPath(["reciprocal_lattice_vector_1"], [1e6, 0, 0]))
    yield "bad-truncated", changed(lambda d: None)[:300]
    yield "bad-deep-nesting", "[" * 2000 + "]" * 2000
    yield "bad-byte-order-mark", "\ufeff"
    yield "bad-number-overflow", '{"n_lower": 1e999999}'


def main():
    os.makedirs(OUT, exist_ok=True)
    for name, doc in seeds():
        with open(os.path.join(OUT, name + ".json"), "w") as f:
            json.dump(doc, f, separators=(",", ":"))
    for name, text in malformed():
        with open(os.path.join(OUT, name + ".json"), "w", encoding="utf-8") as f:
            f.write(text)
    return 0


if __name__ == "__main__":
    sys.exit(main())
