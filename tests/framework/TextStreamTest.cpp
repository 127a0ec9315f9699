#include "framework/TextInputStream.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;

std::string TempFile(const std::string& name)
{
    fs::path dir = fs::path(::testing::TempDir()) / "tockamo-textstream";
    fs::create_directories(dir);
    return (dir / name).string();
}

void WriteBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

std::vector<std::string> ReadAllLines(const std::string& path, size_t byteLimit = SIZE_MAX)
{
    fw::RefPtr<fw::TextInputStream> in = fw::TextInputStream::Open(path, byteLimit);
    std::vector<std::string> lines;
    while (!in->IsEOF())
        lines.push_back(in->ReadLine());
    EXPECT_EQ(in->ReadLine(), "") << "reading at the end gives an empty line";
    in->Close();
    return lines;
}

TEST(TextStreamTest, ReadLineSplitsAtEveryTerminator)
{
    struct Case {
        const char* name;
        std::string bytes;
        std::vector<std::string> lines;
    } cases[] = {
        { "empty file", "", {} },
        { "LF", "a\nb\n", { "a", "b" } },
        { "CRLF", "a\r\nb\r\n", { "a", "b" } },
        { "lone CR", "a\rb\r", { "a", "b" } },
        { "mixed", "a\r\nb\rc\nd", { "a", "b", "c", "d" } },
        { "last line without terminator", "#MySetMin 45", { "#MySetMin 45" } },
        { "empty lines", "\n\n", { "", "" } },
        { "CR then empty line", "a\r\r\nb", { "a", "", "b" } },
        { "LF CR is two terminators", "a\n\rb", { "a", "", "b" } },
        { "only CR", "\r", { "" } },
        { "NUL and invalid UTF-8 kept", std::string("a\0b\xFF\xC3\n", 6), { std::string("a\0b\xFF\xC3", 5) } },
        { "trailing blanks kept", "#MySetMin  \n", { "#MySetMin  " } },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = TempFile("lines.txt");
        WriteBytes(path, c.bytes);
        EXPECT_EQ(ReadAllLines(path), c.lines);
    }
}

TEST(TextStreamTest, ReadsNoFurtherThanItsLimit)
{
    struct Case {
        const char* name;
        std::string bytes;
        size_t limit;
        std::vector<std::string> lines;
    } cases[] = {
        { "file as long as the limit", "a\nb\n", 4, { "a", "b" } },
        { "last line without terminator within the limit", "a\nb", 3, { "a", "b" } },
        { "limit just after a line end", "a\nb\nc\n", 4, { "a", "b" } },
        { "line cut by the limit is dropped", "#MySetMin 7\n#MySetMin 45\n", 20, { "#MySetMin 7" } },
        { "only the line end beyond the limit", "#MySetMin 7\n#MySetMin 45\n", 24, { "#MySetMin 7", "#MySetMin 45" } },
        { "CR LF split by the limit", "a\r\nb\n", 2, { "a" } },
        { "no line end within the limit", "abcdef", 3, {} },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = TempFile("limited.txt");
        WriteBytes(path, c.bytes);
        EXPECT_EQ(ReadAllLines(path, c.limit), c.lines);
    }
}

TEST(TextStreamTest, VeryLongLineComesBackWhole)
{
    const std::string path = TempFile("long.txt");
    std::string line(1 << 20, 'x');
    WriteBytes(path, line + "\nend");
    EXPECT_EQ(ReadAllLines(path), (std::vector<std::string> { line, "end" }));
}

TEST(TextStreamTest, OpeningWhatIsNotAFileGivesNil)
{
    EXPECT_TRUE(fw::TextInputStream::Open(TempFile("does-not-exist.txt")).IsNil());
    EXPECT_TRUE(fw::TextInputStream::Open(fs::path(TempFile("x")).parent_path().string()).IsNil());
}

TEST(TextStreamTest, ClosedInputStreamIsAtEnd)
{
    const std::string path = TempFile("closed.txt");
    WriteBytes(path, "a\nb\n");
    fw::RefPtr<fw::TextInputStream> in = fw::TextInputStream::Open(path);
    EXPECT_EQ(in->ReadLine(), "a");
    in->Close();
    EXPECT_TRUE(in->IsEOF());
    EXPECT_EQ(in->ReadLine(), "");
}

}
