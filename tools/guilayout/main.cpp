// guilayout TABLE OUT: writes the GUI layout OUT from the widget table TABLE.
#include "tools/lib/LayoutWriter.h"

#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: guilayout TABLE OUT\n");
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "guilayout: cannot read %s\n", argv[1]);
        return 1;
    }
    std::stringstream text;
    text << in.rdbuf();
    std::vector<WidgetLine> widgets;
    std::string error;
    if (!parseWidgetTable(text.str(), widgets, error)) {
        std::fprintf(stderr, "guilayout: %s: %s\n", argv[1], error.c_str());
        return 1;
    }
    std::ofstream out(argv[2], std::ios::binary);
    out << writeLayout(widgets);
    if (!out) {
        std::fprintf(stderr, "guilayout: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
