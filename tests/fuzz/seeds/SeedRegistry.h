#pragma once
// Seed corpora for the fuzz targets are generated, not committed: each
// generator writes a few well-formed inputs (made by our own writers) into a
// directory. Register one per fuzz target with VORLUND_SEEDS(fuzz_name).
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace seeds {

using Generator = std::function<void(const std::filesystem::path& dir)>;

std::map<std::string, Generator>& registry();
void writeFile(const std::filesystem::path& path, const std::vector<unsigned char>& bytes);

struct Registrar {
    Registrar(const char* name, Generator generator) { registry()[name] = std::move(generator); }
};

} // namespace seeds

#define VORLUND_SEEDS(name) \
    static void seeds_##name(const std::filesystem::path& dir); \
    static seeds::Registrar registrar_##name(#name, seeds_##name); \
    static void seeds_##name(const std::filesystem::path& dir)
