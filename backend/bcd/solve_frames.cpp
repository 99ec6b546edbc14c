#include "bcd/solve_frames.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <type_traits>

namespace vrn
{

namespace
{

// The header of a result; the solution's values and the detail's bytes follow it.
struct ResultHeader
{
    uint32_t magic = 0x56524e31; // "VRN1"
    int32_t status = 0;
    double objective = 0;
    double bound = 0;
    uint64_t values = 0;
    uint64_t detailBytes = 0;
};

constexpr uint32_t kRequestMagic = 0x56524e52; // "VRNR"

// Appends plain values and arrays of them to a byte string.
class Writer
{
public:
    template <typename T>
    void Put(const T& value)
    {
        static_assert(std::is_trivially_copyable_v<T>);
        const char* from = reinterpret_cast<const char*>(&value);
        m_bytes.insert(m_bytes.end(), from, from + sizeof value);
    }
    template <typename T>
    void PutArray(const std::vector<T>& values)
    {
        static_assert(std::is_trivially_copyable_v<T>);
        Put(static_cast<uint64_t>(values.size()));
        const char* from = reinterpret_cast<const char*>(values.data());
        m_bytes.insert(m_bytes.end(), from, from + values.size() * sizeof(T));
    }
    void PutStrings(const std::vector<std::string>& strings)
    {
        Put(static_cast<uint64_t>(strings.size()));
        for (const std::string& s : strings)
            PutArray(std::vector<char>(s.begin(), s.end()));
    }
    std::vector<char> Take() { return std::move(m_bytes); }

private:
    std::vector<char> m_bytes;
};

// Reads what `Writer` wrote; once anything is missing, every later read fails too.
class Reader
{
public:
    explicit Reader(const std::vector<char>& bytes) : m_bytes(bytes) {}
    template <typename T>
    bool Get(T& value)
    {
        if (!m_good || m_bytes.size() - m_at < sizeof value)
            return m_good = false;
        std::memcpy(&value, m_bytes.data() + m_at, sizeof value);
        m_at += sizeof value;
        return true;
    }
    template <typename T>
    bool GetArray(std::vector<T>& values)
    {
        uint64_t count = 0;
        if (!Get(count) || count > (m_bytes.size() - m_at) / sizeof(T))
            return m_good = false;
        values.resize(count);
        if (count > 0)
            std::memcpy(values.data(), m_bytes.data() + m_at, count * sizeof(T));
        m_at += count * sizeof(T);
        return true;
    }
    bool GetStrings(std::vector<std::string>& strings)
    {
        uint64_t count = 0;
        if (!Get(count) || count > m_bytes.size() - m_at)
            return m_good = false;
        strings.assign(count, {});
        std::vector<char> chars;
        for (std::string& s : strings)
        {
            if (!GetArray(chars))
                return false;
            s.assign(chars.begin(), chars.end());
        }
        return true;
    }
    bool AtEnd() const { return m_good && m_at == m_bytes.size(); }

private:
    const std::vector<char>& m_bytes;
    size_t m_at = 0;
    bool m_good = true;
};

// Whether the arrays of `model` fit together: one entry per column in each column array, per row in
// each row array, and rows whose entries lie in order within the entries, on columns of the model.
bool ConsistentShape(const MipModel& model)
{
    const size_t columns = model.cost.size(), rows = model.rowLower.size();
    if (model.colLower.size() != columns || model.colUpper.size() != columns ||
        model.isInteger.size() != columns || model.colName.size() != columns ||
        model.rowUpper.size() != rows || model.rowName.size() != rows || model.rowStart.size() != rows + 1 ||
        model.entryValue.size() != model.entryCol.size())
        return false;
    if (model.rowStart.front() != 0 || model.rowStart.back() != model.EntryCount())
        return false;
    for (size_t r = 0; r < rows; ++r)
        if (model.rowStart[r] > model.rowStart[r + 1])
            return false;
    for (const int32_t column : model.entryCol)
        if (column < 0 || static_cast<size_t>(column) >= columns)
            return false;
    return true;
}

} // namespace

std::vector<char> EncodeSolveResult(const SolveResult& result)
{
    ResultHeader header;
    header.status = static_cast<int32_t>(result.status);
    header.objective = result.objective;
    header.bound = result.bound;
    header.values = result.solution.size();
    header.detailBytes = result.detail.size();
    std::vector<char> bytes(sizeof header + result.solution.size() * sizeof(double) + result.detail.size());
    std::memcpy(bytes.data(), &header, sizeof header);
    if (!result.solution.empty())
        std::memcpy(bytes.data() + sizeof header, result.solution.data(),
                    result.solution.size() * sizeof(double));
    if (!result.detail.empty())
        std::memcpy(bytes.data() + sizeof header + result.solution.size() * sizeof(double),
                    result.detail.data(), result.detail.size());
    return bytes;
}

std::optional<SolveResult> DecodeSolveResult(const std::vector<char>& bytes)
{
    ResultHeader header;
    if (bytes.size() < sizeof header)
        return std::nullopt;
    std::memcpy(&header, bytes.data(), sizeof header);
    const uint64_t rest = bytes.size() - sizeof header;
    if (header.magic != ResultHeader().magic || header.status < 0 ||
        header.status > static_cast<int32_t>(SolveStatus::Failed) || header.values > rest / sizeof(double) ||
        rest != header.values * sizeof(double) + header.detailBytes)
        return std::nullopt;
    SolveResult result;
    result.status = static_cast<SolveStatus>(header.status);
    result.objective = header.objective;
    result.bound = header.bound;
    result.solution.resize(header.values);
    if (header.values > 0)
        std::memcpy(result.solution.data(), bytes.data() + sizeof header, header.values * sizeof(double));
    result.detail.assign(bytes.data() + sizeof header + header.values * sizeof(double), header.detailBytes);
    return result;
}

std::vector<char> EncodeSolveRequest(const MipModel& model, const SolveParams& params, double seconds)
{
    Writer out;
    out.Put(kRequestMagic);
    out.Put(seconds);
    out.Put(params.mipGapPercent);
    out.Put(params.feasibility);
    out.Put(params.integrality);
    out.Put(params.lpTolerance);
    out.Put(static_cast<int32_t>(params.seed));
    for (const bool flag : {params.firstFeasible, params.simplex, params.crossover,
                            params.solverChoosesMethod, params.lpMethodByShape})
        out.Put(static_cast<char>(flag));
    out.PutArray(params.start);
    out.PutArray(model.colLower);
    out.PutArray(model.colUpper);
    out.PutArray(model.cost);
    out.PutArray(model.isInteger);
    out.PutStrings(model.colName);
    out.PutArray(model.rowLower);
    out.PutArray(model.rowUpper);
    out.PutStrings(model.rowName);
    out.PutArray(model.rowStart);
    out.PutArray(model.entryCol);
    out.PutArray(model.entryValue);
    out.Put(model.objectiveOffset);
    return out.Take();
}

std::optional<SolveRequest> DecodeSolveRequest(const std::vector<char>& bytes)
{
    Reader in(bytes);
    SolveRequest request;
    SolveParams& params = request.params;
    MipModel& model = request.model;
    uint32_t magic = 0;
    int32_t seed = 0;
    char flags[5] = {};
    in.Get(magic);
    in.Get(request.seconds);
    in.Get(params.mipGapPercent);
    in.Get(params.feasibility);
    in.Get(params.integrality);
    in.Get(params.lpTolerance);
    in.Get(seed);
    for (char& flag : flags)
        in.Get(flag);
    in.GetArray(params.start);
    in.GetArray(model.colLower);
    in.GetArray(model.colUpper);
    in.GetArray(model.cost);
    in.GetArray(model.isInteger);
    in.GetStrings(model.colName);
    in.GetArray(model.rowLower);
    in.GetArray(model.rowUpper);
    in.GetStrings(model.rowName);
    in.GetArray(model.rowStart);
    in.GetArray(model.entryCol);
    in.GetArray(model.entryValue);
    in.Get(model.objectiveOffset);
    if (!in.AtEnd() || magic != kRequestMagic)
        return std::nullopt;
    params.seed = seed;
    params.firstFeasible = flags[0];
    params.simplex = flags[1];
    params.crossover = flags[2];
    params.solverChoosesMethod = flags[3];
    params.lpMethodByShape = flags[4];
    if (!ConsistentShape(model))
        return std::nullopt;
    return request;
}

} // namespace vrn
