// The dialog pictures of change-film.json: every text stays inside its item, labels are whole, and long
// texts break between words and are cut at the item's edges instead of running over their neighbours.
#include "WbDialogSvg.h"
#include "HostProcess.h"

#include <regex>

namespace {

struct DrawnLine {
    int boxWidth;
    int boxHeight;
    int x;
    int baseline;
    int pixels;
    std::string anchor;
    std::string text;
};

std::string Unescaped(std::string text)
{
    for (const auto& [entity, character] : std::vector<std::pair<std::string, std::string>>{
             {"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&amp;", "&"}}) {
        for (size_t at; (at = text.find(entity)) != std::string::npos;)
            text.replace(at, entity.size(), character);
    }
    return text;
}

// Every line of text the picture draws, with the box that holds it.
std::vector<DrawnLine> DrawnLines(const std::string& svg)
{
    static const std::regex box(
        R"re(<svg x="-?\d+" y="-?\d+" width="(\d+)" height="(\d+)"( overflow="hidden")?>(.*?)</svg>)re");
    static const std::regex line(
        R"re(<text x="(-?\d+)" y="(-?\d+)" font-family="[^"]*" font-size="(\d+)" text-anchor="(\w+)"[^>]*>([^<]*)</text>)re");
    std::vector<DrawnLine> lines;
    for (auto b = std::sregex_iterator(svg.begin(), svg.end(), box); b != std::sregex_iterator(); ++b) {
        EXPECT_TRUE((*b)[3].matched) << "a text box that does not clip: " << (*b)[0];
        const std::string inner = (*b)[4];
        for (auto l = std::sregex_iterator(inner.begin(), inner.end(), line); l != std::sregex_iterator(); ++l)
            lines.push_back({std::stoi((*b)[1]), std::stoi((*b)[2]), std::stoi((*l)[1]), std::stoi((*l)[2]),
                             std::stoi((*l)[3]), (*l)[4], Unescaped((*l)[5])});
    }
    return lines;
}

class DialogPictures : public HostProcess {
protected:
    void SetUp() override
    {
        ASSERT_EQ(Run({kScenarios + "change-film.json", "--quiet"}).exitCode, 0);
        for (const char* name : {"change-film.svg", "refused.svg"})
            for (const DrawnLine& drawn : DrawnLines(Slurp(File(name))))
                mLines.push_back(drawn);
        ASSERT_GT(mLines.size(), 40u);
    }
    std::vector<DrawnLine> mLines;
};

TEST_F(DialogPictures, EveryLineFitsItsItemUnlessItIsOneWordTooLongForIt)
{
    for (const DrawnLine& drawn : mLines) {
        const double width = WbDialogSvg::TextWidth(drawn.text, drawn.pixels);
        const double left = drawn.anchor == "start" ? drawn.x
                            : drawn.anchor == "end" ? drawn.x - width
                                                    : drawn.x - width / 2;
        const bool oneWord = drawn.text.find(' ') == std::string::npos;
        EXPECT_TRUE((left >= 0 && left + width <= drawn.boxWidth) || oneWord)
            << "\"" << drawn.text << "\" is " << width << " pixels wide in an item of " << drawn.boxWidth;
        EXPECT_LE(drawn.baseline, drawn.boxHeight + drawn.pixels / 2)
            << "\"" << drawn.text << "\" lies below its item of height " << drawn.boxHeight;
    }
}

TEST_F(DialogPictures, LabelsAreDrawnWholeInTheirItems)
{
    for (const std::string label : {"Feature Title:", "Customers:", "Daily Revenue:", "Schedule:", "months",
                                    "Cost:", "Play Time:", "hr", "min"}) {
        const auto found =
            std::find_if(mLines.begin(), mLines.end(), [&](const DrawnLine& drawn) { return drawn.text == label; });
        ASSERT_NE(found, mLines.end()) << label;
        EXPECT_LE(found->x + WbDialogSvg::TextWidth(label, found->pixels), found->boxWidth) << label;
    }
}

TEST_F(DialogPictures, TheScheduleBreaksBetweenShowTimesAndShowsOnlyWholeOnes)
{
    const std::regex times(R"(^(\d{1,2}:\d\d ?)+$)");
    int scheduleLines = 0;
    for (const DrawnLine& drawn : mLines)
        if (std::regex_search(drawn.text, std::regex(R"(^\d{1,2}:\d\d )"))) {
            ++scheduleLines;
            EXPECT_TRUE(std::regex_match(drawn.text, times)) << drawn.text;
        }
    EXPECT_GT(scheduleLines, 0);
}

} // namespace
