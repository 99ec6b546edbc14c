#include "utf8_decoder.h"

namespace vrn
{
namespace
{

const char kReplacement[] = "\xEF\xBF\xBD";

struct LeadByte
{
    int length;              // bytes in the whole sequence; 0 for a byte that cannot start one
    unsigned char secondMin; // the second byte's range narrows for some lead bytes
    unsigned char secondMax; // (overlong forms, surrogates, code points above U+10FFFF)
};

LeadByte Classify(unsigned char b)
{
    if (b < 0x80)
        return {1, 0, 0};
    if (b >= 0xC2 && b <= 0xDF)
        return {2, 0x80, 0xBF};
    if (b == 0xE0)
        return {3, 0xA0, 0xBF};
    if (b == 0xED)
        return {3, 0x80, 0x9F};
    if (b >= 0xE1 && b <= 0xEF)
        return {3, 0x80, 0xBF};
    if (b == 0xF0)
        return {4, 0x90, 0xBF};
    if (b >= 0xF1 && b <= 0xF3)
        return {4, 0x80, 0xBF};
    if (b == 0xF4)
        return {4, 0x80, 0x8F};
    return {0, 0, 0};
}

} // namespace

std::string Utf8Decoder::Decode(const char* data, std::size_t size)
{
    std::string bytes;
    bytes.swap(m_pending);
    bytes.append(data, size);

    std::string text;
    text.reserve(bytes.size());
    std::size_t i = 0;
    while (i < bytes.size())
    {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        const LeadByte kind = Classify(lead);
        if (kind.length == 1)
        {
            text += bytes[i++];
            continue;
        }
        if (kind.length == 0)
        {
            text += kReplacement;
            ++i;
            continue;
        }
        int valid = 1; // bytes of the sequence that are acceptable so far
        while (valid < kind.length && i + valid < bytes.size())
        {
            const auto b = static_cast<unsigned char>(bytes[i + valid]);
            const unsigned char lo = valid == 1 ? kind.secondMin : 0x80;
            const unsigned char hi = valid == 1 ? kind.secondMax : 0xBF;
            if (b < lo || b > hi)
                break;
            ++valid;
        }
        if (valid == kind.length)
        {
            text.append(bytes, i, valid);
        }
        else if (i + valid == bytes.size())
        {
            m_pending.assign(bytes, i, valid); // may still be completed by the next piece
        }
        else
        {
            text += kReplacement;
        }
        i += valid;
    }
    return text;
}

std::string Utf8Decoder::Flush()
{
    if (m_pending.empty())
        return {};
    m_pending.clear();
    return kReplacement;
}

} // namespace vrn
