#pragma once
// GUI layouts from one compact table of widgets, one line each:
//
//     # comment
//     Name   Type   x y w h   [Property=value ...]
//
// Two spaces of indentation per level make a line the child of the last line
// one level up; the first line is the layout's root. x, y, w and h are
// fractions of the parent's size; a value with spaces is written in double
// quotes. The result is a layout of the GUI library's version 4.
//
// Two properties are the table's own:
//   @repeat=N,dx,dy[,first]
//                     the line stands for N windows numbered from first
//                     (1 unless given), each moved by (dx, dy) from the one
//                     before, with "%d" and "%02d" in its name and property
//                     values replaced by its number; it has no children.
//   Aspect=R          the window keeps the width-to-height ratio R: it is
//                     shrunk to fit its place and centred in it.
#include <string>
#include <vector>

struct WidgetLine {
    int depth = 0;
    std::string name;
    std::string type;
    float x = 0, y = 0, w = 1, h = 1;
    std::vector<std::pair<std::string, std::string>> properties;
    bool repeated = false;
};

// Parses the table. False with a message naming the line when a line is
// malformed, a child skips a level or hangs under a repeated line, or there is
// not exactly one root.
bool parseWidgetTable(const std::string& text, std::vector<WidgetLine>& widgets, std::string& error);
std::string writeLayout(const std::vector<WidgetLine>& widgets);
