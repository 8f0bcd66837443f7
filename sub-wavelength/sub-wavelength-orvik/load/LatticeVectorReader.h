#pragma once

// The two reciprocal lattice vectors of a grating file, in 1/m.

#include <nlohmann/json.hpp>
#include <vector>

namespace quelbrant {

// Files without position data: one (x, y) pair per vector; a missing key
// means (0, 0), a vector with no periodicity.
struct LatticeVectors {
    double k1x = 0.0, k1y = 0.0;
    double k2x = 0.0, k2y = 0.0;
    double k1Norm = 0.0, k2Norm = 0.0;
};

// Files with position data: one row per position number, all of equal length.
struct LatticeVectorsPerPosition {
    std::vector<double> k1x, k1y, k2x, k2y;
    std::vector<double> k1Norm, k2Norm;
};

// Read "reciprocal_lattice_vector_1" and "_2" from the document root. Every
// failure is thrown as an error-table index.
LatticeVectors readLatticeVectors(const nlohmann::json& root);
LatticeVectorsPerPosition readLatticeVectorsPerPosition(const nlohmann::json& root);

}  // namespace quelbrant
