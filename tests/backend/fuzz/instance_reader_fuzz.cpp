// libFuzzer target for the .csp reader: any bytes must end in a table or in messages, never in a
// crash or a hang; a table that reads must be consistent and survive a write and a second read.
#include "instance/instance.h"

#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    for (bool allErrors : {false, true})
    {
        const vrn::ReadResult result = vrn::ReadInstanceText(text, allErrors);
        for (const auto& error : result.errors)
            if (error.message.empty() || error.line < 1)
                std::abort();
        if (!allErrors && result.errors.size() > 1)
            std::abort();
        if (!result.errors.empty())
            continue;
        const vrn::Instance& table = result.instance;
        if (table.termStart.size() != table.rhs.size() + 1 || table.termCell.size() != table.termCoef.size())
            std::abort();
        for (int32_t cell : table.termCell)
            if (cell < 0 || static_cast<size_t>(cell) >= table.cells.size())
                std::abort();
        std::ostringstream out;
        vrn::WriteInstance(out, table);
        if (!vrn::ReadInstanceText(out.str(), false).errors.empty())
            std::abort();
    }
    return 0;
}
