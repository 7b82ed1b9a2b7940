// Scenario reading: every key is checked against what the host can run before a scenario is returned.
#include "WbScenarioReader.h"

#include "WbQuoted.h"

#include <nlohmann/json.hpp>

#include <array>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <functional>
#include <limits>
#include <set>
#include <string_view>
#include <vector>

using nlohmann::json;

namespace {

// Values are quoted in messages as JSON, cut short so that a long list does not flood the terminal. Text
// beyond ASCII is written as JSON escapes, so that the cut cannot split a character.
std::string Shown(const json& value)
{
    constexpr size_t kMaxShown = 40;
    std::string text = value.dump(-1, ' ', true);
    if (text.size() > kMaxShown)
        text = text.substr(0, kMaxShown - 3) + "...";
    return text;
}

[[noreturn]] void Fail(const std::string& path, const std::string& message)
{
    throw WbScenarioError(path + ": " + message);
}

int64_t ReadWholeNumber(const json& value, const std::string& path, int64_t minimum, int64_t maximum)
{
    if (!value.is_number_integer())
        Fail(path, Shown(value) + " is not a whole number");
    // Non-negative numbers arrive unsigned and may not fit a signed 64-bit value.
    if (value.is_number_unsigned() && value.get<uint64_t>() > uint64_t(maximum))
        Fail(path, Shown(value) + " is more than " + std::to_string(maximum));
    const int64_t number = value.get<int64_t>();
    if (number < minimum)
        Fail(path, Shown(value) + " is less than " + std::to_string(minimum));
    if (number > maximum)
        Fail(path, Shown(value) + " is more than " + std::to_string(maximum));
    return number;
}

int32_t ReadInt(const json& value, const std::string& path, int64_t minimum,
                int64_t maximum = std::numeric_limits<int32_t>::max())
{
    return int32_t(ReadWholeNumber(value, path, minimum, maximum));
}

uint32_t ReadMinute(const json& value, const std::string& path)
{
    return uint32_t(ReadWholeNumber(value, path, 0, WbScenarioLimits::kLastMinute));
}

std::string ReadString(const json& value, const std::string& path)
{
    if (!value.is_string())
        Fail(path, Shown(value) + " is not a string");
    return value.get<std::string>();
}

bool ReadFlag(const json& value, const std::string& path)
{
    if (!value.is_boolean())
        Fail(path, Shown(value) + " is not true or false");
    return value.get<bool>();
}

// A film's id becomes a four-character code, so it must be exactly four printable ASCII characters.
std::string ReadFilmID(const json& value, const std::string& path)
{
    std::string id = ReadString(value, path);
    bool printable = id.size() == 4;
    for (char c : id)
        printable = printable && c >= 0x20 && c <= 0x7E;
    if (!printable)
        Fail(path, Shown(value) + " is not 4 printable ASCII characters");
    return id;
}

WbArrivalMode ReadArrivals(const json& value, const std::string& path)
{
    const std::string mode = ReadString(value, path);
    if (mode == "spread")
        return WbArrivalMode::Spread;
    if (mode == "immediate")
        return WbArrivalMode::Immediate;
    if (mode == "none")
        return WbArrivalMode::None;
    Fail(path, Shown(value) + " is not one of \"spread\", \"immediate\", \"none\"");
}

// The members of one JSON object, checked against the keys its owner knows.
class ObjectFields final {
public:
    ObjectFields(const json& object, std::string path, const std::vector<std::string>& knownKeys)
        : mObject(object), mPath(std::move(path))
    {
        if (!object.is_object())
            Fail(mPath.empty() ? "scenario" : mPath, Shown(object) + " is not an object");
        for (const auto& [key, value] : object.items()) {
            bool known = false;
            for (const std::string& knownKey : knownKeys)
                known = known || key == knownKey;
            if (!known)
                Fail(Path(key), "unknown key (known keys: " + Joined(knownKeys) + ")");
        }
    }

    const json* Find(const std::string& key) const
    {
        auto found = mObject.find(key);
        return found == mObject.end() ? nullptr : &*found;
    }

    std::string Path(const std::string& key) const
    {
        return mPath.empty() ? WbKeyText(key) : mPath + "." + WbKeyText(key);
    }

private:
    static std::string Joined(const std::vector<std::string>& keys)
    {
        std::string joined;
        for (const std::string& key : keys)
            joined += (joined.empty() ? "" : ", ") + key;
        return joined;
    }

    const json& mObject;
    std::string mPath;
};

// Applies read to the key's value when the key is present; absent keys keep their defaults.
template <typename Read> void IfPresent(const ObjectFields& fields, const std::string& key, Read read)
{
    if (const json* value = fields.Find(key))
        read(*value, fields.Path(key));
}

WbScenarioFilm ReadFilm(const json& object, const std::string& path)
{
    const ObjectFields fields(object, path,
                              {"id", "title", "second_line", "producer", "director", "performers", "movie",
                               "running_time", "cost", "carry_over", "first_day_audience", "persons_record", "roadshow",
                               "release_day", "run_days"});
    WbScenarioFilm film;
    const json* id = fields.Find("id");
    if (!id)
        Fail(path, "a film needs an \"id\"");
    film.id = ReadFilmID(*id, fields.Path("id"));
    film.title = film.id;
    const auto text = [&](const char* key, std::string& into) {
        IfPresent(fields, key, [&](const json& v, const std::string& p) { into = ReadString(v, p); });
    };
    const auto number = [&](const char* key, int32_t& into, int64_t minimum, int64_t maximum) {
        IfPresent(fields, key, [&](const json& v, const std::string& p) { into = ReadInt(v, p, minimum, maximum); });
    };
    constexpr int64_t kMaxInt = std::numeric_limits<int32_t>::max();
    text("title", film.title);
    text("second_line", film.secondLine);
    text("producer", film.producer);
    text("director", film.director);
    text("performers", film.performers);
    text("movie", film.movie);
    number("running_time", film.runningTime, 0, WbScenarioLimits::kMaxRunningTime);
    number("cost", film.cost, 0, kMaxInt);
    number("carry_over", film.carryOver, 0, kMaxInt);
    number("first_day_audience", film.firstDayAudience, 0, kMaxInt);
    number("persons_record", film.personsRecord, 0, kMaxInt);
    number("release_day", film.releaseDay, std::numeric_limits<int32_t>::min(), kMaxInt);
    number("run_days", film.runDays, 0, kMaxInt);
    IfPresent(fields, "roadshow", [&](const json& v, const std::string& p) { film.roadshow = ReadFlag(v, p); });
    return film;
}

WbScenarioTheater ReadTheater(const json& object, const std::string& path, size_t index)
{
    const ObjectFields fields(object, path, {"name", "film", "capacity", "open", "close", "status"});
    WbScenarioTheater theater;
    theater.name = "Theater " + std::to_string(index + 1);
    IfPresent(fields, "name", [&](const json& v, const std::string& p) {
        theater.name = ReadString(v, p);
        if (theater.name.size() > WbScenarioLimits::kMaxNameBytes)
            Fail(p, Shown(v) + " is longer than " + std::to_string(WbScenarioLimits::kMaxNameBytes) + " bytes");
    });
    IfPresent(fields, "film", [&](const json& v, const std::string& p) {
        if (!v.is_null())
            theater.film = ReadFilmID(v, p);
    });
    IfPresent(fields, "capacity", [&](const json& v, const std::string& p) {
        theater.capacity = ReadInt(v, p, 0, WbScenarioLimits::kMaxCapacity);
    });
    IfPresent(fields, "open", [&](const json& v, const std::string& p) { theater.openMinute = ReadMinute(v, p); });
    IfPresent(fields, "close", [&](const json& v, const std::string& p) { theater.closeMinute = ReadMinute(v, p); });
    IfPresent(fields, "status", [&](const json& v, const std::string& p) { theater.status = ReadInt(v, p, 0); });
    if (theater.openMinute && theater.closeMinute && *theater.closeMinute < *theater.openMinute)
        Fail(fields.Path("close"),
             std::to_string(*theater.closeMinute) + " is before open " + std::to_string(*theater.openMinute));
    return theater;
}

const json& ReadList(const json& value, const std::string& path, size_t maxItems)
{
    if (!value.is_array())
        Fail(path, Shown(value) + " is not a list");
    if (value.size() > maxItems)
        Fail(path, std::to_string(value.size()) + " items are more than " + std::to_string(maxItems));
    return value;
}

// Film ids name films across the scenario, so they must be unique and every theater's must exist.
void CheckFilmReferences(const WbScenario& scenario)
{
    for (size_t i = 0; i < scenario.films.size(); ++i)
        for (size_t j = 0; j < i; ++j)
            if (scenario.films[i].id == scenario.films[j].id)
                Fail("films[" + std::to_string(i) + "].id",
                     WbQuoted(scenario.films[i].id) + " is also the id of films[" + std::to_string(j) + "]");
    for (size_t i = 0; i < scenario.theaters.size(); ++i) {
        const auto& film = scenario.theaters[i].film;
        if (film && !scenario.FindFilm(*film))
            Fail("theaters[" + std::to_string(i) + "].film", WbQuoted(*film) + " is not the id of any film");
    }
}

// A scenario nests three levels deep (itself, a list, the list's objects); text nested far deeper is no
// scenario, and every level keeps the path to it.
constexpr size_t kMaxDepth = 32;

// The library's message starts with its own exception name; the rest says where and what. What it quotes
// of the text it last read is the file's bytes, so those are escaped.
std::string LibraryMessage(const json::exception& error)
{
    const std::string what = error.what();
    const size_t named = what.find("] ");
    return WbPrintable(named == std::string::npos ? what : what.substr(named + 2));
}

// Builds the document from the parser's events, keeping the path to the item being read as it goes in and
// out: a key given twice is a mistake that the JSON library would pass over by keeping the last value, and
// nesting and lists are refused past their limits while the text is read, before they fill the memory. Each
// value is put in place at once, so reading is linear in the text (the library's own callback parser looks
// through a whole list after each of its objects).
class ScenarioParser final : public nlohmann::json_sax<json> {
public:
    explicit ScenarioParser(json& document) : mDocument(document) {}

    bool null() override { return Add(nullptr); }
    bool boolean(bool value) override { return Add(value); }
    bool number_integer(number_integer_t value) override { return Add(value); }
    bool number_unsigned(number_unsigned_t value) override { return Add(value); }
    bool number_float(number_float_t value, const string_t&) override { return Add(value); }
    bool string(string_t& value) override { return Add(std::move(value)); }
    bool binary(binary_t& value) override
    {
        return Add(json::binary(std::vector<std::uint8_t>(value.begin(), value.end())));
    }
    bool start_object(std::size_t) override { return Open(json::object(), false); }
    bool start_array(std::size_t) override { return Open(json::array(), true); }
    bool end_object() override { return Close(); }
    bool end_array() override { return Close(); }
    bool key(string_t& key) override
    {
        Frame& frame = mFrames.back();
        frame.key = key;
        if (!frame.keys.insert(key).second)
            Fail(ItemPath(), "the key is given twice");
        return true;
    }
    // A number beyond a double ("1e400") is refused as the parser reaches it, with the key it belongs to.
    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception& error) override
    {
        constexpr int kNumberOverflow = 406;
        if (error.id == kNumberOverflow)
            Fail(ItemPath(), LibraryMessage(error));
        throw WbScenarioError(LibraryMessage(error));
    }

private:
    struct Frame {
        std::string path;
        bool isList = false;
        size_t index = 0;
        std::string key{};
        std::set<std::string> keys{};
    };

    // The path of the item being read in the innermost object or list.
    std::string ItemPath() const
    {
        if (mFrames.empty())
            return "scenario";
        const Frame& frame = mFrames.back();
        if (frame.isList)
            return frame.path + "[" + std::to_string(frame.index) + "]";
        return frame.path.empty() || frame.path == "scenario" ? WbKeyText(frame.key)
                                                              : frame.path + "." + WbKeyText(frame.key);
    }

    // Puts a value where the parser is: the document itself, the next item of a list or the current key's.
    json& Place(json&& value)
    {
        if (mOpen.empty())
            return mDocument = std::move(value);
        json& container = *mOpen.back();
        if (!container.is_array())
            return container[mFrames.back().key] = std::move(value);
        container.push_back(std::move(value));
        return container.back();
    }
    void ItemEnded()
    {
        if (mFrames.empty() || !mFrames.back().isList)
            return;
        if (++mFrames.back().index > WbScenarioLimits::kMaxListItems)
            Fail(mFrames.back().path, "more than " + std::to_string(WbScenarioLimits::kMaxListItems) + " items");
    }
    bool Add(json&& value)
    {
        Place(std::move(value));
        ItemEnded();
        return true;
    }
    bool Open(json&& container, bool isList)
    {
        if (mFrames.size() == kMaxDepth)
            Fail(ItemPath(), "nested deeper than " + std::to_string(kMaxDepth) + " levels");
        const std::string path = ItemPath();
        mOpen.push_back(&Place(std::move(container)));
        mFrames.push_back({path, isList});
        return true;
    }
    bool Close()
    {
        mOpen.pop_back();
        mFrames.pop_back();
        ItemEnded();
        return true;
    }

    json& mDocument;
    // The containers being filled, innermost last; a list only grows at its end while its last item is open,
    // so these stay valid.
    std::vector<json*> mOpen;
    std::vector<Frame> mFrames;
};

} // namespace

const WbScenarioFilm* WbScenario::FindFilm(const std::string& id) const
{
    for (const WbScenarioFilm& film : films)
        if (film.id == id)
            return &film;
    return nullptr;
}

void WbScenarioReader::AddSection(const std::string& key, SectionReader reader) { mSections[key] = std::move(reader); }

WbScenario WbScenarioReader::Read(const json& document) const
{
    std::vector<std::string> known = {"name", "start_day", "start_minute", "days",    "funds", "passes_per_minute",
                                      "seed", "arrivals",  "films",        "theaters"};
    for (const auto& [key, reader] : mSections)
        known.push_back(key);
    const ObjectFields fields(document, "", known);

    WbScenario scenario;
    IfPresent(fields, "name", [&](const json& v, const std::string& p) { scenario.name = ReadString(v, p); });
    IfPresent(fields, "start_day", [&](const json& v, const std::string& p) {
        scenario.startDay = ReadInt(v, p, 1, WbScenarioLimits::kMaxStartDay);
    });
    IfPresent(fields, "start_minute",
              [&](const json& v, const std::string& p) { scenario.startMinute = ReadMinute(v, p); });
    IfPresent(fields, "days", [&](const json& v, const std::string& p) {
        scenario.days = ReadInt(v, p, 0, WbScenarioLimits::kMaxDays);
    });
    IfPresent(fields, "funds", [&](const json& v, const std::string& p) {
        scenario.funds = ReadInt(v, p, std::numeric_limits<int32_t>::min());
    });
    IfPresent(fields, "passes_per_minute", [&](const json& v, const std::string& p) {
        scenario.passesPerMinute = ReadInt(v, p, 1, WbScenarioLimits::kMaxPassesPerMinute);
    });
    IfPresent(fields, "seed", [&](const json& v, const std::string& p) {
        scenario.seed = uint32_t(ReadWholeNumber(v, p, 0, std::numeric_limits<uint32_t>::max()));
    });
    IfPresent(fields, "arrivals", [&](const json& v, const std::string& p) { scenario.arrivals = ReadArrivals(v, p); });
    IfPresent(fields, "films", [&](const json& v, const std::string& p) {
        const json& list = ReadList(v, p, size_t(WbScenarioLimits::kMaxTheaters));
        for (size_t i = 0; i < list.size(); ++i)
            scenario.films.push_back(ReadFilm(list[i], p + "[" + std::to_string(i) + "]"));
    });
    IfPresent(fields, "theaters", [&](const json& v, const std::string& p) {
        const json& list = ReadList(v, p, size_t(WbScenarioLimits::kMaxTheaters));
        for (size_t i = 0; i < list.size(); ++i)
            scenario.theaters.push_back(ReadTheater(list[i], p + "[" + std::to_string(i) + "]", i));
    });
    CheckFilmReferences(scenario);
    for (const auto& [key, reader] : mSections)
        if (const json* value = fields.Find(key))
            reader(*value, key);
    return scenario;
}

WbScenario WbScenarioReader::ReadText(const std::string& text) const
{
    json document;
    ScenarioParser parser(document);
    json::sax_parse(text, &parser);
    return Read(document);
}

WbScenario WbScenarioReader::ReadFile(const std::string& path) const
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        throw WbScenarioError(path + ": cannot be opened: " + std::strerror(errno));
    // Read in pieces and stopped at the cap, so that a pipe or an endless file (/dev/zero) is refused
    // instead of filling the memory.
    std::string text;
    std::array<char, 65536> piece;
    while (file.read(piece.data(), piece.size()) || file.gcount() > 0) {
        text.append(piece.data(), size_t(file.gcount()));
        if (text.size() > WbScenarioLimits::kMaxFileBytes)
            throw WbScenarioError(path + ": larger than " + std::to_string(WbScenarioLimits::kMaxFileBytes) +
                                  " bytes, the most a scenario may hold");
    }
    if (file.bad())
        throw WbScenarioError(path + ": cannot be read: " + std::strerror(errno));
    try {
        return ReadText(text);
    } catch (const WbScenarioError& error) {
        throw WbScenarioError(path + ": " + error.what());
    }
}
