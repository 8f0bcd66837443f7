#include "report/VerificationReport.h"

#include <complex>
#include <cstddef>
#include <iomanip>
#include <stdexcept>

#include "MathConstants.h"
#include "tables/DenseTableShape.h"

namespace quelbrant {

// Layout notes. Every line ends in '\n' rather than std::endl: the report
// can run to millions of lines and a flush per line would cost a system call
// each. Precision sticks from one value to the next as on any stream; each
// value below is written with the precision its column asks for. Numbers
// use the default float notation (%g style).

namespace {

constexpr double MicrometresPerMetre = 1e6;

const char* const SideName[2] = {"lower", "upper"};

// Columns of the efficiency lines: position number, the three axis values,
// the order label, then the four channels.
constexpr int PositionWidth = 6;
constexpr int AxisWidth = 9;
constexpr int AxisPrecision = 5;
constexpr int OrderWidth = 3;
constexpr int ChannelWidth = 9;
constexpr int ChannelPrecision = 2;
constexpr int TotalPrecision = 10;
// Blanks before the "[" of a continuation line, so that it stands under the
// "[" of its power line: 3 axis columns and "   R(nnn,mmm)    ".
constexpr size_t ContinuationIndent = 3 * AxisWidth + 17;

// Period in micrometres of a lattice vector of length norm in rad/m.
double periodMicrometres(double norm)
{
    return 2 * Pi / norm * MicrometresPerMetre;
}

// Flat offset of the 2x2 block of one grid node and order in a dense table
// [position] x A1 x A2 x L x Nn x Nm x 2 x 2, and the stride between its
// polarisation channels. Every index is checked against its own extent.
class BlockAddress {
public:
    BlockAddress(const NdArrayComplex& table, bool withPosition) : mTable(table), mLead(withPosition ? 1 : 0)
    {
        if (!quelbrant::hasDenseLayout(table.m_size, withPosition))
            throw std::out_of_range("report: a table does not have the dense layout");
        const std::optional<quelbrant::DenseTableShape> shape =
            quelbrant::denseTableShape(table, withPosition);
        if (!shape)
            throw std::out_of_range("report: a table holds fewer elements than its extents");
        mChannelStride = shape->elements() / 4;
    }

    size_t positions() const { return mLead ? mTable.m_size[0] : 1; }

    // Channels S>S, S>P, P>S, P>P of the block at (q, j, i, k, a, b).
    void read(size_t q, size_t j, size_t i, size_t k, size_t a, size_t b,
              std::complex<double> (&out)[4]) const
    {
        const std::vector<size_t>& d = mTable.m_size;
        const size_t index[6] = {q, j, i, k, a, b};
        size_t offset = 0;
        for (size_t n = 6; n-- > 1 - mLead;) {
            const size_t dim = n - 1 + mLead;
            if (index[n] >= d[dim])
                throw std::out_of_range("report: an index lies outside its table extent");
            offset = offset * d[dim] + index[n];
        }
        for (size_t c = 0; c < 4; ++c)
            out[c] = mTable[offset + c * mChannelStride];
    }

private:
    const NdArrayComplex& mTable;
    size_t mLead;
    size_t mChannelStride = 0;
};

void writeMediaSection(std::ostream& out, const ReportInput& input)
{
    out << "=== Data not related to incident direction ===\n";
    out << "JSON file path: " << input.dataFileText << '\n';
    out << "Upper(+z) index: " << input.nUpper << '\n';
    out << "Lower(-z) index: " << input.nLower << '\n';
    out << '\n';
}

const char* positionDefinitionText(GratingSurface::PositionDefinition definition)
{
    switch (definition) {
        case GratingSurface::XY:
            return "Spatial variation supported in XY coordiante";
        case GratingSurface::RAD_POL:
            return "Spatial variation supported in Polar coordiante";
        case GratingSurface::PAR_SCAN:
            return "Parameter scan supported.";
        default:
            return "Unknoen spatial variation definition.";
    }
}

void writePositionAxis(std::ostream& out, const char* label, const std::vector<double>& axis)
{
    out << label;
    for (double value : axis)
        out << std::setw(9) << std::setprecision(5) << value << " ";
    out << '\n';
}

void writePositionSection(std::ostream& out, const ReportPositions& positions)
{
    out << "=== Position variation or parameter scan data ===\n";
    out << positionDefinitionText(positions.definition) << '\n';
    writePositionAxis(out, "XOrRadOrPar1: ", positions.xOrRadOrPar1);
    writePositionAxis(out, "YOrPolOrPar2: ", positions.yOrPolOrPar2);
    out << '\n';
    out << "     #"
        << "        Reci. Lat. Vec. 1"
        << "        Reci. Lat. Vec. 2"
        << "  Period 1 (um)"
        << "  Period 2 (um)" << '\n';
    out << std::setprecision(4);
    for (size_t q = 0; q < positions.k1x.size(); ++q) {
        out << std::setw(6) << q << "  (" << std::setw(10) << positions.k1x[q] << "," << std::setw(10)
            << positions.k1y.at(q) << ")  (" << std::setw(10) << positions.k2x.at(q) << "," << std::setw(10)
            << positions.k2y.at(q) << ")     " << std::setw(10) << periodMicrometres(positions.k1Norm.at(q))
            << "     " << std::setw(10) << periodMicrometres(positions.k2Norm.at(q)) << '\n';
    }
    out << '\n' << '\n';
}

void writeLatticeSection(std::ostream& out, const ReportLattice& lattice)
{
    out << "reciprocal lattice vector 1: (" << lattice.k1x << "," << lattice.k1y << ")\n";
    out << "reciprocal lattice vector 2: (" << lattice.k2x << "," << lattice.k2y << ")\n";
    out << "period 1: " << periodMicrometres(lattice.k1Norm) << " um\n";
    out << "period 2: " << periodMicrometres(lattice.k2Norm) << " um\n";
    out << '\n';
}

template <typename T>
void writeTabbedList(std::ostream& out, const char* label, const std::vector<T>& values)
{
    out << label;
    for (const T& value : values)
        out << value << '\t';
    out << '\n';
}

// The wavelength, angle and order lists of one side and its table extents.
// Returns false after the wavelength line when the angular grid cannot be
// listed as pairs.
bool writeOverviewSection(std::ostream& out, const char* side, GratingSurface::AngleDefinition angleDef,
                          const ReportHalfSpace& half)
{
    out << "=== Data overview for " << side << " incidence ===\n";
    // Precision 3 also carries over to the unit-vector and k-vector pairs.
    out << std::setprecision(3);
    writeTabbedList(out, "Wavelength (nm): ", half.lambda);
    const char* pairLabel = nullptr;
    switch (angleDef) {
        case GratingSurface::POLAR:
            writeTabbedList(out, "Theta (degree): ", half.thetaOrUxOrKx);
            writeTabbedList(out, "Phi (degree): ", half.phiOrUyOrKy);
            break;
        case GratingSurface::UNIT_VECTOR:
            pairLabel = "Unit vectors: ";
            break;
        case GratingSurface::K_VECTOR:
            pairLabel = "K vectors (radians/mm (?)): ";
            break;
        default:
            return false;
    }
    if (pairLabel != nullptr) {
        // A unit-vector or k-vector grid is listed as the diagonal pairs
        // (axis1[q], axis2[q]), which only describe it when both axes agree.
        if (half.thetaOrUxOrKx != half.phiOrUyOrKy)
            return false;
        out << pairLabel;
        for (size_t q = 0; q < half.thetaOrUxOrKx.size(); ++q)
            out << "(" << half.thetaOrUxOrKx[q] << "," << half.phiOrUyOrKy[q] << ")" << '\t';
        out << '\n';
    }
    writeTabbedList(out, "X Ref Order (Rn): ", half.Rn);
    writeTabbedList(out, "Y Ref Order (Rm): ", half.Rm);
    writeTabbedList(out, "X Trn Order (Tn): ", half.Tn);
    writeTabbedList(out, "Y Trn Order (Tm): ", half.Tm);
    writeTabbedList(out, "Reflection data dimensions: ", half.R.m_size);
    writeTabbedList(out, "Transmission data dimensions: ", half.T.m_size);
    out << '\n';
    return true;
}

void writeEfficiencyHeader(std::ostream& out, GratingSurface::AngleDefinition angleDef, bool withPosition)
{
    if (withPosition)
        out << "     #";
    out << "     Wave";
    switch (angleDef) {
        case GratingSurface::POLAR:
            out << "    Theta"
                << "      Phi";
            break;
        case GratingSurface::UNIT_VECTOR:
            out << "       Ux"
                << "       Uy";
            break;
        default:
            out << "       kx"
                << "       ky";
            break;
    }
    out << "   Order(x,y)"
        << "    [      S>S,      S>P;      P>S,      P>P]" << '\n';
}

template <typename Part>
void writeChannels(std::ostream& out, const std::complex<double> (&channel)[4], Part part)
{
    for (size_t c = 0; c < 4; ++c)
        out << (c == 0 ? "" : ",") << std::setw(ChannelWidth) << part(channel[c]);
    out << "]\n";
}

// Running totals of one grid node's output power per input polarisation.
struct NodeTotals {
    double s = 0.0;
    double p = 0.0;
};

// One family of orders (reflected or transmitted) of a side.
struct OrderFamily {
    char label;  // 'R' or 'T'
    const std::vector<int>& n;
    const std::vector<int>& m;
    BlockAddress address;
};

// Power, real and imaginary lines of every order of one family at grid
// node (j, i, k), each order for every position (innermost).
void writeFamily(std::ostream& out, const ReportHalfSpace& half, const OrderFamily& family, bool withPosition,
                 size_t j, size_t i, size_t k, NodeTotals& totals)
{
    const std::string indent(ContinuationIndent + (withPosition ? PositionWidth : 0), ' ');
    std::complex<double> channel[4];
    for (size_t a = 0; a < family.n.size(); ++a) {
        for (size_t b = 0; b < family.m.size(); ++b) {
            for (size_t q = 0; q < family.address.positions(); ++q) {
                family.address.read(q, j, i, k, a, b, channel);
                if (withPosition)
                    out << std::setw(PositionWidth) << q;
                out << std::setprecision(AxisPrecision) << std::setw(AxisWidth) << half.lambda[k]
                    << std::setw(AxisWidth) << half.thetaOrUxOrKx[j] << std::setw(AxisWidth)
                    << half.phiOrUyOrKy[i];
                out << "   " << family.label << "(" << std::setw(OrderWidth) << family.n[a] << ","
                    << std::setw(OrderWidth) << family.m[b] << ")"
                    << "    [" << std::setprecision(ChannelPrecision);
                writeChannels(out, channel, [](std::complex<double> z) { return std::norm(z); });
                out << indent << "[";
                writeChannels(out, channel, [](std::complex<double> z) { return z.real(); });
                out << indent << "[";
                writeChannels(out, channel, [](std::complex<double> z) { return z.imag(); });
                totals.s += std::norm(channel[0]) + std::norm(channel[1]);
                totals.p += std::norm(channel[2]) + std::norm(channel[3]);
            }
        }
    }
}

void writeEfficiencySection(std::ostream& out, const char* side, GratingSurface::AngleDefinition angleDef,
                            bool withPosition, const ReportHalfSpace& half)
{
    out << "=== Efficiency for " << side << " incidence ===\n";
    writeEfficiencyHeader(out, angleDef, withPosition);
    const OrderFamily reflected{'R', half.Rn, half.Rm, BlockAddress(half.R, withPosition)};
    const OrderFamily transmitted{'T', half.Tn, half.Tm, BlockAddress(half.T, withPosition)};
    for (size_t k = 0; k < half.lambda.size(); ++k) {
        for (size_t j = 0; j < half.thetaOrUxOrKx.size(); ++j) {
            for (size_t i = 0; i < half.phiOrUyOrKy.size(); ++i) {
                // With position data the totals run over every position.
                NodeTotals totals;
                writeFamily(out, half, reflected, withPosition, j, i, k, totals);
                writeFamily(out, half, transmitted, withPosition, j, i, k, totals);
                out << std::setprecision(TotalPrecision);
                out << "Total output for S input: " << totals.s << '\n';
                out << "Total output for P input: " << totals.p << '\n';
                out << '\n';
            }
        }
    }
    out << '\n';
}

}  // namespace

bool writeVerificationReport(std::ostream& out, const ReportInput& input)
{
    out.precision(6);
    out.setf(std::ios_base::fmtflags(0), std::ios_base::floatfield);
    out.setf(std::ios_base::right, std::ios_base::adjustfield);
    out.fill(' ');

    writeMediaSection(out, input);
    if (input.positions != nullptr)
        writePositionSection(out, *input.positions);
    else
        writeLatticeSection(out, input.lattice);

    const ReportHalfSpace* half[2] = {&input.lower, &input.upper};
    for (int h = 0; h < 2; ++h)
        if (!writeOverviewSection(out, SideName[h], input.angleDef, *half[h]))
            return false;
    for (int h = 0; h < 2; ++h)
        writeEfficiencySection(out, SideName[h], input.angleDef, input.positions != nullptr, *half[h]);
    return true;
}

}  // namespace quelbrant
