#include "load/LatticeVectorReader.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <string>

#include "ErrorTable.h"
#include "NdArray.h"
#include "json/JsonReaders.h"

namespace quelbrant {

using json = nlohmann::json;

LatticeVectors readLatticeVectors(const json& root)
{
    const std::vector<double> defaultK = {0.0, 0.0};
    std::vector<double> k1;
    std::vector<double> k2;
    try {
        getdoublevector(k1, "reciprocal_lattice_vector_1", root, true, defaultK);
        getdoublevector(k2, "reciprocal_lattice_vector_2", root, true, defaultK);
    } catch (const std::bad_alloc&) {
        throw;
    } catch (...) {
        throw addErrorMessage("Schema validation failed (reciprocal lattice vectors, v2).", false);
    }
    if (k1.size() != 2 || k2.size() != 2)
        throw addErrorMessage("Schema Validation failed for the reciprocal lattice vectors.", false);

    LatticeVectors k;
    k.k1x = k1[0];
    k.k1y = k1[1];
    k.k2x = k2[0];
    k.k2y = k2[1];
    k.k1Norm = std::sqrt(k.k1x * k.k1x + k.k1y * k.k1y);
    k.k2Norm = std::sqrt(k.k2x * k.k2x + k.k2y * k.k2y);
    return k;
}

LatticeVectorsPerPosition readLatticeVectorsPerPosition(const json& root)
{
    // N x 2 matrices: row p holds (x, y) at position number p + 1.
    NdArrayReal k1;
    NdArrayReal k2;
    try {
        makeNdArrayReal(k1, root.at("reciprocal_lattice_vector_1"));
        makeNdArrayReal(k2, root.at("reciprocal_lattice_vector_2"));
    } catch (const std::bad_alloc&) {
        throw;
    } catch (const std::exception& e) {
        // The JSON library's type errors and missing members alike.
        throw addErrorMessage(
            std::string("Schema validation failed (reciprocal lattice vectors, v2), here is why:\n") +
                e.what(),
            false);
    }
    if (k1.m_size.size() != 2 || k2.m_size.size() != 2 || k1.m_size[1] != 2 || k2.m_size[1] != 2 ||
        k1.m_size[0] != k2.m_size[0]) {
        throw addErrorMessage("Schema Validation failed for the reciprocal lattice vectors: size not match",
                              false);
    }

    const size_t rows = k1.m_size[0];
    LatticeVectorsPerPosition k;
    for (auto* list : {&k.k1x, &k.k1y, &k.k2x, &k.k2y, &k.k1Norm, &k.k2Norm})
        list->reserve(std::min(rows, k1.size()));
    for (size_t i = 0; i < rows; ++i) {
        k.k1x.push_back(k1(i, 0));
        k.k1y.push_back(k1(i, 1));
        k.k2x.push_back(k2(i, 0));
        k.k2y.push_back(k2(i, 1));
        k.k1Norm.push_back(std::sqrt(k.k1x.back() * k.k1x.back() + k.k1y.back() * k.k1y.back()));
        k.k2Norm.push_back(std::sqrt(k.k2x.back() * k.k2x.back() + k.k2y.back() * k.k2y.back()));
    }
    return k;
}

}  // namespace quelbrant
