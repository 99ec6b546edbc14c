// The .csp reader: the header "0", the cell section, the relation section, and the errors found on the
// way. The reading of each section is in a file of its own (csp_cell_section.cpp,
// csp_relation_section.cpp); ReadInstanceText (instance.h) is its entry point.
#pragma once

#include "instance/csp_tokens.h"
#include "instance/instance.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vrn::csp
{

// Numbers beyond this magnitude (values, costs, levels, coefficients, right-hand sides) are refused:
// the solvers take numbers near 1e20 for infinity and lose every digit of a table beside them.
constexpr double kLargestNumber = 1e15;

// Stops the read by throwing once an error ends it (first-error mode, or a fault nothing can follow).
struct StopReading
{
};

class Reader
{
public:
    Reader(std::string_view text, bool allErrors, ReadResult& result);

    void Run();

private:
    using Terms = std::vector<std::pair<int32_t, double>>;

    Tokenizer m_tokens;
    int64_t m_textSize;
    bool m_allErrors;
    ReadResult& m_result;
    bool m_lineStructured = false;
    int64_t m_relation = 0;                // the relation being read, from 1
    std::vector<int64_t> m_lastRelationOf; // per cell: the last relation that named it

    Instance& Inst() { return m_result.instance; }

    // Errors, and the count the header and each section start with (instance_reader.cpp).
    void Error(int line, const std::string& message);
    [[noreturn]] void Fatal(int line, const std::string& message);
    int64_t ReadCount(const char* what);
    void ReadHeader();
    void ExpectEnd();

    // The cell section (csp_cell_section.cpp).
    void ReadCells();
    std::vector<Token> CellTokens(int64_t k, int64_t count);
    bool CellZeroFillsItsLine();
    void ReadCell(int64_t k, int64_t count);
    void CheckIndex(const Token& token, int64_t k);
    void CheckStatus(const Token& token, const std::string& name, Cell& cell);
    void CheckCellValues(int line, const std::string& name, const Cell& cell);

    // The relation section (csp_relation_section.cpp).
    bool NextLineIsCell(int64_t index);
    void ReadRelations();
    bool IsTermStart();
    bool IsRelationStart();
    bool LooksLikeRelationLine();
    void SkipToNextRelation();
    bool ReadRelation(int64_t r);
    void FinishRelation(double rhs, const Terms& terms);
    bool ReadTerm(const std::string& name, Terms& terms);
};

} // namespace vrn::csp
