// Reader of the .csp format: the entry points, the collection of errors, and the parts of the file
// around its two sections (the header "0", the counts, nothing after the last relation).
#include "common/escape_text.h"
#include "common/file_safety.h"
#include "instance/csp_reader.h"
#include "instance/instance.h"

#include <cstring>

namespace vrn
{

namespace
{

// Errors past this many are counted only (ReadResult::suppressedErrors).
constexpr size_t kErrorCap = 1000;
constexpr const char* kUtf8ByteOrderMark = "\xEF\xBB\xBF";

} // namespace

std::string FormatErrorText(const std::string& file, const FormatError& error)
{
    // Line 0: a fault of the file as a whole (missing, unreadable).
    if (error.line == 0)
        return (file.empty() ? std::string("mainVRN.exe") : EscapeControl(file)) + ": " + error.message;
    return EscapeControl(file) + ":" + std::to_string(error.line) + ": " + error.message;
}

namespace csp
{

Reader::Reader(std::string_view text, bool allErrors, ReadResult& result)
    : m_tokens(text), m_textSize(static_cast<int64_t>(text.size())), m_allErrors(allErrors), m_result(result)
{
}

void Reader::Run()
{
    try
    {
        ReadHeader();
        ReadCells();
        ReadRelations();
        ExpectEnd();
    }
    catch (const StopReading&)
    {
    }
}

void Reader::Error(int line, const std::string& message)
{
    if (m_result.errors.size() < kErrorCap)
        m_result.errors.push_back({line, message});
    else
        ++m_result.suppressedErrors;
    if (!m_allErrors)
        throw StopReading();
}

void Reader::Fatal(int line, const std::string& message)
{
    m_allErrors = false;
    Error(line, message);
    throw StopReading();
}

int64_t Reader::ReadCount(const char* what)
{
    const Token token = m_tokens.Next();
    int64_t count = 0;
    if (token.AtEnd())
        Fatal(token.line, std::string("the file ends where the number of ") + what + " should be");
    if (!ToCount(token.text, count) || count > 2000000000)
        Fatal(token.line, std::string("expected the number of ") + what +
                              " (a whole number, 0 or more), found " + Quote(token));
    return count;
}

void Reader::ReadHeader()
{
    const Token token = m_tokens.Next();
    if (token.AtEnd())
        Fatal(token.line, "the file is empty; expected the header 0");
    int64_t header = -1;
    if (!ToCount(token.text, header) || header != 0)
        Error(token.line, "expected the header 0, found " + Quote(token));
}

void Reader::ExpectEnd()
{
    const Token token = m_tokens.Peek();
    if (!token.AtEnd())
        Error(token.line, "text after the last relation: " + Quote(token));
}

} // namespace csp

ReadResult ReadInstanceText(const std::string& text, bool allErrors)
{
    ReadResult result;
    std::string_view body = text;
    if (body.substr(0, 3) == kUtf8ByteOrderMark)
        body.remove_prefix(3); // written by some editors at the start of a UTF-8 file
    csp::Reader(body, allErrors, result).Run();
    return result;
}

ReadResult ReadInstanceFile(const std::string& path, bool allErrors)
{
    ReadResult failed;
    if (path.empty())
    {
        failed.errors.push_back({0, "no instance file was given"});
        return failed;
    }
    std::string text;
    int why = 0;
    switch (ReadRegularFile(path, text, why))
    {
    case FileReadFault::None:
        break;
    case FileReadFault::CannotOpen:
        failed.errors.push_back({0, std::string("cannot open the instance file: ") + std::strerror(why)});
        return failed;
    case FileReadFault::NotRegular:
        failed.errors.push_back({0, "cannot read the instance file: it is not a regular file"});
        return failed;
    case FileReadFault::CannotRead:
        failed.errors.push_back({0, std::string("cannot read the instance file: ") + std::strerror(why)});
        return failed;
    }
    return ReadInstanceText(text, allErrors);
}

} // namespace vrn
