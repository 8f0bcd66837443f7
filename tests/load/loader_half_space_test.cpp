// One half space: order lists, tables, axes, angle forms, flags, sorting and
// the theta-per-wavelength table.

#include <gtest/gtest.h>

#include <complex>

#include "LoaderTestSupport.h"

using namespace quelbrant;

using namespace loadertest;

namespace {

const std::string TypeError = "Schema validation failed (R/T data), here is why:\n";
const std::string NotTheFormat =
    "Schema validation failed: File is valid JSON but data did not pass the schema validation. Check file "
    "format:\n";
const std::string NoAngles =
    "The input angle definition is not correctly defined by either polar angles, unit vectors or in-plane "
    "k-vectors:\n";
const std::string FrequencyConversionNeedsPolar =
    "The frequency conversion flag to indicate that theta depends on frequency can only be used with a polar "
    "theta/phi grid. If theta does not depend on frequency, use a unit vector grid. If it does depend on "
    "frequency, use a k vector grid.";
const std::string SameAngleForm =
    "Schema validation failed: grat_results_lower and grat_results_upper must give their angles in the same "
    "form (both theta/phi, both ux/uy or both kx/ky).";
const std::string NoteTheta = "...cannot load theta/phi.";
const std::string NoteUnitVector = "...cannot load ux/uy.";
const std::string NoteKVector = "...cannot load kx/ky.";

json angles(const char* name1, std::vector<double> axis1, const char* name2, std::vector<double> axis2)
{
    return json{{name1, axis1}, {name2, axis2}};
}

std::complex<double> at(const NdArrayComplex& table, const std::vector<size_t>& index)
{
    size_t offset = 0;
    for (size_t k = index.size(); k-- > 0;)
        offset = index[k] + table.m_size[k] * offset;
    return static_cast<const std::vector<std::complex<double>>&>(table).at(offset);
}

}  // namespace

TEST(LoaderHalfSpace, UnreadableTablesAreExplained)
{
    struct Case {
        const char* what;
        json R;
        std::string prefix;
    };
    const Case cases[] = {
        {"a string", "R", TypeError},
        {"data of strings", {{"_complex", false}, {"_size", {1}}, {"_data", {"a"}}}, TypeError},
        {"a text flag", {{"_complex", "yes"}, {"_size", {1}}, {"_data", {1.0}}}, TypeError},
        {"no data", {{"_complex", false}, {"_size", {1}}}, NotTheFormat},
    };
    for (const Case& c : cases) {
        json doc = document();
        doc["grat_results_upper"]["R"] = c.R;
        const std::string message = loadDocument(doc).message;
        EXPECT_TRUE(startsWith(message, c.prefix)) << c.what << ": " << message;
    }
}

TEST(LoaderHalfSpace, AnOrderListedTwiceIsRefused)
{
    // Three (0, 0) rows once loaded with the last one's coefficients, and
    // the -1 and +1 orders between them gone.
    struct Case {
        const char* side;
        const char* list;
        std::vector<std::pair<int, int>> orders;
        std::string repeated;
    };
    const Case cases[] = {
        {"grat_results_lower", "list_orders_R", {{0, 0}, {0, 0}, {0, 0}}, "(0, 0)"},
        {"grat_results_upper", "list_orders_T", {{-1, 0}, {0, 0}, {1, 0}, {0, 0}}, "(0, 0)"},
        {"grat_results_upper", "list_orders_R", {{0, -1}, {1, 2}, {0, 1}, {1, 2}}, "(1, 2)"},
    };
    for (const Case& c : cases) {
        json doc = document();
        const char* table = std::string(c.list) == "list_orders_R" ? "R" : "T";
        doc[c.side][c.list] = orderList(c.orders);
        doc[c.side][table] = fileTable(1, 1, 1, c.orders.size());
        EXPECT_EQ(loadDocument(doc).message, "Schema Validation failed: " + std::string(c.side) + "/" + c.list +
                                                 " lists the grating order " + c.repeated + " more than once.")
            << c.side << "/" << c.list;
    }
    // The same n with different m (and the reverse) is no repeat.
    json doc = document();
    doc["grat_results_lower"]["list_orders_R"] = orderList({{0, 0}, {0, 1}, {1, 0}});
    doc["grat_results_lower"]["R"] = fileTable(1, 1, 1, 3);
    const LoadOutcome distinct = loadDocument(doc);
    EXPECT_NE(distinct.surface, nullptr) << distinct.message;
}

TEST(LoaderHalfSpace, TableChecksReachTheHost)
{
    struct Case {
        const char* what;
        json lower;
        std::string message;
    };
    json threeColumns = halfSpace();
    threeColumns["list_orders_R"] = matrix({3, 3}, {0, 0, 0, 0, 0, 0, 0, 0, 0});
    json moreOrdersThanListed = halfSpace();
    moreOrdersThanListed["R"] = fileTable(1, 1, 1, 2);
    json twoThetas = halfSpace();
    twoThetas["angle_definition"]["theta"] = {0.0, 10.0};
    json fiveDimensions = halfSpace();
    fiveDimensions["T"] = matrix({1, 1, 1, 2, 2}, {1, 0, 0, 1}, false);
    const Case cases[] = {
        {"order list of three columns", threeColumns,
         "Schema Validation failed: There is an incorrect dimension in the list of grating orders"},
        {"two table orders for one listed", moreOrdersThanListed,
         "Schema Validation failed: Dimension mismatch between RT matrix and list_order_R/T."},
        {"two thetas for a table of one", twoThetas,
         "Schema Validation failed: Dimension mismatch between RT matrix, theta, phi, wavelength, PolOut, "
         "and PolIn."},
        {"five-dimensional table", fiveDimensions,
         "Schema Validation failed: The R and T matrices dimension is 5. Expect 6."},
    };
    for (const Case& c : cases) {
        json doc = document();
        doc["grat_results_lower"] = c.lower;
        EXPECT_EQ(loadDocument(doc).message, c.message) << c.what;
    }
}

TEST(LoaderHalfSpace, TablesWithoutPositionDimensionInAPositionFile)
{
    json doc = documentWithPositions(2, 1);
    doc["grat_results_lower"]["R"] = fileTable(1, 1, 1, 1);
    EXPECT_EQ(loadDocument(doc).message,
              "Schema Validation failed: The R and T matrices dimension is 6. Expect 7.");
}

TEST(LoaderHalfSpace, AngleFormsAreTriedInOrder)
{
    struct Case {
        json angleDefinition;
        GratingSurface::AngleDefinition expected;
        std::vector<std::string> notes;
    };
    const Case cases[] = {
        {angles("theta", {0.0}, "phi", {0.0}), GratingSurface::POLAR, {}},
        {angles("ux", {0.0}, "uy", {0.0}), GratingSurface::UNIT_VECTOR, {NoteTheta}},
        {angles("kx", {0.0}, "ky", {0.0}), GratingSurface::K_VECTOR, {NoteTheta, NoteUnitVector}},
    };
    for (const Case& c : cases) {
        json doc = document();
        doc["grat_results_lower"]["angle_definition"] = c.angleDefinition;
        doc["grat_results_upper"]["angle_definition"] = c.angleDefinition;
        LoadOutcome outcome = loadDocument(doc);
        ASSERT_NE(outcome.surface, nullptr) << outcome.message;
        EXPECT_EQ(Access::mAngleDef(*outcome.surface), c.expected);
        for (const std::string& note : c.notes)
            EXPECT_TRUE(outcome.hasNote(note)) << note;
        EXPECT_FALSE(outcome.hasNote(NoteKVector));
    }
}

TEST(LoaderHalfSpace, NoReadableAngleForm)
{
    json doc = document();
    doc["grat_results_lower"]["angle_definition"]["theta"] = matrix({1, 2}, {0.0, 1.0, 2.0});
    LoadOutcome outcome = loadDocument(doc);
    EXPECT_EQ(outcome.message, NoAngles);
    EXPECT_TRUE(outcome.hasNote(NoteTheta));
    EXPECT_TRUE(outcome.hasNote(NoteUnitVector));
    EXPECT_TRUE(outcome.hasNote(NoteKVector));
}

TEST(LoaderHalfSpace, FrequencyConversionNeedsAPolarGrid)
{
    json doc = document();
    doc["grat_results_lower"]["angle_definition"] = angles("ux", {0.0}, "uy", {0.0});
    doc["grat_results_lower"]["angle_definition"]["f_conversion"] = 1e14;
    EXPECT_EQ(loadDocument(doc).message, tableForm(FrequencyConversionNeedsPolar));
}

TEST(LoaderHalfSpace, BothHalfSpacesUseOneAngleForm)
{
    // The lower side in unit vectors would otherwise be interpolated and
    // converted as if its axes were polar angles in degrees.
    json doc = document();
    doc["grat_results_lower"]["angle_definition"] = angles("ux", {0.0}, "uy", {0.0});
    EXPECT_EQ(loadDocument(doc).message, SameAngleForm);

    doc = document();
    doc["grat_results_upper"]["angle_definition"] = angles("kx", {0.0}, "ky", {0.0});
    EXPECT_EQ(loadDocument(doc).message, SameAngleForm);
}

TEST(LoaderHalfSpace, ThetaPerWavelengthFromTheSortedAxes)
{
    // Axes given out of order: the table is built after sorting, theta rows
    // ascending and wavelength columns ascending.
    json doc = document();
    json& lower = doc["grat_results_lower"];
    lower["angle_definition"] = angles("theta", {89.0, 0.0, 30.0}, "phi", {0.0});
    lower["angle_definition"]["f_conversion"] = 2.0;
    lower["wavelength"] = matrix({1, 2}, {1.0, 0.5});
    lower["R"] = fileTable(3, 1, 2, 1);
    lower["T"] = fileTable(3, 1, 2, 1);
    LoadOutcome outcome = loadDocument(doc);
    ASSERT_NE(outcome.surface, nullptr) << outcome.message;
    const GratingSurface& s = *outcome.surface;
    EXPECT_EQ(Access::mThetaOrUxOrKx(s)[0], (std::vector<double>{0.0, 30.0, 89.0}));
    EXPECT_EQ(Access::mLambda(s)[0], (std::vector<double>{0.5, 1.0}));
    const NdArrayReal& theta = Access::mTheta(s)[0];
    ASSERT_EQ(theta.m_size, (std::vector<size_t>{3, 2}));
    const double expected[] = {0.0, 22.02431283704216, 48.58048402371395,
                               0.0, 48.59037789072914, 90.00000002};
    for (size_t e = 0; e < 6; ++e)
        EXPECT_NEAR(theta[e], expected[e], 1e-12) << "element " << e;
    // The upper side asked for nothing.
    EXPECT_TRUE(Access::mTheta(s)[1].empty());
    EXPECT_TRUE(Access::mTheta(s)[1].m_size.empty());
}

TEST(LoaderHalfSpace, FrequencyConversionWithoutWavelengthsIsRejected)
{
    // The theta table's reference wavelength comes from the first and last
    // wavelength; a half space without any must be refused, never read.
    json doc = document();
    json& upper = doc["grat_results_upper"];
    upper["angle_definition"]["f_conversion"] = 1.0;
    upper["wavelength"] = cell({});
    upper["R"] = matrix({1, 1, 0, 1, 2, 2}, {}, true);
    upper["T"] = matrix({1, 1, 0, 1, 2, 2}, {}, true);
    LoadOutcome outcome = loadDocument(doc);
    EXPECT_EQ(outcome.surface, nullptr);
    EXPECT_FALSE(outcome.threwSomethingElse);
    EXPECT_FALSE(outcome.message.empty());
}

TEST(LoaderHalfSpace, SortingMovesTheTableWithTheAxis)
{
    // Wavelengths 700, 500, 600 nm: new column 0 is the file's column 1.
    json doc = document();
    json& lower = doc["grat_results_lower"];
    lower["wavelength"] = {7e-7, 5e-7, 6e-7};
    lower["R"] = fileTable(1, 1, 3, 1);
    lower["T"] = fileTable(1, 1, 3, 1, 100.0);
    LoadOutcome outcome = loadDocument(doc);
    ASSERT_NE(outcome.surface, nullptr) << outcome.message;
    const GratingSurface& s = *outcome.surface;
    EXPECT_EQ(Access::mLambda(s)[0], (std::vector<double>{5e-7, 6e-7, 7e-7}));
    // File element (0, 0, k, 0, o, i) has flat index k + 3 * (o + 2 * i).
    const NdArrayComplex& R = Access::mR(s)[0];
    const size_t fileColumn[] = {1, 2, 0};
    for (size_t k = 0; k < 3; ++k) {
        for (size_t o = 0; o < 2; ++o) {
            for (size_t i = 0; i < 2; ++i) {
                const double e = static_cast<double>(fileColumn[k] + 3 * (o + 2 * i));
                EXPECT_EQ(at(R, {0, 0, k, 0, 0, o, i}), std::complex<double>(e, -e));
                EXPECT_EQ(at(Access::mT(s)[0], {0, 0, k, 0, 0, o, i}), std::complex<double>(100.0 + e, -e));
            }
        }
    }
}

TEST(LoaderHalfSpace, DenseOrderGridHoldsZerosForUnlistedOrders)
{
    json doc = document();
    json& upper = doc["grat_results_upper"];
    upper["list_orders_T"] = orderList({{1, 0}, {-1, 0}});
    upper["T"] = fileTable(1, 1, 1, 2);
    LoadOutcome outcome = loadDocument(doc);
    ASSERT_NE(outcome.surface, nullptr) << outcome.message;
    const GratingSurface& s = *outcome.surface;
    EXPECT_EQ(Access::m_list_orders_Tn(s)[1], (std::vector<int>{-1, 0, 1}));
    EXPECT_EQ(Access::m_list_orders_Tm(s)[1], (std::vector<int>{0}));
    const NdArrayComplex& T = Access::mT(s)[1];
    ASSERT_EQ(T.m_size, (std::vector<size_t>{1, 1, 1, 3, 1, 2, 2}));
    // File row 0 is order +1 (dense index 2), row 1 order -1 (index 0); the
    // file element (0, 0, 0, k, o, i) has flat index k + 2 * (o + 2 * i).
    for (size_t o = 0; o < 2; ++o) {
        for (size_t i = 0; i < 2; ++i) {
            const double row0 = static_cast<double>(0 + 2 * (o + 2 * i));
            const double row1 = static_cast<double>(1 + 2 * (o + 2 * i));
            EXPECT_EQ(at(T, {0, 0, 0, 2, 0, o, i}), std::complex<double>(row0, -row0));
            EXPECT_EQ(at(T, {0, 0, 0, 0, 0, o, i}), std::complex<double>(row1, -row1));
            EXPECT_EQ(at(T, {0, 0, 0, 1, 0, o, i}), std::complex<double>(0.0, 0.0));
        }
    }
}

TEST(LoaderHalfSpace, LosslessAndSpecularFlags)
{
    json doc = document();
    doc["grat_results_lower"]["lossless"] = 1;
    doc["grat_results_lower"]["orvik"] = {{"specular_R", 1}};
    doc["grat_results_upper"]["lossless"] = 0;
    doc["grat_results_upper"]["specular_T"] = 1;  // outside the "orvik" block: not an option
    LoadOutcome outcome = loadDocument(doc);
    ASSERT_NE(outcome.surface, nullptr) << outcome.message;
    const GratingSurface& s = *outcome.surface;
    EXPECT_TRUE(Access::mLossless(s)[0]);
    EXPECT_FALSE(Access::mLossless(s)[1]);
    EXPECT_TRUE(Access::mSpecularR(s)[0]);
    EXPECT_FALSE(Access::mSpecularT(s)[0]);
    EXPECT_FALSE(Access::mSpecularR(s)[1]);
    EXPECT_FALSE(Access::mSpecularT(s)[1]);

    LoadOutcome host = loadDocument(doc, true);
    ASSERT_NE(host.surface, nullptr) << host.message;
    EXPECT_FALSE(Access::mSpecularR(*host.surface)[0]);
    EXPECT_TRUE(Access::mLossless(*host.surface)[0]);
}

TEST(LoaderHalfSpace, UnreadableOptionBlocksAreIgnored)
{
    // The schema leaves a half space's "orvik" member unconstrained.
    json doc = document();
    doc["grat_results_lower"]["orvik"] = json::array({1, 2});
    doc["grat_results_upper"]["orvik"] = {{"specular_R", "yes"}};
    LoadOutcome outcome = loadDocument(doc);
    ASSERT_NE(outcome.surface, nullptr) << outcome.message;
    EXPECT_FALSE(Access::mSpecularR(*outcome.surface)[0]);
    EXPECT_FALSE(Access::mSpecularR(*outcome.surface)[1]);
}
