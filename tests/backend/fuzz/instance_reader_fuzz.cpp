// libFuzzer target for the .csp reader and the repair file's reader: any bytes must end in a table
// (or prices) or in messages, never in a crash or a hang; a table that reads must be consistent and
// survive a write and a second read.
#include "instance/instance.h"
#include "instance/repair_file.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

namespace
{

// The same bytes as a repair file for a small table: every error has a message, and every price read is a
// number >= 0 or the fixed mark.
void CheckRepairFile(const std::string& text)
{
    static const vrn::Instance table =
        vrn::ReadInstanceText("0 3\n0 30 1 s 0 30 0 0 0\n1 10 1 u 8 100 4 4 0\n2 20 1 z 0 100 0 0 0\n"
                              "1\n0 3 : 0 (-1) 1 (1) 2 (1)\n",
                              false)
            .instance;
    const vrn::RepairFileResult read = vrn::ReadRepairText(text, table);
    for (const auto& error : read.errors)
        if (error.message.empty() || error.line < 0)
            std::abort();
    if (read.prices.price.size() != table.cells.size())
        std::abort();
    for (const auto& cell : read.prices.price)
        for (const double price : cell)
            if (!(price == vrn::kFixedPrice || (price >= 0 && std::isfinite(price))))
                std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    CheckRepairFile(text);
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
