#include "tools/kartdata/Params.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>

bool Params::load(const std::string& path, const std::vector<std::string>& blockWords)
{
    m_path = path;
    m_blocks.assign(1, ParamBlock{});
    std::ifstream in(path);
    if (!in) {
        m_error = "cannot read " + path;
        return false;
    }
    std::string text;
    for (int number = 1; std::getline(in, text); ++number) {
        if (const size_t hash = text.find('#'); hash != std::string::npos)
            text.erase(hash);
        std::istringstream words(text);
        ParamLine line;
        line.number = number;
        if (!(words >> line.key))
            continue;
        for (std::string value; words >> value;)
            line.values.push_back(value);
        if (std::find(blockWords.begin(), blockWords.end(), line.key) != blockWords.end()) {
            m_blocks.push_back({line.key, line.values.empty() ? std::string() : line.values[0], {}});
            continue;
        }
        m_blocks.back().lines.push_back(std::move(line));
    }
    return true;
}

ParamReader::ParamReader(const Params& file, const ParamBlock& block) : m_file(file), m_block(block)
{
    for (const ParamLine& line : block.lines)
        m_used.emplace(line.key, false);
}

const ParamLine* ParamReader::find(const std::string& key)
{
    for (const ParamLine& line : m_block.lines)
        if (line.key == key) {
            m_used[key] = true;
            return &line;
        }
    fail(nullptr, "no \"" + key + "\"");
    return nullptr;
}

void ParamReader::fail(const ParamLine* line, const std::string& what)
{
    if (!m_error.empty())
        return;
    m_error = m_file.path();
    if (line)
        m_error += ":" + std::to_string(line->number);
    if (!m_block.name.empty())
        m_error += " (" + m_block.kind + " " + m_block.name + ")";
    m_error += ": " + what;
}

std::vector<float> ParamReader::numbers(const std::string& key, size_t count)
{
    std::vector<float> out(count, 0.0f);
    const ParamLine* line = find(key);
    if (!line)
        return out;
    if (line->values.size() != count) {
        fail(line, key + " wants " + std::to_string(count) + " numbers");
        return out;
    }
    for (size_t i = 0; i < count; ++i) {
        char* end = nullptr;
        out[i] = std::strtof(line->values[i].c_str(), &end);
        if (!end || *end)
            fail(line, "\"" + line->values[i] + "\" is no number");
    }
    return out;
}

float ParamReader::number(const std::string& key)
{
    return numbers(key, 1)[0];
}

uint32_t ParamReader::colour(const std::string& key)
{
    const ParamLine* line = find(key);
    if (!line)
        return 0;
    const std::string text = line->values.size() == 1 ? line->values[0] : std::string();
    if (text.size() != 6 || text.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) {
        fail(line, key + " wants one colour RRGGBB");
        return 0;
    }
    return uint32_t(std::strtoul(text.c_str(), nullptr, 16));
}

std::string ParamReader::word(const std::string& key)
{
    const ParamLine* line = find(key);
    if (!line)
        return {};
    if (line->values.size() != 1) {
        fail(line, key + " wants one word");
        return {};
    }
    return line->values[0];
}

bool ParamReader::has(const std::string& key) const
{
    return std::any_of(m_block.lines.begin(), m_block.lines.end(),
                       [&](const ParamLine& line) { return line.key == key; });
}

bool ParamReader::ok()
{
    for (const ParamLine& line : m_block.lines)
        if (!m_used[line.key])
            fail(&line, "unknown key \"" + line.key + "\"");
    return m_error.empty();
}
