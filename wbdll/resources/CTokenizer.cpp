// Splitting template lines into fields and reading numbers from them.
#include "CTokenizer.h"

#include <limits>

namespace {

constexpr char kSeparator = '\t';

} // namespace

CTokenizer::CTokenizer(std::string_view line) : mLine(line)
{
    while (!mLine.empty() && (mLine.back() == '\n' || mLine.back() == '\r'))
        mLine.remove_suffix(1);
}

std::string_view CTokenizer::NextField()
{
    while (mPos < mLine.size() && mLine[mPos] == kSeparator)
        ++mPos;
    const size_t start = mPos;
    while (mPos < mLine.size() && mLine[mPos] != kSeparator)
        ++mPos;
    return mLine.substr(start, mPos - start);
}

bool CTokenizer::NextToken(CString& text)
{
    const std::string_view field = NextField();
    if (field.empty())
        return false;
    text = CString(std::string(field));
    return true;
}

uint32_t CTokenizer::NextInteger()
{
    uint64_t value = 0;
    for (char c : NextField()) {
        if (c < '0' || c > '9')
            break;
        value = value * 10 + uint64_t(c - '0');
        if (value > std::numeric_limits<uint32_t>::max())
            return std::numeric_limits<uint32_t>::max();
    }
    return uint32_t(value);
}

int CTokenizer::CountRemaining() const
{
    int count = 0;
    size_t pos = mPos;
    while (pos < mLine.size()) {
        while (pos < mLine.size() && mLine[pos] == kSeparator)
            ++pos;
        if (pos == mLine.size())
            break;
        ++count;
        while (pos < mLine.size() && mLine[pos] != kSeparator)
            ++pos;
    }
    return count;
}
