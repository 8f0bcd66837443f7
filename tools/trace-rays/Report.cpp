#include "Report.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>
#include <vector>

namespace {

constexpr double Pi = 3.141592653589793;
// Two directions closer than this per component are the same order.
constexpr double SameDirection = 1e-6;

struct Row {
    int code = 0;  // 0 also for an expected order that no ray took
    bool reflected = false;
    std::optional<std::pair<int, int>> order;
    std::uint64_t rays = 0;
    double energy = 0.0;
    std::array<double, 3> direction{0.0, 0.0, 0.0};
    std::optional<double> expected;
    bool leaves = true;  // false for the "no ray leaves" row
};

bool sameDirection(const std::array<double, 3>& a, const std::array<double, 3>& b)
{
    for (int k = 0; k < 3; ++k)
        if (std::fabs(a[k] - b[k]) > SameDirection)
            return false;
    return true;
}

std::string format(const char* pattern, double value)
{
    char text[64];
    std::snprintf(text, sizeof text, pattern, value);
    return text;
}

std::string formatRow(const Row& row, std::uint64_t totalRays)
{
    char line[256];
    const double share = static_cast<double>(row.rays) / static_cast<double>(totalRays);
    std::string code;
    if (row.rays > 0)
        code = (row.code > 0 ? "+" : "") + std::to_string(row.code);
    const char* family = !row.leaves ? "none" : row.reflected ? "reflected" : "transmitted";
    std::string order =
        row.order ? "(" + std::to_string(row.order->first) + ", " + std::to_string(row.order->second) + ")"
                  : "";
    std::string expected = row.expected ? format("%8.5f", *row.expected) : "";
    // Deviation from the expectation in binomial standard errors.
    std::string deviation;
    if (row.expected && *row.expected > 0.0 && *row.expected < 1.0) {
        const double sigma =
            std::sqrt(*row.expected * (1.0 - *row.expected) / static_cast<double>(totalRays));
        deviation = format("%+6.1f", (share - *row.expected) / sigma);
    }
    std::string direction, angles, energy;
    if (row.leaves) {
        direction = "(" + format("%+.4f", row.direction[0]) + ", " + format("%+.4f", row.direction[1]) +
                    ", " + format("%+.4f", row.direction[2]) + ")";
        const double theta = std::acos(std::min(std::fabs(row.direction[2]), 1.0)) * 180.0 / Pi;
        const double phi = std::atan2(row.direction[1], row.direction[0]) * 180.0 / Pi;
        angles = format("%6.2f", theta) + " " + format("%7.2f", phi);
    }
    if (row.rays > 0)
        energy = format("%.4f", row.energy / static_cast<double>(row.rays));
    std::snprintf(line, sizeof line, "%5s  %-11s %-9s %10llu  %8.5f  %8s  %6s  %-28s %14s  %s\n",
                  code.c_str(), family, order.c_str(), static_cast<unsigned long long>(row.rays), share,
                  expected.c_str(), deviation.c_str(), direction.c_str(), angles.c_str(), energy.c_str());
    return line;
}

// Why a row disagrees with its expectation, or nothing.
std::string disagreement(const Row& row, std::uint64_t totalRays, double sigmas)
{
    const double share = static_cast<double>(row.rays) / static_cast<double>(totalRays);
    const std::string what = !row.leaves ? std::string("no ray leaves")
                                         : std::string(row.reflected ? "reflected" : "transmitted") +
                                               " direction (" + format("%+.4f", row.direction[0]) + ", " +
                                               format("%+.4f", row.direction[1]) + ", " +
                                               format("%+.4f", row.direction[2]) + ")";
    if (!row.expected)
        return row.rays > 0 ? what + ": " + std::to_string(row.rays) + " rays where the tables expect none"
                            : "";
    const double expected = *row.expected;
    if (expected <= 0.0 || expected >= 1.0) {
        // Certain outcomes: a share of exactly 0 or 1 (within rounding).
        return std::fabs(share - expected) > 1e-9
                   ? what + ": share " + format("%.5f", share) + ", expected " + format("%.5f", expected)
                   : "";
    }
    const double sigma = std::sqrt(expected * (1.0 - expected) / static_cast<double>(totalRays));
    const double deviation = (share - expected) / sigma;
    return std::fabs(deviation) > sigmas
               ? what + ": share " + format("%.5f", share) + ", expected " + format("%.5f", expected) + " (" +
                     format("%+.1f", deviation) + " standard errors)"
               : "";
}

// How the expectation read the tables between their nodes.
std::string interpolationText(const ExpectedOutcome& expected)
{
    if (expected.nearestAngleNodes && expected.nearestWavelengthNode)
        return "nearest node\nalong every axis";
    if (expected.nearestAngleNodes)
        return "nearest node\nalong the angle axes";
    if (expected.nearestWavelengthNode)
        return "nearest node\nalong the wavelength axis";
    return "multilinear\ninterpolation";
}

}  // namespace

OutcomeReport reportOutcomes(const RayTally& tally, const ExpectedOutcome& expected, double sigmas,
                             bool orderCodes)
{
    std::vector<Row> rows;
    std::vector<bool> matched(expected.orders.size(), false);
    for (const auto& [key, count] : tally.outcomes()) {
        Row row;
        row.code = key.code;
        row.rays = count.rays;
        row.energy = count.energy;
        row.leaves = key.code != 0;
        row.reflected = key.code < 0;
        for (int k = 0; k < 3; ++k)
            row.direction[k] = count.direction[k] / static_cast<double>(count.rays);
        if (!row.leaves) {
            if (expected.known())
                row.expected = expected.lostShare;
        } else {
            for (size_t i = 0; i < expected.orders.size(); ++i) {
                const ExpectedOrder& order = expected.orders[i];
                if (!matched[i] && order.reflected == row.reflected &&
                    sameDirection(order.direction, row.direction)) {
                    matched[i] = true;
                    row.order = std::make_pair(order.n, order.m);
                    row.expected = order.share;
                    break;
                }
            }
        }
        rows.push_back(row);
    }
    for (size_t i = 0; i < expected.orders.size(); ++i) {
        if (matched[i])
            continue;
        const ExpectedOrder& order = expected.orders[i];
        Row row;
        row.reflected = order.reflected;
        row.order = std::make_pair(order.n, order.m);
        row.direction = order.direction;
        row.expected = order.share;
        rows.push_back(row);
    }
    if (expected.known() && expected.lostShare > 0.0 &&
        std::none_of(rows.begin(), rows.end(), [](const Row& r) { return !r.leaves; })) {
        Row row;
        row.leaves = false;
        row.expected = expected.lostShare;
        rows.push_back(row);
    }
    // Reflected orders, then transmitted ones, each by order; no ray last.
    std::stable_sort(rows.begin(), rows.end(), [](const Row& a, const Row& b) {
        auto rank = [](const Row& r) { return !r.leaves ? 2 : r.reflected ? 0 : 1; };
        if (rank(a) != rank(b))
            return rank(a) < rank(b);
        if (a.order && b.order)
            return *a.order < *b.order;
        return a.order.has_value() && !b.order.has_value();
    });

    OutcomeReport report;
    std::string& table = report.table;
    char header[256];
    std::snprintf(header, sizeof header, "%5s  %-11s %-9s %10s  %8s  %8s  %6s  %-28s %14s  %s\n", "code",
                  "family", "order", "rays", "share", "expected", "dev", "direction (x, y, z)",
                  "theta    phi", "energy");
    table += header;
    for (const Row& row : rows) {
        table += formatRow(row, tally.rays());
        if (expected.known()) {
            std::string problem = disagreement(row, tally.rays(), sigmas);
            if (!problem.empty())
                report.disagreements.push_back(std::move(problem));
        }
    }
    table += "\ncode: negative reflected, positive transmitted, 0 no ray leaves; ";
    table += orderCodes ? "1 the specular zeroth order or\nthe Fresnel fallback, 6 any other order."
                        : "this entry point tells no order\ncode, so every order shows 1.";
    table += " energy: mean outgoing energy of a ray (incident 1).\n";
    if (expected.known())
        table += std::string("expected: share of rays the tables give for this incidence (") +
                 (expected.tablesInXY ? "X/Y" : "S/P") + " Jones blocks, " + interpolationText(expected) +
                 "); dev: deviation of the share in binomial standard errors.\n";
    else
        table += "expected: not available, " + expected.unknownReason + ".\n";
    return report;
}
