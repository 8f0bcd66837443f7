#include "GratingDocument.h"

#include <fstream>
#include <new>
#include <stdexcept>
#include <string>
#include <system_error>

#include "ErrorTable.h"
#include "GratingSchema.h"
#include "JsonDocumentBuilder.h"

using json = nlohmann::json;

void readGratingDocument(const std::filesystem::path& file, json& document)
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

    try {
        quelbrant::TooDeepValue tooDeep;
        if (!quelbrant::parseJsonDocument(ifs, MaxDocumentNesting, document, tooDeep))
            throw std::invalid_argument(tooDeepValueReport(tooDeep.pointer, tooDeep.text));
        validateAgainstGratingSchema(document);
    } catch (const json::exception& e) {
        throw addErrorMessage(std::string("Grating data file is not valid JSON format(2):\n") + e.what(),
                              false);
    } catch (const std::bad_alloc&) {
        throw;
    } catch (const std::exception& e) {
        throw addErrorMessage(std::string("Schema validation failed, here is why:\n") + e.what(), false);
    }
}
