#include "json/GratingDocument.h"

#include <fstream>
#include <string>
#include <system_error>

#include "ErrorTable.h"
#include "json/GratingSchema.h"

namespace quelbrant {

using json = nlohmann::json;

json readGratingDocument(const std::filesystem::path& file)
{
    // A folder opens as a stream on some systems and only fails on reading;
    // it is no more a grating file than a missing path.
    std::error_code ignored;
    std::ifstream ifs;
    if (!std::filesystem::is_directory(file, ignored))
        ifs.open(file);
    if (!ifs.is_open() || !ifs)
        throw addErrorMessage("Unable to open or access file", false);

    try {
        (void)gratingSchema();
    } catch (const std::exception& e) {
        throw addErrorMessage(std::string("Grating data file is not valid JSON format(1):\n") + e.what(),
                              false);
    }

    json j;
    try {
        ifs >> j;
        validateAgainstGratingSchema(j);
    } catch (const json::exception& e) {
        throw addErrorMessage(std::string("Grating data file is not valid JSON format(2):\n") + e.what(),
                              false);
    } catch (const std::exception& e) {
        throw addErrorMessage(std::string("Schema validation failed, here is why:\n") + e.what(), false);
    }
    return j;
}

}  // namespace quelbrant
