// Refractive indices, reciprocal lattice vectors and the root "orvik" block.

#include <gtest/gtest.h>

#include "LoaderTestSupport.h"

using namespace quelbrant;

using namespace loadertest;

namespace {

const std::string IndicesFailed = "Schema validation failed when loading n_lower and n_upper.";
const std::string LatticeLength = "Schema Validation failed for the reciprocal lattice vectors.";
const std::string LatticeShape =
    "Schema Validation failed for the reciprocal lattice vectors: size not match";
const std::string LatticeUnreadable =
    "Schema validation failed (reciprocal lattice vectors, v2), here is why:\n";

}  // namespace

TEST(LoaderIndices, NumberOrOneElementMatrix)
{
    json doc = document();
    doc["n_lower"] = matrix({1, 1}, {1.52});
    doc["n_upper"] = 1.33;
    LoadOutcome outcome = loadDocument(doc);
    ASSERT_NE(outcome.surface, nullptr) << outcome.message;
    EXPECT_EQ(Access::mNLower(*outcome.surface), 1.52);
    EXPECT_EQ(Access::mNUpper(*outcome.surface), 1.33);
}

TEST(LoaderIndices, OneElementArrayPassesTheSchemaButIsNotRead)
{
    json doc = document();
    doc["n_lower"] = {1.5};
    LoadOutcome outcome = loadDocument(doc);
    EXPECT_EQ(outcome.message, IndicesFailed);
    // The getter's own error came first and stays in the table.
    ASSERT_GE(outcome.entries.size(), 2u);
    EXPECT_EQ(outcome.entries[outcome.entries.size() - 2], "Fail to load n_lower and it's not optional.");
}

TEST(LoaderIndices, IndicesNoMediumHasAreRefused)
{
    // Such an index once loaded and then gave rays nobody could interpret.
    struct Case {
        const char* key;
        json value;
        std::string shown;
    };
    const Case cases[] = {
        {"n_lower", 0.0, "0"},
        {"n_upper", -1.33, "-1.33"},
        {"n_upper", -0.0, "-0"},
        {"n_lower", matrix({1, 1}, {-2.5}), "-2.5"},
    };
    for (const Case& c : cases) {
        json doc = document();
        doc[c.key] = c.value;
        EXPECT_EQ(loadDocument(doc).message, "Schema Validation failed: " + std::string(c.key) + " is " +
                                                 c.shown + ", expected a refractive index: a finite number "
                                                           "above 0.")
            << c.key << " = " << c.value.dump();
    }
}

TEST(LoaderLattice, AbsentVectorsMeanNoPeriodicity)
{
    LoadOutcome outcome = loadDocument(document());
    ASSERT_NE(outcome.surface, nullptr) << outcome.message;
    const GratingSurface& s = *outcome.surface;
    for (double v : {Access::mK1Gx(s), Access::mK1Gy(s), Access::mK2Gx(s), Access::mK2Gy(s),
                     Access::mK1GNorm(s), Access::mK2GNorm(s)})
        EXPECT_EQ(v, 0.0);
    EXPECT_FALSE(Access::mXyVarOrParScan(s));
    EXPECT_EQ(Access::mPositionDef(s), GratingSurface::P_NONE);
    EXPECT_TRUE(Access::mIndexMap(s).empty());
    EXPECT_TRUE(Access::mIndexMap(s).m_size.empty());
    EXPECT_TRUE(Access::mXOrRadOrPar1(s).empty());
    EXPECT_TRUE(Access::mYOrPolOrPar2(s).empty());
    EXPECT_TRUE(Access::mK1Gxv2(s).empty());
    EXPECT_TRUE(Access::mK2GNormv2(s).empty());
}

TEST(LoaderLattice, VectorsInAnyRealForm)
{
    // A 3-4-5 triangle gives an exact length.
    json doc = document();
    doc["reciprocal_lattice_vector_1"] = {3e6, 4e6};
    doc["reciprocal_lattice_vector_2"] = cell({0.0, -2e6});
    LoadOutcome outcome = loadDocument(doc);
    ASSERT_NE(outcome.surface, nullptr) << outcome.message;
    const GratingSurface& s = *outcome.surface;
    EXPECT_EQ(Access::mK1Gx(s), 3e6);
    EXPECT_EQ(Access::mK1Gy(s), 4e6);
    EXPECT_EQ(Access::mK1GNorm(s), 5e6);
    EXPECT_EQ(Access::mK2Gy(s), -2e6);
    EXPECT_EQ(Access::mK2GNorm(s), 2e6);
}

TEST(LoaderLattice, VectorsMustHoldTwoNumbers)
{
    for (const json& value : {json{1e6}, json{1e6, 2e6, 3e6}, json(1e6)}) {
        json doc = document();
        doc["reciprocal_lattice_vector_1"] = value;
        EXPECT_EQ(loadDocument(doc).message, LatticeLength) << value.dump();
    }
}

TEST(LoaderLattice, OneRowPerPosition)
{
    LoadOutcome outcome = loadDocument(documentWithPositions(2, 1));
    ASSERT_NE(outcome.surface, nullptr) << outcome.message;
    const GratingSurface& s = *outcome.surface;
    // Column 0 of row p is x, column 1 is y.
    EXPECT_EQ(Access::mK1Gxv2(s), (std::vector<double>{1e6, 2e6}));
    EXPECT_EQ(Access::mK1Gyv2(s), (std::vector<double>{0.0, 0.0}));
    EXPECT_EQ(Access::mK2Gxv2(s), (std::vector<double>{0.0, 0.0}));
    EXPECT_EQ(Access::mK2Gyv2(s), (std::vector<double>{2e6, 2e6}));
    EXPECT_EQ(Access::mK1GNormv2(s), (std::vector<double>{1e6, 2e6}));
    EXPECT_EQ(Access::mK2GNormv2(s), (std::vector<double>{2e6, 2e6}));
    // The single-vector members stay unused.
    EXPECT_EQ(Access::mK1Gx(s), 0.0);
    EXPECT_EQ(Access::mK1GNorm(s), 0.0);
}

TEST(LoaderLattice, PerPositionRowsMayComeAsComplexWithZeroImaginaryParts)
{
    json doc = documentWithPositions(1, 1);
    doc["reciprocal_lattice_vector_1"] = matrix({1, 2}, {3e6, 0.0, 4e6, 0.0}, true);
    LoadOutcome outcome = loadDocument(doc);
    ASSERT_NE(outcome.surface, nullptr) << outcome.message;
    EXPECT_EQ(Access::mK1GNormv2(*outcome.surface), (std::vector<double>{5e6}));
}

TEST(LoaderLattice, PerPositionShapesMustAgree)
{
    const json shapes[] = {
        matrix({2, 3}, {1, 2, 3, 4, 5, 6}),  // three columns
        matrix({1, 2}, {1, 2}),              // rows differ from the second vector's
        matrix({4}, {1, 2, 3, 4}),           // one dimension
    };
    for (const json& k1 : shapes) {
        json doc = documentWithPositions(2, 1);
        doc["reciprocal_lattice_vector_1"] = k1;
        EXPECT_EQ(loadDocument(doc).message, LatticeShape) << k1.dump();
    }
}

TEST(LoaderLattice, PerPositionVectorsAreRequired)
{
    json doc = documentWithPositions(2, 1);
    doc.erase("reciprocal_lattice_vector_2");
    const std::string message = loadDocument(doc).message;
    EXPECT_EQ(message.compare(0, LatticeUnreadable.size(), LatticeUnreadable), 0) << message;

    doc = documentWithPositions(2, 1);
    doc["reciprocal_lattice_vector_1"] = {1e6, 0.0};  // a plain pair is no matrix
    const std::string typeMessage = loadDocument(doc).message;
    EXPECT_EQ(typeMessage.compare(0, LatticeUnreadable.size(), LatticeUnreadable), 0) << typeMessage;
}

TEST(LoaderLattice, PerPositionCountMustMatchTheTables)
{
    // Three lattice rows for tables of two positions.
    json doc = documentWithPositions(2, 1);
    doc["reciprocal_lattice_vector_1"] = matrix({3, 2}, {1, 2, 3, 0, 0, 0});
    doc["reciprocal_lattice_vector_2"] = matrix({3, 2}, {0, 0, 0, 1, 2, 3});
    EXPECT_EQ(
        loadDocument(doc).message,
        "Schema validation failed: size first dimension of reciprocal lattice vector is not same as first "
        "dimension of RT matrix.");
}

TEST(LoaderRootOptions, SurfaceNormalFlagOutsideHostProgramModeOnly)
{
    json doc = document();
    doc["orvik"] = {{"detect_ray_direction_from_surface_normal", 1}};
    LoadOutcome plain = loadDocument(doc, false);
    ASSERT_NE(plain.surface, nullptr) << plain.message;
    EXPECT_TRUE(Access::mUseSurfaceNormalToDetermineDirection(*plain.surface));
    EXPECT_FALSE(Access::isCallByTaldo(*plain.surface));

    LoadOutcome host = loadDocument(doc, true);
    ASSERT_NE(host.surface, nullptr) << host.message;
    EXPECT_FALSE(Access::mUseSurfaceNormalToDetermineDirection(*host.surface));
    EXPECT_TRUE(Access::isCallByTaldo(*host.surface));
}
