#include "engine/lightwave/LwsTokens.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace {

bool isSeparator(char c)
{
    return static_cast<signed char>(c) < 0x21;
}

bool continuesToken(char c)
{
    return static_cast<unsigned char>(c) > 0x20;
}

// The token as a NUL-terminated copy short enough for the number parsers.
std::string numberText(std::string_view token)
{
    return std::string(token.substr(0, 64));
}

} // namespace

void LwsTokens::tokenize(const char* data, size_t size)
{
    const char* end = data ? static_cast<const char*>(std::memchr(data, 0, size)) : nullptr;
    const size_t length = data ? (end ? size_t(end - data) : size) : 0;
    m_text.assign(data ? data : "", length);
    m_starts.clear();
    m_lengths.clear();
    m_cursor = 0;
    size_t pos = 0;
    while (pos < length) {
        const char c = m_text[pos];
        if (isSeparator(c)) {
            ++pos;
            continue;
        }
        size_t start = pos;
        size_t stop;
        if (c == '"') {
            start = pos + 1;
            const size_t quote = m_text.find('"', start);
            stop = quote == std::string::npos ? length : quote;
            pos = stop + 1;
        } else {
            while (pos < length && continuesToken(m_text[pos]))
                ++pos;
            stop = pos;
            ++pos;
        }
        m_starts.push_back(uint32_t(start));
        m_lengths.push_back(uint32_t(stop - start));
    }
}

std::string_view LwsTokens::at(int64_t index) const
{
    if (index < 0 || index >= int64_t(m_starts.size()))
        return {};
    return std::string_view(m_text).substr(m_starts[size_t(index)], m_lengths[size_t(index)]);
}

void LwsTokens::setCursor(int64_t index)
{
    m_cursor = int32_t(std::clamp<int64_t>(index, 0, count()));
}

std::string_view LwsTokens::next()
{
    std::string_view token = at(m_cursor);
    advance(1);
    return token;
}

int32_t LwsTokens::nextInt()
{
    return toInt(next());
}

double LwsTokens::nextFloat()
{
    return toFloat(next());
}

uint32_t LwsTokens::nextItemId()
{
    return toItemId(next());
}

std::string_view LwsTokens::nextBlockToken()
{
    if (peek() == "{")
        advance(1);
    return next();
}

void LwsTokens::skipBlock()
{
    // The depth counts the nested blocks still open: a file of nothing but
    // braces cannot run the stack out.
    int64_t depth = 0;
    while (!atEnd()) {
        const std::string_view token = peek();
        if (token == "}") {
            advance(1);
            if (depth == 0)
                return;
            --depth;
        } else if (token == "{") {
            advance(2);
            ++depth;
        } else {
            advance(1);
        }
    }
}

std::string LwsTokens::joined(int32_t first, int32_t last) const
{
    if (first < 0 || last < first || last >= count())
        return {};
    const size_t begin = m_starts[size_t(first)];
    const size_t end = m_starts[size_t(last)] + m_lengths[size_t(last)];
    std::string name = m_text.substr(begin, end - begin);
    for (int32_t i = first; i < last; ++i)
        name[m_starts[size_t(i)] + m_lengths[size_t(i)] - begin] = ' ';
    return name;
}

bool LwsTokens::equalsIgnoringCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z')
            x = char(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z')
            y = char(y - 'A' + 'a');
        if (x != y)
            return false;
    }
    return true;
}

int32_t LwsTokens::toInt(std::string_view token)
{
    const std::string text = numberText(token);
    errno = 0;
    const long long value = std::strtoll(text.c_str(), nullptr, 10);
    return int32_t(std::clamp<long long>(value, INT32_MIN, INT32_MAX));
}

double LwsTokens::toFloat(std::string_view token)
{
    const std::string text = numberText(token);
    return std::strtod(text.c_str(), nullptr);
}

uint32_t LwsTokens::toItemId(std::string_view token)
{
    const std::string text = numberText(token);
    return uint32_t(std::strtoull(text.c_str(), nullptr, 16));
}
