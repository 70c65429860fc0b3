// lwo2: looks into and makes LightWave LWO2 objects.
//
//   lwo2 dump FILE          the chunk and sub-chunk tree with sizes and counts
//   lwo2 build DESC OUT.lwo an object from a text description (see
//                           tools/lib/Lwo2Tools.h for the statements)
#include "tools/lib/Lwo2Tools.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace {

int usage()
{
    std::fprintf(stderr, "usage: lwo2 dump FILE\n       lwo2 build DESC OUT.lwo\n");
    return 2;
}

bool readFile(const char* path, std::vector<uint8_t>& bytes)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3)
        return usage();
    const std::string command = argv[1];
    std::vector<uint8_t> bytes;
    if (command == "dump" && argc == 3) {
        if (!readFile(argv[2], bytes)) {
            std::fprintf(stderr, "lwo2: cannot read %s\n", argv[2]);
            return 1;
        }
        std::string why;
        if (!lwo2LooksLikeObject(bytes, why)) {
            std::fprintf(stderr, "lwo2: %s: %s\n", argv[2], why.c_str());
            return 1;
        }
        std::fputs(lwo2Dump(bytes).c_str(), stdout);
        return 0;
    }
    if (command == "build" && argc == 4) {
        std::vector<uint8_t> text;
        if (!readFile(argv[2], text)) {
            std::fprintf(stderr, "lwo2: cannot read %s\n", argv[2]);
            return 1;
        }
        std::string error;
        if (!lwo2Build(std::string(text.begin(), text.end()), bytes, error)) {
            std::fprintf(stderr, "lwo2: %s: %s\n", argv[2], error.c_str());
            return 1;
        }
        std::ofstream out(argv[3], std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        if (!out) {
            std::fprintf(stderr, "lwo2: cannot write %s\n", argv[3]);
            return 1;
        }
        return 0;
    }
    return usage();
}
