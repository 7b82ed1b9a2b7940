// Template lines split into fields: runs of TABs, blanks inside fields, numbers from leading digits.
#include "CTokenizer.h"

#include <gtest/gtest.h>

namespace {

std::vector<std::string> Fields(std::string_view line)
{
    CTokenizer tokens(line);
    std::vector<std::string> fields;
    CString field;
    while (tokens.NextToken(field))
        fields.push_back(field.Str());
    return fields;
}

} // namespace

TEST(CTokenizer, RunsOfTabsAreOneSeparator)
{
    EXPECT_EQ(Fields("BOX\t\t7501\t134\t8\t198\t26"),
              (std::vector<std::string>{"BOX", "7501", "134", "8", "198", "26"}));
    EXPECT_EQ(Fields("TEXT\t0\t\tlPop.\t\t399\t38\t431\t53"),
              (std::vector<std::string>{"TEXT", "0", "lPop.", "399", "38", "431", "53"}));
    EXPECT_EQ(Fields("OK\t\t468\t303"), (std::vector<std::string>{"OK", "468", "303"}));
    EXPECT_EQ(Fields("\t\tMODAL\t"), (std::vector<std::string>{"MODAL"}));
}

TEST(CTokenizer, BlanksBelongToTheirField)
{
    EXPECT_EQ(Fields("TITLE\tChange Film"), (std::vector<std::string>{"TITLE", "Change Film"}));
    EXPECT_EQ(Fields("BUTTON\t7099\tChange Film\t66"),
              (std::vector<std::string>{"BUTTON", "7099", "Change Film", "66"}));
    EXPECT_EQ(Fields(" FONT "), (std::vector<std::string>{" FONT "}));
}

TEST(CTokenizer, LineEndAddsNoTrailingField)
{
    EXPECT_EQ(Fields("OK\t\t468\t303\r\n"), (std::vector<std::string>{"OK", "468", "303"}));
    EXPECT_EQ(Fields("\r\n"), std::vector<std::string>{});
    CTokenizer tokens("TEXT\t7001\tr\t136\r\n");
    EXPECT_EQ(tokens.CountRemaining(), 4);
}

TEST(CTokenizer, NextIntegerReadsLeadingDigits)
{
    CTokenizer tokens("7001\tr\t12abc\tlPop.\t0\t99999999999\t4294967295");
    EXPECT_EQ(tokens.NextInteger(), 7001u);
    EXPECT_EQ(tokens.NextInteger(), 0u); // "r": no digits
    EXPECT_EQ(tokens.NextInteger(), 12u);
    EXPECT_EQ(tokens.CountRemaining(), 4);
    EXPECT_EQ(tokens.NextInteger(), 0u);
    EXPECT_EQ(tokens.NextInteger(), 0u);
    EXPECT_EQ(tokens.NextInteger(), 0xFFFFFFFFu); // past the 32-bit range: stops at the largest value
    EXPECT_EQ(tokens.NextInteger(), 0xFFFFFFFFu);
    EXPECT_TRUE(tokens.AtEnd());
    EXPECT_EQ(tokens.NextInteger(), 0u);
    CString untouched = "kept";
    EXPECT_FALSE(tokens.NextToken(untouched));
    EXPECT_EQ(untouched, "kept");
}
