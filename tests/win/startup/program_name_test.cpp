// The skipping of the program's name and the blanks behind it.
#include <gtest/gtest.h>
#include <string>

#include "shell/program_name.h"

static std::string Tail(const char* line)
{
    return SkipProgramName(line);
}

TEST(ProgramName, PlainNameAndBlanksAreSkipped)
{
    EXPECT_EQ(Tail("saver.scr /s"), "/s");
    EXPECT_EQ(Tail("C:\\x\\saver.scr \t\r\n\x01 /p 12"), "/p 12");
    EXPECT_EQ(Tail("saver.scr"), "");
    EXPECT_EQ(Tail(""), "");
}

TEST(ProgramName, QuotedNameMayHoldBlanks)
{
    EXPECT_EQ(Tail("\"C:\\My Savers\\saver.scr\" /c:5"), "/c:5");
    EXPECT_EQ(Tail("\"a\"/s"), "/s");
    EXPECT_EQ(Tail("\"\" s"), "s");
    // Without a closing quote the name swallows the whole line.
    EXPECT_EQ(Tail("\"C:\\saver.scr /s"), "");
}

TEST(ProgramName, LeadingBlankSkipsNoName)
{
    // Only the blanks go; the name itself becomes the tail.
    EXPECT_EQ(Tail("  saver.scr /s"), "saver.scr /s");
    EXPECT_EQ(Tail("\tsaver.scr"), "saver.scr");
}

TEST(ProgramName, HighBytesArePartOfTheName)
{
    EXPECT_EQ(Tail("sav\xE9r\xFF.scr /s"), "/s");
    EXPECT_EQ(Tail("\xA0\xA0 /a 3"), "/a 3");
}

TEST(ProgramName, OnlyBlanksDirectlyBehindTheNameAreSkipped)
{
    EXPECT_EQ(Tail("saver.scr / \ts"), "/ \ts");
}
