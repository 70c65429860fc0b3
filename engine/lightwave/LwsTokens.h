#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The whole-file tokeniser of scene files and the cursor the readers move.
// Tokens are separated by bytes below 0x21 and by bytes of 0x80 and above
// (which may continue a token but never begin one); a token that begins with
// a double quote runs to the next one, quotes dropped. The text ends at its
// first zero byte.
//
// Every read is bounded by the token count: past the last token a read
// answers the empty token (0 as a number) and the cursor stops at the count,
// so a file that ends inside a key's arguments cannot be read past its end.
class LwsTokens {
public:
    void tokenize(const char* data, size_t size);

    int32_t count() const { return int32_t(m_starts.size()); }
    bool atEnd() const { return m_cursor >= count(); }
    // The token at the index, empty outside the table.
    std::string_view at(int64_t index) const;
    std::string_view peek(int32_t offset = 0) const { return at(int64_t(m_cursor) + offset); }

    int32_t cursor() const { return m_cursor; }
    // Moves the cursor, held within [0, count].
    void setCursor(int64_t index);
    void advance(int64_t delta) { setCursor(int64_t(m_cursor) + delta); }

    std::string_view next();
    // Leading decimal digits with an optional sign, 0 when none; clamped to
    // the 32-bit range.
    int32_t nextInt();
    // The number at the start of the token, 0 when none.
    double nextFloat();
    // Hexadecimal, with or without "0x"; 0 when none.
    uint32_t nextItemId();
    // The token at the cursor, or the one behind it when the cursor stands
    // on a lone "{".
    std::string_view nextBlockToken();
    // Skips the rest of the block the cursor is in, through its "}"; nested
    // blocks ("{" and the name behind it) are skipped whole.
    void skipBlock();

    // The text of tokens first..last as it stood in the file, each token's
    // first separator turned into a space: a name written with spaces and no
    // quotes, put back together.
    std::string joined(int32_t first, int32_t last) const;

    static bool equalsIgnoringCase(std::string_view a, std::string_view b);
    static int32_t toInt(std::string_view token);
    static double toFloat(std::string_view token);
    static uint32_t toItemId(std::string_view token);

private:
    std::string m_text;
    std::vector<uint32_t> m_starts;
    std::vector<uint32_t> m_lengths;
    int32_t m_cursor = 0;
};
