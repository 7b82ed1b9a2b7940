// Template lines split into fields: runs of TABs, blanks inside fields, numbers from leading digits.
#include "CTokenizer.h"

#include <gtest/gtest.h>

TEST(CTokenizer, RunsOfTabsSeparateFieldsThatKeepTheirBlanks)
{
    const std::pair<const char*, std::vector<std::string>> cases[] = {
        {"BOX\t\t7501\t134\t8\t198\t26", {"BOX", "7501", "134", "8", "198", "26"}},
        {"TEXT\t0\t\tlPop.\t\t399\t38\t431\t53", {"TEXT", "0", "lPop.", "399", "38", "431", "53"}},
        {"\t\tMODAL\t", {"MODAL"}},
        {"BUTTON\t7099\tChange Film\t66", {"BUTTON", "7099", "Change Film", "66"}},
        {" FONT ", {" FONT "}},
        {"OK\t\t468\t303\r\n", {"OK", "468", "303"}}, // the line end adds no trailing field
        {"\r\n", {}},
    };
    for (const auto& [line, expected] : cases) {
        CTokenizer tokens(line);
        EXPECT_EQ(tokens.CountRemaining(), int(expected.size())) << line;
        std::vector<std::string> fields;
        for (CString field; tokens.NextToken(field);)
            fields.push_back(field.Str());
        EXPECT_EQ(fields, expected);
    }
}

TEST(CTokenizer, NextIntegerReadsLeadingDigits)
{
    CTokenizer tokens("7001\tr\t12abc\t99999999999\t4294967295");
    for (uint32_t expected : {7001u, 0u, 12u, 0xFFFFFFFFu, 0xFFFFFFFFu})
        EXPECT_EQ(tokens.NextInteger(), expected);
    EXPECT_TRUE(tokens.AtEnd());
    EXPECT_EQ(tokens.NextInteger(), 0u);
    CString untouched = "kept";
    EXPECT_FALSE(tokens.NextToken(untouched));
    EXPECT_EQ(untouched, "kept");
}
