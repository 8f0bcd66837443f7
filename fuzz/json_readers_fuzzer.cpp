// Fuzzes the readers of the matrix encoding, the typed getters and the
// schema validator with arbitrary JSON values.
//
// The input is JSON text (anything that does not parse is skipped: the
// loader's parse errors are the loader target's business). Every reader
// either succeeds with a consistent result or fails the documented way:
// an error-table index, or for the matrix readers also the JSON library's
// own exceptions; the validator fails only with std::invalid_argument whose
// text names the offending value. Anything else (another exception type, a
// crash, undefined behaviour, an allocation driven by "_size") is a finding.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <nlohmann/json.hpp>
#include <numeric>
#include <stdexcept>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "JsonReadersTesting.h"
#include "json/GratingSchema.h"
#include "json/JsonReaders.h"

using namespace quelbrant;
using json = nlohmann::json;

namespace {

// Members of an object input that the getters are also asked for: enough
// to reach multi-member objects without walking huge ones.
constexpr size_t MaxMembersProbed = 8;

template <typename T>
void requireConsistentExtents(const NdArray<T>& array)
{
    size_t product = 1;
    for (size_t extent : array.m_size)
        product *= extent;  // readers reject extents whose product overflows
    FUZZ_REQUIRE(product == array.size(), "matrix element count equals the product of its extents");
}

template <typename Array, typename Reader>
void readMatrix(const json& value, Reader reader)
{
    Array array;
    try {
        reader(array, value);
    } catch (int) {
        return;
    } catch (const json::exception&) {
        return;
    }
    requireConsistentExtents(array);
}

void readMatrices(const json& value)
{
    readMatrix<NdArrayComplex>(value, makeNdArrayComplex);
    readMatrix<NdArrayReal>(value, makeNdArrayReal);
    readMatrix<NdArrayInt>(value, makeNdArrayInt);
}

// The getters throw nothing but an error index, and only for a required
// member.
void readMember(const std::string& name, const json& holder)
{
    for (bool optional : {true, false}) {
        try {
            (void)getdouble(name, holder, optional, 0.25);
            (void)getbool(name, holder, optional, true);
            (void)getint(name, holder, optional, -3);
            std::vector<double> values;
            getdoublevector(values, name, holder, optional, {1.0, 2.0});
        } catch (int) {
            FUZZ_REQUIRE(!optional, "an optional member never throws");
        }
    }
    try {
        std::vector<int> values;
        getintvector(values, name, holder);
    } catch (int) {
    }
}

void validate(const json& value)
{
    try {
        validateAgainstGratingSchema(value);
    } catch (const std::invalid_argument& e) {
        const std::string text = e.what();
        FUZZ_REQUIRE(text.rfind("At ", 0) == 0 && !text.empty() && text.back() == '\n',
                     "a schema violation reads \"At <pointer> of <value> - <reason>\\n\"");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    resetErrorTable();
    const json value = json::parse(data, data + size, nullptr, false);
    if (value.is_discarded())
        return 0;

    readMatrices(value);
    const json holder = {{"v", value}};
    readMember("v", holder);
    readMember("absent", holder);
    if (value.is_object()) {
        size_t probed = 0;
        for (auto it = value.begin(); it != value.end() && probed < MaxMembersProbed; ++it, ++probed) {
            readMember(it.key(), value);
            readMatrices(it.value());
        }
    }
    validate(value);
    return 0;
}
