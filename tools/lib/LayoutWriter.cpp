#include "tools/lib/LayoutWriter.h"

#include <cstdio>
#include <sstream>

namespace {

std::string escapeXml(const std::string& text)
{
    std::string out;
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += c;
        }
    }
    return out;
}

// Splits on blanks, keeping double-quoted stretches (quotes removed) whole.
bool splitFields(const std::string& line, std::vector<std::string>& fields)
{
    std::string field;
    bool quoted = false, any = false;
    for (char c : line) {
        if (c == '"') {
            quoted = !quoted;
            any = true;
        } else if ((c == ' ' || c == '\t') && !quoted) {
            if (any)
                fields.push_back(field);
            field.clear();
            any = false;
        } else {
            field += c;
            any = true;
        }
    }
    if (any)
        fields.push_back(field);
    return !quoted;
}

bool toFloat(const std::string& text, float& value)
{
    char* end = nullptr;
    value = std::strtof(text.c_str(), &end);
    return !text.empty() && *end == '\0';
}

std::string number(float value)
{
    char buffer[32];
    std::snprintf(buffer, sizeof(buffer), "%g", double(value));
    return buffer;
}

} // namespace

bool parseWidgetTable(const std::string& text, std::vector<WidgetLine>& widgets, std::string& error)
{
    widgets.clear();
    std::istringstream in(text);
    std::string line;
    int lineNumber = 0;
    auto fail = [&](const std::string& why) {
        error = "line " + std::to_string(lineNumber) + ": " + why;
        return false;
    };
    while (std::getline(in, line)) {
        ++lineNumber;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        size_t indent = 0;
        while (indent < line.size() && line[indent] == ' ')
            ++indent;
        if (indent == line.size() || line[indent] == '#')
            continue;
        if (indent % 2 != 0)
            return fail("indentation is not a multiple of two spaces");
        std::vector<std::string> fields;
        if (!splitFields(line.substr(indent), fields))
            return fail("a quote is not closed");
        if (fields.size() < 6)
            return fail("expected a name, a type and x y w h");
        WidgetLine widget;
        widget.depth = int(indent / 2);
        widget.name = fields[0];
        widget.type = fields[1];
        if (!toFloat(fields[2], widget.x) || !toFloat(fields[3], widget.y) || !toFloat(fields[4], widget.w)
            || !toFloat(fields[5], widget.h))
            return fail("x y w h must be numbers");
        if (widget.name.find('/') != std::string::npos)
            return fail("a name holds no \"/\": paths are made of names");
        for (size_t i = 6; i < fields.size(); ++i) {
            const size_t equals = fields[i].find('=');
            if (equals == std::string::npos || equals == 0)
                return fail("a property is written Name=value");
            widget.properties.emplace_back(fields[i].substr(0, equals), fields[i].substr(equals + 1));
        }
        if (widgets.empty() ? widget.depth != 0 : widget.depth == 0)
            return fail("a layout has exactly one root, on the first line");
        if (!widgets.empty() && widget.depth > widgets.back().depth + 1)
            return fail("a child is indented more than one level below its parent");
        widgets.push_back(std::move(widget));
    }
    if (widgets.empty())
        return fail("no widgets");
    return true;
}

std::string writeLayout(const std::vector<WidgetLine>& widgets)
{
    std::string out = "<?xml version=\"1.0\" ?>\n<!-- Written by guilayout from a widget table. -->\n"
                      "<GUILayout version=\"4\">\n";
    std::vector<int> open;
    auto indent = [](int depth) { return std::string(size_t(depth + 1) * 4, ' '); };
    for (const WidgetLine& w : widgets) {
        while (!open.empty() && open.back() >= w.depth) {
            out += indent(open.back()) + "</Window>\n";
            open.pop_back();
        }
        out += indent(w.depth) + "<Window type=\"" + escapeXml(w.type) + "\" name=\"" + escapeXml(w.name) + "\">\n";
        const std::string inner = indent(w.depth + 1);
        out += inner + "<Property name=\"Area\" value=\"{{" + number(w.x) + ",0},{" + number(w.y) + ",0},{"
               + number(w.x + w.w) + ",0},{" + number(w.y + w.h) + ",0}}\" />\n";
        for (const auto& [name, value] : w.properties)
            out += inner + "<Property name=\"" + escapeXml(name) + "\" value=\"" + escapeXml(value) + "\" />\n";
        open.push_back(w.depth);
    }
    while (!open.empty()) {
        out += indent(open.back()) + "</Window>\n";
        open.pop_back();
    }
    out += "</GUILayout>\n";
    return out;
}
