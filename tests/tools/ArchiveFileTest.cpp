// The archive file system: lookup, overriding, seeking, and the refusal of
// damaged archives and entries.
#include "engine/core/archive/ArchiveFile.h"
#include "engine/core/base/Report.h"
#include "support/RecordedReports.h"
#include "tools/lib/ArchiveWriter.h"
#include "tools/lib/MemoryFileSystem.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

Bytes textBytes(const std::string& text)
{
    return Bytes(text.begin(), text.end());
}

Bytes sampleText(size_t n)
{
    Bytes out(n);
    for (size_t i = 0; i < n; ++i)
        out[i] = uint8_t("kart track lap boost\n"[i % 21] + (i / 997) % 3);
    return out;
}

void patch32(Bytes& bytes, size_t at, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + size_t(i)] = uint8_t(value >> (8 * i));
}

Bytes readAll(Stream& stream)
{
    Bytes out(stream.length);
    if (!out.empty())
        EXPECT_EQ(stream.read(out.data(), uint32_t(out.size())), out.size());
    return out;
}

// One entry named "a" in a version-0 archive: the table runs from 12 to 27,
// so flags sit at 14, the offset at 15, the stored size at 19, the unpacked
// size at 23 and the entry's bytes start at 27.
Bytes singleEntryArchive(const Bytes& data, uint8_t flags)
{
    ArchiveWriter writer;
    writer.addEntry("a", data, flags);
    return writer.build(0);
}

class ArchiveFileTest : public ::testing::Test {
protected:
    std::string lastError() const { return m_reports.last(); }

    // Mounts `bytes` as "data.sar" into a fresh archive.
    bool mount(const Bytes& bytes)
    {
        m_files.addFile("data.sar", bytes);
        m_archive = std::make_unique<ArchiveFile>();
        return m_archive->mount(m_files, "data.sar");
    }

    RecordedReports m_reports;
    MemoryFileSystem m_files;
    std::unique_ptr<ArchiveFile> m_archive;
};

} // namespace

TEST_F(ArchiveFileTest, VersionZeroOffsetsCountFromTheTableEnd)
{
    ArchiveWriter writer;
    writer.addEntry("one", Bytes(100, 1), 0);
    writer.addEntry("two", Bytes(150, 2), 0);
    writer.addEntry("three", Bytes(7, 3), 0);
    ASSERT_TRUE(mount(writer.build(0)));
    const uint32_t tableEnd = 12 + (14 + 3) + (14 + 3) + (14 + 5);
    const auto& entries = m_archive->entries();
    ASSERT_EQ(entries.size, 3);
    EXPECT_EQ(entries.data[0].offset, tableEnd + 0);
    EXPECT_EQ(entries.data[1].offset, tableEnd + 100);
    EXPECT_EQ(entries.data[2].offset, tableEnd + 250);
    ASSERT_TRUE(m_archive->openRead("two"));
    EXPECT_EQ(readAll(*m_archive), Bytes(150, 2));
}

TEST_F(ArchiveFileTest, VersionIsTheTopByteOfTheVersionWord)
{
    ArchiveWriter writer;
    writer.addEntry("x", textBytes("payload"), 0);
    struct Case {
        int build;
        uint32_t word;
        bool mounts;
    };
    for (const Case& c : {Case{0, 0x00000000, true}, Case{0, 0x00ABCDEF, true}, Case{1, 0x01000000, true},
                          Case{1, 0x01FFFFFF, true}, Case{1, 0x02000000, false}, Case{0, 0xFF000000, false}}) {
        Bytes bytes = writer.build(c.build);
        patch32(bytes, 4, c.word);
        lastErrorText.assignCString("");
        EXPECT_EQ(mount(bytes), c.mounts) << std::hex << c.word;
        if (c.mounts) {
            ASSERT_TRUE(m_archive->openRead("x"));
            EXPECT_EQ(readAll(*m_archive), textBytes("payload"));
        } else {
            EXPECT_NE(lastError().find("unknown version"), std::string::npos);
            EXPECT_EQ(m_archive->entries().size, 0);
        }
    }
}

TEST_F(ArchiveFileTest, UnknownFlagsHideAnEntryFromOpenReadButNotFromExists)
{
    ArchiveWriter writer;
    writer.addEntry("visible.txt", textBytes("old"), 0);
    PackedEntry hidden;
    hidden.name = "visible.txt";
    hidden.flags = 0x04;
    hidden.stored = textBytes("new");
    hidden.unpackedSize = 3;
    writer.addPacked(hidden);
    hidden.name = "Hidden.txt";
    hidden.flags = 0x81;
    writer.addPacked(hidden);
    ASSERT_TRUE(mount(writer.build(0)));

    EXPECT_TRUE(m_archive->exists("hidden.TXT"));
    EXPECT_FALSE(m_archive->openRead("hidden.txt"));
    EXPECT_EQ(lastError(), "error: \"hidden.txt\" not found !!!\n");
    ASSERT_TRUE(m_archive->openRead("visible.txt"));
    EXPECT_EQ(readAll(*m_archive), textBytes("old"));
}

TEST_F(ArchiveFileTest, AnUnreadableEntryMayPointAnywhere)
{
    // An entry with unknown flags is never read, so a version-0 offset that
    // runs past 4 GiB once the table end is added must not refuse the rest.
    ArchiveWriter writer;
    PackedEntry future;
    future.name = "future.bin";
    future.flags = 0x04;
    future.stored = textBytes("???");
    writer.addPacked(future);
    writer.addEntry("kept.txt", textBytes("kept"), 0);
    Bytes bytes = writer.build(0);
    patch32(bytes, 12 + 1 + 10 + 1, 0xFFFFFFFF); // the first entry's data offset

    lastErrorText.assignCString("");
    ASSERT_TRUE(mount(bytes)) << lastError();
    EXPECT_EQ(m_archive->entries().size, 2);
    EXPECT_TRUE(m_archive->exists("future.bin"));
    EXPECT_FALSE(m_archive->openRead("future.bin"));
    EXPECT_EQ(lastError(), "error: \"future.bin\" not found !!!\n");
    ASSERT_TRUE(m_archive->openRead("kept.txt"));
    EXPECT_EQ(readAll(*m_archive), textBytes("kept"));
}

TEST_F(ArchiveFileTest, ReadAndSeekStayInsideTheEntry)
{
    ASSERT_TRUE(mount(singleEntryArchive(textBytes("0123456789"), 1)));
    ASSERT_TRUE(m_archive->openRead("A"));
    uint8_t buf[16] = {};
    ASSERT_TRUE(m_archive->seekSet(6));
    EXPECT_EQ(m_archive->read(buf, 10), 4u);
    EXPECT_EQ(std::memcmp(buf, "6789", 4), 0);
    EXPECT_EQ(m_archive->read(buf, 10), 0u);

    EXPECT_TRUE(m_archive->seekCur(-3));
    EXPECT_EQ(m_archive->tell(), 7u);
    EXPECT_TRUE(m_archive->seekCur(-8)); // below 0 wraps round and is clamped to the end
    EXPECT_EQ(m_archive->tell(), 10u);
    EXPECT_TRUE(m_archive->seekSet(1000));
    EXPECT_EQ(m_archive->tell(), 10u);
    EXPECT_EQ(m_archive->read(buf, 1), 0u);

    EXPECT_FALSE(m_archive->openWrite("a"));
    EXPECT_EQ(m_archive->write(buf, 4), 0u);
}

TEST_F(ArchiveFileTest, AFailedOpenLeavesNothingReadable)
{
    ASSERT_TRUE(mount(singleEntryArchive(textBytes("secret"), 0)));
    ASSERT_TRUE(m_archive->openRead("a"));
    EXPECT_FALSE(m_archive->openRead("textures/missing.tga"));
    EXPECT_EQ(lastError(), "error: \"textures\\missing.tga\" not found !!!\n");
    EXPECT_EQ(m_archive->length, 0u);
    EXPECT_EQ(m_archive->tell(), 0u);
    uint8_t buf[8];
    EXPECT_EQ(m_archive->read(buf, sizeof buf), 0u);
}

TEST_F(ArchiveFileTest, AMissingArchiveIsQuiet)
{
    ArchiveFile archive;
    EXPECT_FALSE(archive.mount(m_files, "data.s01"));
    EXPECT_EQ(lastError(), "");
    EXPECT_EQ(archive.volumes().size(), 1u);
    EXPECT_EQ(archive.entries().size, 0);
}

TEST_F(ArchiveFileTest, DamagedArchivesAreRefusedWhole)
{
    ArchiveWriter writer;
    writer.addEntry("a", textBytes("alpha"), 0);
    writer.addEntry("b", sampleText(3000), 3);
    const Bytes v0 = writer.build(0);
    const Bytes v1 = writer.build(1);

    struct Case {
        const char* label;
        Bytes bytes;
        const char* error;
    };
    auto with = [](Bytes bytes, size_t at, uint32_t value) {
        patch32(bytes, at, value);
        return bytes;
    };
    auto cut = [](const Bytes& bytes, size_t n) { return Bytes(bytes.begin(), bytes.begin() + long(n)); };
    const Case cases[] = {
        {"wrong magic", with(v0, 0, 0x43524154), "is not an archive"},
        {"empty file", {}, "header is cut short"},
        {"header cut short", cut(v0, 8), "header is cut short"},
        {"version 1 header cut short", cut(v1, 13), "header is cut short"},
        {"entry count beyond the file", with(v0, 8, 0xFFFFFFFF), "does not fit"},
        {"entry count one too many", with(v0, 8, 3), "is damaged"},
        {"table cut short", cut(v0, 20), "does not fit"},
        {"table offset beyond the file", with(v1, 12, uint32_t(v1.size()) + 1), "outside the file"},
        {"table offset near the end", with(v1, 12, uint32_t(v1.size()) - 3), "does not fit"},
        {"data offset beyond the file", with(v0, 15, 0xFFFFFF00), "outside the file"},
        {"stored size beyond the file", with(v0, 19, 6000), "outside the file"},
        {"primary index cut off", cut(v0, v0.size() - 1), "outside the file"},
        {"impossible unpacked size", with(v0, 12 + 15 + 11, 0x7FFFFFF0), "impossible"},
        {"fewer entries than the table holds", with(v0, 8, 1), ""},
        {"implausible entry count", with(with(Bytes(12 + 300000 * 14, 0), 0, 0x43524153), 8, 300000), "implausible"},
    };
    for (const Case& c : cases) {
        lastErrorText.assignCString("");
        const bool mounted = mount(c.bytes);
        if (c.error[0] == 0) {
            // A count below the table's is a smaller archive: its table ends
            // after the first record (byte 27), where the first entry's
            // bytes then start.
            EXPECT_TRUE(mounted) << c.label << ": " << lastError();
            EXPECT_EQ(m_archive->entries().size, 1) << c.label;
            EXPECT_TRUE(m_archive->openRead("a")) << c.label;
            EXPECT_EQ(readAll(*m_archive), Bytes(c.bytes.begin() + 27, c.bytes.begin() + 32)) << c.label;
            EXPECT_FALSE(m_archive->exists("b")) << c.label;
            continue;
        }
        EXPECT_FALSE(mounted) << c.label;
        EXPECT_NE(lastError().find(c.error), std::string::npos) << c.label << ": " << lastError();
        EXPECT_EQ(m_archive->entries().size, 0) << c.label;
    }
}

TEST_F(ArchiveFileTest, DamagedEntriesFailTheirOpenOnly)
{
    const Bytes text = sampleText(5000);
    const Bytes good = singleEntryArchive(text, 3);
    const uint32_t stored = uint32_t(good.size()) - 27 - 4;
    auto with = [](Bytes bytes, size_t at, uint32_t value) {
        patch32(bytes, at, value);
        return bytes;
    };
    Bytes garbage = good;
    for (size_t i = 27; i < 27 + stored; ++i)
        garbage[i] = uint8_t(i * 37);
    const Bytes cases[] = {
        with(good, 27 + stored, 5000),       // primary index one past the block
        with(good, 27 + stored, 0xFFFFFFFF), // negative primary index
        with(good, 23, 4999),                // stream runs longer than the entry
        with(good, 23, 5001),                // stream ends before the entry does
        garbage,
    };
    for (const Bytes& bytes : cases) {
        ASSERT_TRUE(mount(bytes));
        lastErrorText.assignCString("");
        EXPECT_FALSE(m_archive->openRead("a"));
        EXPECT_EQ(lastError(), "error: \"a\" is damaged in archive \"data.sar\"\n");
        EXPECT_EQ(m_archive->length, 0u);
    }
    ASSERT_TRUE(mount(good));
    ASSERT_TRUE(m_archive->openRead("a"));
    EXPECT_EQ(readAll(*m_archive), text);
}

TEST_F(ArchiveFileTest, EveryPrefixAndBitFlipFailsCleanlyOrReadsBack)
{
    ArchiveWriter writer;
    writer.addEntry("s", textBytes("stored bytes"), 0);
    writer.addEntry("r", sampleText(300), 1);
    writer.addEntry("m", sampleText(200), 2);
    writer.addEntry("p", sampleText(400), 3);
    for (int version : {0, 1}) {
        const Bytes good = writer.build(version);
        std::vector<Bytes> variants;
        for (size_t n = 0; n < good.size(); ++n)
            variants.emplace_back(good.begin(), good.begin() + long(n));
        std::mt19937 rng(uint32_t(version) + 5);
        for (int i = 0; i < 400; ++i) {
            Bytes flipped = good;
            flipped[rng() % flipped.size()] ^= uint8_t(1u << (rng() % 8));
            variants.push_back(flipped);
        }
        for (const Bytes& bytes : variants) {
            if (!mount(bytes))
                continue;
            for (const char* name : {"s", "r", "m", "p"}) {
                if (m_archive->openRead(name)) {
                    const Bytes got = readAll(*m_archive);
                    EXPECT_EQ(got.size(), m_archive->length);
                } else {
                    EXPECT_EQ(m_archive->length, 0u);
                }
            }
        }
    }
}

TEST_F(ArchiveFileTest, DiskFallbackServesLooseFilesOnlyWhenSwitchedOn)
{
    const std::string name = "archive_fallback_probe.txt";
    {
        std::ofstream out(name, std::ios::binary);
        out << "loose";
    }
    ASSERT_TRUE(mount(singleEntryArchive(textBytes("packed"), 0)));
    EXPECT_FALSE(m_archive->exists(name.c_str()));
    EXPECT_FALSE(m_archive->openRead(name.c_str()));
    m_archive->diskFallback = true;
    EXPECT_TRUE(m_archive->exists(name.c_str()));
    ASSERT_TRUE(m_archive->openRead(name.c_str()));
    EXPECT_EQ(readAll(*m_archive), textBytes("loose"));
    std::unique_ptr<Stream> copy = m_archive->clone();
    ASSERT_TRUE(copy->openRead(name.c_str()));
    ASSERT_TRUE(copy->openRead("a"));
    EXPECT_EQ(readAll(*copy), textBytes("packed"));
    std::remove(name.c_str());
}
