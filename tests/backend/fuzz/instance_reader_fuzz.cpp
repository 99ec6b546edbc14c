// libFuzzer target for the back-end's readers: any bytes must end in a table or in messages, never
// in a crash or a hang. Input that starts with 'D' is a directions file (--fixdirfn) for the 3x3
// example table, input that starts with 'R' a repair file (--repairfn) for a small table; any other
// input is a .csp file, and a table that reads must be consistent and
// survive a write and a second read. No message may carry a control byte.
#include "fast/directions.h"
#include "instance/instance.h"
#include "instance/repair_file.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

namespace
{

const char* kTable = "0\n16\n0 309 1 s 0 463.5 0 0 0\n1 98 1 s 0 463.5 0 0 0\n2 101 1 s 0 463.5 0 0 0\n"
                     "3 110 1 s 0 463.5 0 0 0\n4 72 1 s 0 463.5 0 0 0\n5 20 1 s 0 463.5 0 0 0\n"
                     "6 24 1 s 0 463.5 0 0 0\n7 28 1 s 0 463.5 0 0 0\n8 116 1 s 0 463.5 0 0 0\n"
                     "9 38 1 s 0 463.5 0 0 0\n10 38 1 s 0 463.5 0 0 0\n11 40 1 u 0 463.5 5 5 0\n"
                     "12 121 1 s 0 463.5 0 0 0\n13 40 1 s 0 463.5 0 0 0\n14 39 1 s 0 463.5 0 0 0\n"
                     "15 42 1 u 0 463.5 5 0 0\n1\n0 4 : 0 (-1) 1 (1) 2 (1) 3 (1)\n";

void CheckMessages(const std::vector<vrn::FormatError>& errors)
{
    for (const auto& error : errors)
        for (char c : error.message)
            if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
                std::abort();
}

void FuzzDirections(const std::string& text)
{
    static const vrn::Instance table = vrn::ReadInstanceText(kTable, false).instance;
    const vrn::DirectionsFileResult result = vrn::ReadDirectionsText(text, table, 1000);
    CheckMessages(result.errors);
    if (result.choice.direction.size() != table.cells.size() || result.given < 0 ||
        result.given > static_cast<int>(table.cells.size()))
        std::abort();
    for (const auto& error : result.errors)
        if (error.message.empty() || error.line < 1 || error.message.size() > 400)
            std::abort();
}

// The same bytes as a repair file for a small table: every error has a message, and every price read is a
// number >= 0 or the fixed mark.
void FuzzRepairFile(const std::string& text)
{
    static const vrn::Instance table =
        vrn::ReadInstanceText("0 3\n0 30 1 s 0 30 0 0 0\n1 10 1 u 8 100 4 4 0\n2 20 1 z 0 100 0 0 0\n"
                              "1\n0 3 : 0 (-1) 1 (1) 2 (1)\n",
                              false)
            .instance;
    const vrn::RepairFileResult read = vrn::ReadRepairText(text, table);
    CheckMessages(read.errors);
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
    if (size > 0 && data[0] == 'D')
    {
        FuzzDirections(text.substr(1));
        return 0;
    }
    if (size > 0 && data[0] == 'R')
    {
        FuzzRepairFile(text.substr(1));
        return 0;
    }
    for (bool allErrors : {false, true})
    {
        const vrn::ReadResult result = vrn::ReadInstanceText(text, allErrors);
        for (const auto& error : result.errors)
            if (error.message.empty() || error.line < 1)
                std::abort();
        CheckMessages(result.errors);
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
