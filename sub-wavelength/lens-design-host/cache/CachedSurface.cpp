#include "cache/CachedSurface.h"

#include <memory>
#include <ostream>

#include "json/DataFilePath.h"
#include "cache/TestModeFlags.h"
#include "logger.h"
#include "RegularFileWriter.h"
#include "GratingSurface.h"

namespace quelbrant {

namespace {

// The note goes out in one write.
constexpr std::size_t NoteBufferBytes = 256;

double parameterOrZero(const std::vector<double>& params, std::size_t index)
{
    return index < params.size() ? params[index] : 0.0;
}

// Appended after the verification report (or alone) to the data file's
// ".log": who reads the report must know the transmitted orders were
// rewritten.
void appendCmosNote(const std::wstring& path)
{
    // Text mode, single-byte text: CR LF line ends on Windows like the report.
    // A name that is no regular file is left alone: a pipe would block the
    // build, and with it every caller of the cache.
    const std::filesystem::path notePath = dataFilePath((path + L".log").c_str());
    RegularFileWriter file;
    bool written = file.open(notePath, RegularFileWriter::Mode::append, NoteBufferBytes);
    if (written) {
        std::ostream note(&file);
        note << "\n\nNote: CMOS mode is used. All transmission order is zero power except T(0,0).\n";
        written = !note.fail() && file.close();
    }
    if (!written)
        Log("Cannot write the CMOS note to ", narrowPathText(notePath), ": ", file.failureReason(), ".");
}

}  // namespace

CachedSurface::CachedSurface(const std::wstring& path, const std::vector<double>& params)
{
    const TestModeFlags flags = testModeFlags(parameterOrZero(params, 2));
    // Owned by a guard until construction is through: a throw in any step
    // below must not leak the loaded tables.
    std::unique_ptr<GratingSurface> loaded(
        new GratingSurface(path.c_str(), flags.log, flags.verboseLog, /*taldocall=*/true));
    stochastic = !params.empty() && params[0] != 0.0;
    rotationDegrees = parameterOrZero(params, 4);
    LogDebug("JSON is loaded.");
    if (flags.cmosMode) {
        LogDebug("CMOS mode used.");
        if (!loaded->restore_Tpower_to_T00())
            Log("Apply CMOS mode failed.");
        LogDebug("CMOS mode construction done.");
    }
    LogDebug("Start exporting JSON verify data.");
    if (std::string failure; flags.verificationReport && !loaded->export_verify_data(path, failure))
        Log("Export JSON verify data failed. ", failure);
    LogDebug("JSON verify data exported.");
    if (flags.cmosMode)
        appendCmosNote(path);
    surface = loaded.release();
}

CachedSurface::~CachedSurface()
{
    delete surface;
}

}  // namespace quelbrant
