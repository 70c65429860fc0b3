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

// The text with every "%02d" and "%d" replaced by the index.
std::string numbered(const std::string& text, int index)
{
    std::string out;
    char two[16];
    std::snprintf(two, sizeof(two), "%02d", index);
    for (size_t i = 0; i < text.size(); ++i) {
        if (text.compare(i, 4, "%02d") == 0) {
            out += two;
            i += 3;
        } else if (text.compare(i, 2, "%d") == 0) {
            out += std::to_string(index);
            i += 1;
        } else {
            out += text[i];
        }
    }
    return out;
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
        int count = 1, first = 1;
        float dx = 0, dy = 0;
        for (size_t i = 6; i < fields.size(); ++i) {
            const size_t equals = fields[i].find('=');
            if (equals == std::string::npos || equals == 0)
                return fail("a property is written Name=value");
            const std::string name = fields[i].substr(0, equals), value = fields[i].substr(equals + 1);
            if (name == "@repeat") {
                char comma1 = 0, comma2 = 0, comma3 = 0, rest = 0;
                const int read = std::sscanf(value.c_str(), "%d%c%f%c%f%c%d%c", &count, &comma1, &dx, &comma2, &dy,
                                             &comma3, &first, &rest);
                if ((read != 5 && read != 7) || comma1 != ',' || comma2 != ',' || (read == 7 && comma3 != ',')
                    || count < 1 || count > 100 || first < 0 || first > 100)
                    return fail("@repeat is written @repeat=N,dx,dy[,first] with N from 1 to 100");
                if (widget.name.find("%d") == std::string::npos && widget.name.find("%02d") == std::string::npos)
                    return fail("a repeated name holds %d or %02d");
                widget.repeated = true;
                continue;
            }
            widget.properties.emplace_back(name, value);
        }
        if (widgets.empty() ? widget.depth != 0 : widget.depth == 0)
            return fail("a layout has exactly one root, on the first line");
        if (!widgets.empty() && widget.depth > widgets.back().depth + 1)
            return fail("a child is indented more than one level below its parent");
        if (!widgets.empty() && widget.depth > widgets.back().depth && widgets.back().repeated)
            return fail("a repeated line has no children");
        for (int i = 0; i < count; ++i) {
            WidgetLine copy = widget;
            if (widget.repeated) {
                copy.name = numbered(widget.name, first + i);
                copy.x += dx * float(i);
                copy.y += dy * float(i);
                for (auto& property : copy.properties)
                    property.second = numbered(property.second, first + i);
            }
            widgets.push_back(std::move(copy));
        }
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
        float x = w.x, y = w.y;
        std::string aspect;
        for (const auto& [name, value] : w.properties)
            if (name == "Aspect")
                aspect = value;
        // A window that keeps its ratio is centred in its place: its position
        // is then the offset of its centre from the parent's centre.
        if (!aspect.empty()) {
            x = w.x + w.w * 0.5f - 0.5f;
            y = w.y + w.h * 0.5f - 0.5f;
        }
        out += inner + "<Property name=\"Area\" value=\"{{" + number(x) + ",0},{" + number(y) + ",0},{"
               + number(x + w.w) + ",0},{" + number(y + w.h) + ",0}}\" />\n";
        for (const auto& [name, value] : w.properties) {
            if (name == "Aspect") {
                out += inner + "<Property name=\"AspectMode\" value=\"Shrink\" />\n";
                out += inner + "<Property name=\"AspectRatio\" value=\"" + escapeXml(value) + "\" />\n";
                out += inner + "<Property name=\"HorizontalAlignment\" value=\"Centre\" />\n";
                out += inner + "<Property name=\"VerticalAlignment\" value=\"Centre\" />\n";
                continue;
            }
            out += inner + "<Property name=\"" + escapeXml(name) + "\" value=\"" + escapeXml(value) + "\" />\n";
        }
        open.push_back(w.depth);
    }
    while (!open.empty()) {
        out += indent(open.back()) + "</Window>\n";
        open.pop_back();
    }
    out += "</GUILayout>\n";
    return out;
}
