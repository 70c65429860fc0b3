#pragma once
// The parameter files of data/karts/: one setting a line, a key and its
// values separated by blanks; "#" starts a comment. A line whose key is a
// block word ("driver NAME") opens a block that the lines after it fill.
// Reading is strict: an unknown key, a missing one or a value that is no
// number stops the tool with the file and line.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

struct ParamLine {
    std::string key;
    std::vector<std::string> values;
    int number = 0;
};

struct ParamBlock {
    std::string kind; // empty for the lines before the first block word
    std::string name;
    std::vector<ParamLine> lines;
};

class Params {
public:
    // False with error() set when the file cannot be read.
    bool load(const std::string& path, const std::vector<std::string>& blockWords);
    const std::vector<ParamBlock>& blocks() const { return m_blocks; }
    const std::string& error() const { return m_error; }
    const std::string& path() const { return m_path; }

private:
    std::string m_path;
    std::string m_error;
    std::vector<ParamBlock> m_blocks;
};

// Typed reads of one block's lines; the first failure is kept, so a caller
// reads everything and asks ok() once.
class ParamReader {
public:
    ParamReader(const Params& file, const ParamBlock& block);
    float number(const std::string& key);
    std::vector<float> numbers(const std::string& key, size_t count);
    uint32_t colour(const std::string& key);
    std::string word(const std::string& key);
    // A key that may be left out.
    bool has(const std::string& key) const;
    // Every key of the block was read, and read well.
    bool ok();
    const std::string& error() const { return m_error; }

private:
    const ParamLine* find(const std::string& key);
    void fail(const ParamLine* line, const std::string& what);
    const Params& m_file;
    const ParamBlock& m_block;
    std::map<std::string, bool> m_used;
    std::string m_error;
};
