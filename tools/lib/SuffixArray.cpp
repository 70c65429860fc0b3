#include "tools/lib/SuffixArray.h"

#include <algorithm>

namespace {

class InducedSorter {
public:
    InducedSorter(const int32_t* text, int32_t* sa, int32_t n, int32_t alphabet)
        : m_text(text), m_sa(sa), m_n(n), m_alphabet(alphabet), m_isS(size_t(n)), m_bucket(size_t(alphabet) + 1)
    {
    }

    void run()
    {
        const int32_t n = m_n;
        m_isS[size_t(n - 1)] = true;
        for (int32_t i = n - 2; i >= 0; --i)
            m_isS[size_t(i)] = m_text[i] < m_text[i + 1] || (m_text[i] == m_text[i + 1] && m_isS[size_t(i + 1)]);

        // Sort the LMS substrings by one round of induction.
        std::fill(m_sa, m_sa + n, -1);
        bucketEnds();
        for (int32_t i = 1; i < n; ++i) {
            if (isLms(i))
                m_sa[--m_bucket[size_t(m_text[i])]] = i;
        }
        induceL();
        induceS();

        int32_t lmsCount = 0;
        for (int32_t i = 0; i < n; ++i) {
            if (isLms(m_sa[i]))
                m_sa[lmsCount++] = m_sa[i];
        }

        // Name the sorted LMS substrings; equal substrings share a name.
        std::fill(m_sa + lmsCount, m_sa + n, -1);
        int32_t names = 0;
        int32_t previous = -1;
        for (int32_t i = 0; i < lmsCount; ++i) {
            const int32_t pos = m_sa[i];
            bool differs = false;
            for (int32_t d = 0; d < n; ++d) {
                if (previous == -1 || m_text[pos + d] != m_text[previous + d] ||
                    m_isS[size_t(pos + d)] != m_isS[size_t(previous + d)]) {
                    differs = true;
                    break;
                }
                if (d > 0 && (isLms(pos + d) || isLms(previous + d)))
                    break;
            }
            if (differs) {
                ++names;
                previous = pos;
            }
            m_sa[lmsCount + pos / 2] = names - 1;
        }
        for (int32_t i = n - 1, j = n - 1; i >= lmsCount; --i) {
            if (m_sa[i] >= 0)
                m_sa[j--] = m_sa[i];
        }

        // Order the LMS suffixes: recurse while names repeat.
        int32_t* reduced = m_sa + n - lmsCount;
        if (names < lmsCount) {
            InducedSorter(reduced, m_sa, lmsCount, names).run();
        } else {
            for (int32_t i = 0; i < lmsCount; ++i)
                m_sa[reduced[i]] = i;
        }

        // Place the sorted LMS suffixes and induce everything else from them.
        for (int32_t i = 1, j = 0; i < n; ++i) {
            if (isLms(i))
                reduced[j++] = i;
        }
        for (int32_t i = 0; i < lmsCount; ++i)
            m_sa[i] = reduced[m_sa[i]];
        std::fill(m_sa + lmsCount, m_sa + n, -1);
        bucketEnds();
        for (int32_t i = lmsCount - 1; i >= 0; --i) {
            const int32_t j = m_sa[i];
            m_sa[i] = -1;
            m_sa[--m_bucket[size_t(m_text[j])]] = j;
        }
        induceL();
        induceS();
    }

private:
    bool isLms(int32_t i) const { return i > 0 && m_isS[size_t(i)] && !m_isS[size_t(i - 1)]; }

    void countBuckets()
    {
        std::fill(m_bucket.begin(), m_bucket.end(), 0);
        for (int32_t i = 0; i < m_n; ++i)
            ++m_bucket[size_t(m_text[i])];
    }
    void bucketStarts()
    {
        countBuckets();
        int32_t sum = 0;
        for (int32_t c = 0; c <= m_alphabet; ++c) {
            const int32_t size = m_bucket[size_t(c)];
            m_bucket[size_t(c)] = sum;
            sum += size;
        }
    }
    void bucketEnds()
    {
        countBuckets();
        int32_t sum = 0;
        for (int32_t c = 0; c <= m_alphabet; ++c) {
            sum += m_bucket[size_t(c)];
            m_bucket[size_t(c)] = sum;
        }
    }
    void induceL()
    {
        bucketStarts();
        for (int32_t i = 0; i < m_n; ++i) {
            const int32_t j = m_sa[i] - 1;
            if (j >= 0 && !m_isS[size_t(j)])
                m_sa[m_bucket[size_t(m_text[j])]++] = j;
        }
    }
    void induceS()
    {
        bucketEnds();
        for (int32_t i = m_n - 1; i >= 0; --i) {
            const int32_t j = m_sa[i] - 1;
            if (j >= 0 && m_isS[size_t(j)])
                m_sa[--m_bucket[size_t(m_text[j])]] = j;
        }
    }

    const int32_t* m_text;
    int32_t* m_sa;
    int32_t m_n;
    int32_t m_alphabet;
    std::vector<bool> m_isS;
    std::vector<int32_t> m_bucket;
};

} // namespace

std::vector<int32_t> buildSuffixArray(const uint8_t* data, int32_t n)
{
    if (n < 0)
        n = 0;
    // Bytes move up by one so that 0 is free for the end marker.
    std::vector<int32_t> text(size_t(n) + 1);
    for (int32_t i = 0; i < n; ++i)
        text[size_t(i)] = int32_t(data[i]) + 1;
    text[size_t(n)] = 0;
    std::vector<int32_t> sa(size_t(n) + 1);
    if (n == 0) {
        sa[0] = 0;
        return sa;
    }
    InducedSorter(text.data(), sa.data(), n + 1, 256).run();
    return sa;
}
