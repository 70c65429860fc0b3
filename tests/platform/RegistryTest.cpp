#include "platform/registry/Registry.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

namespace {

class RegistryFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_path = ::testing::TempDir() + "vorlund-registry-"
                 + ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".txt";
        std::remove(m_path.c_str());
        setRegistryFile(m_path.c_str());
    }
    void TearDown() override
    {
        setRegistryFile(nullptr);
        std::remove(m_path.c_str());
    }
    void write(const std::string& text)
    {
        std::ofstream(m_path) << text;
    }

    std::string m_path;
};

const char* const kSample =
    "# engine settings\n"
    "HKEY_LOCAL_MACHINE\\Software\\Brennic\\Vantrel\\MultisampleType = dword:00000004\n"
    "HKEY_LOCAL_MACHINE\\Software\\Brennic\\Vantrel\\ResolutionWidth = dword:400\n"
    "HKEY_LOCAL_MACHINE\\Software\\Brennic\\Vantrel\\ResolutionHeight = \"768\"\n"
    "HKEY_LOCAL_MACHINE\\Software\\Brennic\\Vantrel\\Broken = dword:xyz\n"
    "HKEY_LOCAL_MACHINE\\Software\\Brennic\\Vantrel\\Quoted = \"say \\\"hi\\\"\"\n"
    "HKEY_LOCAL_MACHINE\\Software\\Brennic\\Vantrel\\Sub\\Deep = dword:1\n"
    "HKEY_CURRENT_USER\\Software\\Other\\Value = dword:7\n";

TEST_F(RegistryFile, ValuesAreReadWithTheirTypes)
{
    write(kSample);
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "software\\BRENNIC\\Vantrel", 0, KEY_READ, &key), ERROR_SUCCESS);

    struct Case {
        const char* name;
        LONG result;
        DWORD type;
        DWORD value;
    };
    const Case cases[] = {
        {"MultisampleType", ERROR_SUCCESS, REG_DWORD, 4},
        {"resolutionwidth", ERROR_SUCCESS, REG_DWORD, 0x400},
        {"ResolutionHeight", ERROR_SUCCESS, REG_SZ, 0},
        {"Broken", ERROR_FILE_NOT_FOUND, 0, 0},
        {"Deep", ERROR_FILE_NOT_FOUND, 0, 0},
        {"Missing", ERROR_FILE_NOT_FOUND, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DWORD type = 99;
        DWORD value = 0;
        DWORD size = sizeof(value);
        const LONG result = RegQueryValueExA(key, c.name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
        EXPECT_EQ(result, c.result);
        if (result == ERROR_SUCCESS) {
            EXPECT_EQ(type, c.type);
            if (c.type == REG_DWORD)
                EXPECT_EQ(value, c.value);
        }
    }
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
}

TEST_F(RegistryFile, StringsReportTheirSizeAndRefuseShortBuffers)
{
    write(kSample);
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Brennic\\Vantrel", 0, KEY_READ, &key), ERROR_SUCCESS);
    DWORD type = 0, size = 0;
    ASSERT_EQ(RegQueryValueExA(key, "Quoted", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, REG_SZ);
    EXPECT_EQ(size, 9u); // say "hi" and the terminator
    char small[4] = {};
    DWORD smallSize = sizeof(small);
    EXPECT_EQ(RegQueryValueExA(key, "Quoted", nullptr, nullptr, reinterpret_cast<BYTE*>(small), &smallSize),
              ERROR_MORE_DATA);
    EXPECT_EQ(smallSize, 9u);
    char text[16] = {};
    DWORD textSize = sizeof(text);
    ASSERT_EQ(RegQueryValueExA(key, "Quoted", nullptr, nullptr, reinterpret_cast<BYTE*>(text), &textSize),
              ERROR_SUCCESS);
    EXPECT_STREQ(text, "say \"hi\"");
    RegCloseKey(key);
}

TEST_F(RegistryFile, KeysExistOnlyWhereValuesLie)
{
    write(kSample);
    struct Case {
        HKEY root;
        const char* path;
        REGSAM access;
        LONG result;
    };
    const Case cases[] = {
        {HKEY_LOCAL_MACHINE, "Software\\Brennic", KEY_READ, ERROR_SUCCESS},
        {HKEY_LOCAL_MACHINE, "Software\\Brennic\\Vantrel\\Sub", KEY_READ, ERROR_SUCCESS},
        {HKEY_LOCAL_MACHINE, "Software\\Brennic\\Van", KEY_READ, ERROR_FILE_NOT_FOUND},
        {HKEY_LOCAL_MACHINE, "Software\\Other", KEY_READ, ERROR_FILE_NOT_FOUND},
        {HKEY_CURRENT_USER, "Software\\Other", KEY_READ, ERROR_SUCCESS},
        {HKEY_LOCAL_MACHINE, "Software\\Brennic\\Vantrel", KEY_WRITE, ERROR_ACCESS_DENIED},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        HKEY key = nullptr;
        EXPECT_EQ(RegOpenKeyExA(c.root, c.path, 0, c.access, &key), c.result);
        EXPECT_EQ(key != nullptr, c.result == ERROR_SUCCESS);
        if (key)
            RegCloseKey(key);
    }
}

// Comment lines up to `bytes` in all, then `tail`.
std::string padded(size_t bytes, const std::string& tail)
{
    std::string text;
    const std::string comment = "# " + std::string(77, 'x') + "\n";
    while (text.size() + comment.size() < bytes)
        text += comment;
    text += std::string(bytes - text.size() - 1, ';') + "\n";
    return text + tail;
}

TEST_F(RegistryFile, HostileFilesAreNotTakenAtTheirWord)
{
    const std::string key = "HKEY_LOCAL_MACHINE\\Software\\Brennic\\Vantrel\\";
    const std::string width = key + "ResolutionWidth = dword:320\n";
    const std::string nul(1, '\0');
    struct Case {
        const char* what;
        std::string text;
        LONG openResult;
        LONG widthResult;
    };
    const Case cases[] = {
        {"a big file still under the bound", padded(1000000, width), ERROR_SUCCESS, ERROR_SUCCESS},
        {"a file past the bound is no registry", padded(1100000, width), ERROR_FILE_NOT_FOUND, ERROR_FILE_NOT_FOUND},
        {"a NUL does not end a value name",
         key + "ResolutionWidth" + nul + "trailer = dword:1\n" + key + "Other = dword:2\n", ERROR_SUCCESS,
         ERROR_FILE_NOT_FOUND},
        {"a NUL does not end a key path",
         key.substr(0, key.size() - 1) + nul + "Elsewhere\\ResolutionWidth = dword:1\n", ERROR_FILE_NOT_FOUND,
         ERROR_FILE_NOT_FOUND},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        write(c.text);
        HKEY opened = nullptr;
        EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Brennic\\Vantrel", 0, KEY_READ, &opened),
                  c.openResult);
        if (!opened)
            continue;
        DWORD value = 0, size = sizeof(value);
        EXPECT_EQ(RegQueryValueExA(opened, "ResolutionWidth", nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size),
                  c.widthResult);
        if (c.widthResult == ERROR_SUCCESS)
            EXPECT_EQ(value, 0x320u);
        RegCloseKey(opened);
    }

    // A device that never ends is read up to the bound and no further.
    setRegistryFile("/dev/zero");
    HKEY opened = nullptr;
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software", 0, KEY_READ, &opened), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(opened, nullptr);
}

TEST_F(RegistryFile, MissingFileIsAnEmptyRegistry)
{
    HKEY key = reinterpret_cast<HKEY>(1);
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Brennic\\Vantrel", 0, KEY_READ, &key),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(key, nullptr);
    EXPECT_EQ(RegCloseKey(HKEY_LOCAL_MACHINE), ERROR_INVALID_HANDLE);
}

} // namespace
