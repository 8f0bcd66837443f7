#include "load/AxisPairReader.h"

#include <new>

#include "ErrorTable.h"
#include "json/JsonReaders.h"

namespace quelbrant {

using json = nlohmann::json;

bool readAxisPair(const nlohmann::json& block, const char* name1, const char* name2,
                  std::vector<double>& axis1, std::vector<double>& axis2, const char* note)
{
    try {
        getdoublevector(axis1, name1, block, false, {});
        getdoublevector(axis2, name2, block, false, {});
        return true;
    } catch (const std::bad_alloc&) {
        throw;
    } catch (...) {
        addNote(note);
        return false;
    }
}

}  // namespace quelbrant
