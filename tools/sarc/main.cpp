// sarc: builds, lists and unpacks the game's SARC archives.
//
//   sarc pack OUT.sar DIR [--version 0|1]
//   sarc list ARCHIVE
//   sarc extract ARCHIVE DIR
//
// A file's path below DIR is its entry name, and a top-level folder named by
// one capital letter is that drive: DIR/D/Zoprax9/x.xml packs as the entry
// "D:\Zoprax9\x.xml" and extracts back to the same file.
#include "engine/core/archive/ArchiveFile.h"
#include "engine/core/io/DiskFile.h"
#include "engine/core/base/Report.h"
#include "tools/lib/ArchiveWriter.h"
#include "tools/lib/EntryPath.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

namespace {

int usage()
{
    std::fprintf(stderr,
                 "usage: sarc pack OUT.sar DIR [--version 0|1]\n"
                 "       sarc list ARCHIVE\n"
                 "       sarc extract ARCHIVE DIR\n");
    return 2;
}

bool readHostFile(const fs::path& path, std::vector<uint8_t>& bytes)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

int pack(const std::string& out, const fs::path& dir, int version)
{
    std::error_code ec;
    if (!fs::is_directory(dir, ec)) {
        std::fprintf(stderr, "sarc: %s is not a directory\n", dir.string().c_str());
        return 1;
    }
    std::vector<fs::path> files;
    for (fs::recursive_directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        if (it->is_regular_file(ec))
            files.push_back(it->path());
    }
    if (ec) {
        std::fprintf(stderr, "sarc: cannot read %s: %s\n", dir.string().c_str(), ec.message().c_str());
        return 1;
    }
    // Sorted, so the same tree always gives the same archive.
    std::sort(files.begin(), files.end());

    ArchiveWriter writer;
    uint64_t before = 0;
    uint64_t after = 0;
    // Two host files can name one entry (D/x and D:/x both pack as D:\x);
    // the reader would only ever find the first, so such a tree is refused.
    std::map<std::string, fs::path> packed;
    for (const fs::path& file : files) {
        const std::string name = entryOfHostPath(fs::relative(file, dir).generic_string());
        if (name.size() > 255) {
            std::fprintf(stderr, "sarc: name longer than 255 bytes: %s\n", name.c_str());
            return 1;
        }
        const auto [first, isNew] = packed.emplace(name, file);
        if (!isNew) {
            std::fprintf(stderr, "sarc: %s and %s both pack as the entry %s\n", first->second.string().c_str(),
                         file.string().c_str(), name.c_str());
            return 1;
        }
        std::vector<uint8_t> bytes;
        if (!readHostFile(file, bytes)) {
            std::fprintf(stderr, "sarc: cannot read %s\n", file.string().c_str());
            return 1;
        }
        if (bytes.size() > 0x7FFFFFFF) {
            std::fprintf(stderr, "sarc: %s is too large for an archive entry\n", file.string().c_str());
            return 1;
        }
        writer.addFile(name, bytes);
        before += bytes.size();
        after += writer.entries().back().stored.size();
    }
    std::string error;
    if (!writer.writeFile(out, version, error)) {
        std::fprintf(stderr, "sarc: %s\n", error.c_str());
        return 1;
    }
    std::printf("%zu entries, %llu bytes packed to %llu\n", files.size(), (unsigned long long)before,
                (unsigned long long)after);
    return 0;
}

// Mounts through the engine's own reader, so the tool sees an archive exactly
// as the game does.
bool mountArchive(ArchiveFile& archive, const std::string& path)
{
    reportLevel = ReportAssertion;
    reportToText = 1;
    lastErrorText.assignCString("");
    DiskFile disk("");
    if (!archive.mount(disk, path.c_str())) {
        if (lastErrorText.c_str()[0])
            std::fprintf(stderr, "sarc: %s", lastErrorText.c_str());
        else
            std::fprintf(stderr, "sarc: cannot open %s\n", path.c_str());
        return false;
    }
    return true;
}

int list(const std::string& path)
{
    ArchiveFile archive;
    if (!mountArchive(archive, path))
        return 1;
    const auto& entries = archive.entries();
    std::printf("flags     stored   unpacked  name\n");
    for (int32_t i = 0; i < entries.size; ++i) {
        const ArchiveEntry& e = entries.data[i];
        std::printf("0x%02x %10u %10u  %s\n", e.flags, e.storedSize, e.unpackedSize, e.name);
    }
    return 0;
}

// A name from the archive is untrusted: it must stay inside the target folder.
// A drive ("D:\x") becomes its folder ("D/x"); any other colon is refused.
bool safeRelativePath(const std::string& name, fs::path& out)
{
    const std::string host = hostPathOfEntry(name);
    if (host.empty() || host.front() == '/' || host.find(':') != std::string::npos)
        return false;
    fs::path path(host);
    for (const fs::path& part : path) {
        if (part == ".." || part == "." || part.empty())
            return false;
    }
    out = path;
    return true;
}

// A name as the archive reader compares it: ASCII case folded, "/" as "\\".
std::string foldedName(std::string name)
{
    for (char& c : name)
        c = c == '/' ? '\\' : char(c >= 'A' && c <= 'Z' ? c + 32 : c);
    return name;
}

// One entry to write: its name in the archive and its file.
struct Extraction {
    std::string name;
    fs::path target;
};

// Writes the entries it takes from `next` through its own clone of the
// archive, so several run side by side; each clone decodes with buffers of
// its own thread. False entries are counted in `failures`.
void extractSome(const ArchiveFile& archive, const std::vector<Extraction>& jobs, std::atomic<size_t>& next,
                 std::atomic<int>& failures, std::mutex& console)
{
    const std::unique_ptr<Stream> clone = archive.clone();
    Stream& reader = *clone;
    // Through one buffer kept for every entry: a fresh buffer the size of a
    // large entry costs more in page faults than the copy itself.
    std::vector<uint8_t> chunk(1u << 20);
    for (size_t i; (i = next.fetch_add(1)) < jobs.size();) {
        const Extraction& job = jobs[i];
        if (!reader.openRead(job.name.c_str())) {
            // The report switch's text may already be another thread's.
            const std::lock_guard<std::mutex> hold(console);
            std::fprintf(stderr, "sarc: cannot read %s from the archive\n", job.name.c_str());
            ++failures;
            continue;
        }
        std::error_code ec;
        fs::create_directories(job.target.parent_path(), ec);
        std::ofstream out(job.target, std::ios::binary | std::ios::trunc);
        for (uint32_t got; out && (got = reader.read(chunk.data(), uint32_t(chunk.size()))) > 0;)
            out.write(reinterpret_cast<const char*>(chunk.data()), std::streamsize(got));
        reader.close();
        if (!out) {
            const std::lock_guard<std::mutex> hold(console);
            std::fprintf(stderr, "sarc: cannot write %s\n", job.target.string().c_str());
            ++failures;
        }
    }
}

int extract(const std::string& path, const fs::path& dir)
{
    ArchiveFile archive;
    if (!mountArchive(archive, path))
        return 1;
    const auto& entries = archive.entries();
    std::set<std::string> done;
    std::vector<Extraction> jobs;
    std::atomic<int> failures{0};
    for (int32_t i = entries.size - 1; i >= 0; --i) {
        const ArchiveEntry& e = entries.data[i];
        if ((e.flags & ArchiveFile::kUnknownFlags) || !done.insert(foldedName(e.name)).second)
            continue; // unreadable, or overridden by a later entry of the same name
        fs::path relative;
        if (!safeRelativePath(e.name, relative)) {
            std::fprintf(stderr, "sarc: skipping unsafe name %s\n", e.name);
            ++failures;
            continue;
        }
        // "D\\x" would come out as the folder D, which packs as the drive.
        const std::string again = entryOfHostPath(relative.generic_string());
        if (foldedName(again) != foldedName(e.name)) {
            std::fprintf(stderr, "sarc: skipping %s: its file would pack back as %s\n", e.name, again.c_str());
            ++failures;
            continue;
        }
        jobs.push_back(Extraction{e.name, dir / relative});
    }
    // Entries are decoded on up to four threads at once.
    const size_t threads = std::min<size_t>(jobs.size(), std::clamp(std::thread::hardware_concurrency(), 1u, 4u));
    std::atomic<size_t> next{0};
    std::mutex console;
    std::vector<std::thread> helpers;
    for (size_t t = 1; t < threads; ++t) {
        try {
            helpers.emplace_back(extractSome, std::cref(archive), std::cref(jobs), std::ref(next), std::ref(failures),
                                 std::ref(console));
        } catch (const std::system_error&) {
            break; // the threads there are take the rest
        }
    }
    extractSome(archive, jobs, next, failures, console);
    for (std::thread& helper : helpers)
        helper.join();
    return failures.load() ? 1 : 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
        return usage();
    const std::string command = argv[1];
    if (command == "pack") {
        int version = 0;
        std::vector<std::string> args;
        for (int i = 2; i < argc; ++i) {
            if (std::strcmp(argv[i], "--version") == 0) {
                if (i + 1 >= argc || (std::strcmp(argv[i + 1], "0") != 0 && std::strcmp(argv[i + 1], "1") != 0)) {
                    std::fprintf(stderr, "sarc: --version takes 0 or 1\n");
                    return 2;
                }
                version = argv[++i][0] - '0';
            } else {
                args.push_back(argv[i]);
            }
        }
        if (args.size() != 2)
            return usage();
        return pack(args[0], args[1], version);
    }
    if (command == "list" && argc == 3)
        return list(argv[2]);
    if (command == "extract" && argc == 4)
        return extract(argv[2], argv[3]);
    return usage();
}
