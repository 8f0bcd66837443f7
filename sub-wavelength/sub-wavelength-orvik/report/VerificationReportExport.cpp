#include <cstdio>
#include <filesystem>
#include <locale>
#include <ostream>
#include <stdexcept>

#include "GratingSurface.h"
#include "RegularFileWriter.h"
#include "json/DataFilePath.h"
#include "report/VerificationReport.h"

namespace quelbrant {

namespace {

// As much as the C library's stream buffers.
constexpr std::size_t ReportBufferBytes = BUFSIZ;

}  // namespace

std::string reportTextOfPath(std::wstring_view path)
{
    try {
        return utf8FromWide(path);
    } catch (const std::range_error&) {
    }
    // Character by character: two code units first, so that a surrogate
    // pair stays one character where wchar_t holds UTF-16.
    std::string text;
    for (size_t i = 0; i < path.size();) {
        try {
            text += utf8FromWide(path.substr(i, 2));
            i += 2;
            continue;
        } catch (const std::range_error&) {
        }
        try {
            text += utf8FromWide(path.substr(i, 1));
        } catch (const std::range_error&) {
            text += "\xEF\xBF\xBD";
        }
        ++i;
    }
    return text;
}

bool GratingSurface::export_verify_data(const std::wstring& filename)
{
    std::string failure;
    return export_verify_data(filename, failure);
}

bool GratingSurface::export_verify_data(const std::wstring& filename, std::string& failure)
{
    if (mVerifyDataExported) {
        failure = "The report of this surface was written before.";
        return false;
    }
    // Set before anything can fail: a report is attempted once per surface.
    mVerifyDataExported = true;

    // Windows opens the report by its wide name; elsewhere by the UTF-8 form,
    // which throws std::range_error for a name that has none.
    const std::filesystem::path reportPath = dataFilePath((filename + L".log").c_str());
    // Text mode: line ends become CR LF on Windows, as in the note the
    // lens-design adapters append to this file. A name that is no regular
    // file is left alone: a pipe would block the caller.
    RegularFileWriter file;
    if (!file.open(reportPath, RegularFileWriter::Mode::truncate, ReportBufferBytes)) {
        failure = "Cannot write " + narrowPathText(reportPath) + ": " + file.failureReason() + ".";
        return false;
    }
    std::ostream out(&file);
    // Numbers are written the same whatever global locale the host set.
    out.imbue(std::locale::classic());

    const ReportPositions positions{mPositionDef, mXOrRadOrPar1, mYOrPolOrPar2, mK1Gxv2,   mK1Gyv2,
                                    mK2Gxv2,      mK2Gyv2,       mK1GNormv2,    mK2GNormv2};
    const ReportInput input{
        reportTextOfPath(filename),
        mNUpper,
        mNLower,
        {mK1Gx, mK1Gy, mK2Gx, mK2Gy, mK1GNorm, mK2GNorm},
        mXyVarOrParScan ? &positions : nullptr,
        mAngleDef,
        {mLambda[0], mThetaOrUxOrKx[0], mPhiOrUyOrKy[0], m_list_orders_Rn[0], m_list_orders_Rm[0],
         m_list_orders_Tn[0], m_list_orders_Tm[0], mR[0], mT[0]},
        {mLambda[1], mThetaOrUxOrKx[1], mPhiOrUyOrKy[1], m_list_orders_Rn[1], m_list_orders_Rm[1],
         m_list_orders_Tn[1], m_list_orders_Tm[1], mR[1], mT[1]},
    };
    const bool listed = writeVerificationReport(out, input);
    const bool closed = file.close();
    // A report that could not be written in full is no success.
    if (!listed)
        failure = "The angle grid cannot be listed: its two axes of unit or k vectors differ.";
    else if (out.fail() || !closed)
        failure = "Writing " + narrowPathText(reportPath) + " failed: " + file.failureReason() + ".";
    return listed && !out.fail() && closed;
}

}  // namespace quelbrant
