// The tower save file, built field by field and damaged, and the temporary file that never outlives a save.
#include "WbTowerFile.h"

#include "ChildProcess.h"
#include "WbFourCC.h"
#include "WbTemporaryFile.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <sys/stat.h>

#include <csignal>
#include <functional>

namespace {

constexpr uint32_t kRain = WbFourCC("RAIN");
constexpr uint32_t kSnow = WbFourCC("SNOW");

bool KnownFilm(uint32_t id) { return id == kRain || id == kSnow; }

// One field of the fixture: its name as the reader gives it, where it starts and how wide it is.
struct Field {
    std::string name;
    size_t offset, width;
};

// Little-endian bytes with a record of every field written, so that tests can find and change them.
class FixtureBytes final {
public:
    void Raw(const std::string& name, const std::vector<uint8_t>& bytes)
    {
        mFields.push_back({name, mBytes.size(), bytes.size()});
        mBytes.insert(mBytes.end(), bytes.begin(), bytes.end());
    }
    void Number(const std::string& name, int64_t value, size_t width = 4)
    {
        std::vector<uint8_t> bytes;
        for (size_t i = 0; i < width; ++i)
            bytes.push_back(uint8_t(uint64_t(value) >> (8 * i)));
        Raw(name, bytes);
    }
    // Four-byte numbers named prefix + name, in the order given.
    void Numbers(const std::string& prefix, std::initializer_list<std::pair<const char*, int64_t>> fields)
    {
        for (const auto& [name, value] : fields)
            Number(prefix + name, value);
    }
    void Text(const std::string& name, const std::string& text)
    {
        Number(name, int64_t(text.size()));
        Raw(name, std::vector<uint8_t>(text.begin(), text.end()));
    }
    void Checksum() { Number("checksum", Crc32(mBytes)); }
    // The first bytes of the file up to end, closed with their checksum as a writer would have.
    std::vector<uint8_t> SealedAt(size_t end, std::vector<uint8_t> extra = {}) const
    {
        std::vector<uint8_t> bytes(mBytes.begin(), mBytes.begin() + long(end));
        bytes.insert(bytes.end(), extra.begin(), extra.end());
        const uint32_t crc = Crc32(bytes);
        for (size_t i = 0; i < 4; ++i)
            bytes.push_back(uint8_t(crc >> (8 * i)));
        return bytes;
    }

    const std::vector<uint8_t>& Bytes() const { return mBytes; }
    const std::vector<Field>& Fields() const { return mFields; }
    const Field& Find(const std::string& name) const
    {
        for (const Field& field : mFields)
            if (field.name == name)
                return field;
        throw std::logic_error("no field " + name);
    }

    // The bytes with one number field replaced and the checksum made right, so the reader meets the field.
    std::vector<uint8_t> With(const std::string& name, uint64_t value) const
    {
        FixtureBytes changed = *this;
        const Field& field = Find(name);
        for (size_t i = 0; i < field.width; ++i)
            changed.mBytes[field.offset + i] = uint8_t(value >> (8 * i));
        return changed.SealedAt(changed.mBytes.size() - 4);
    }

private:
    static uint32_t Crc32(const std::vector<uint8_t>& bytes) { return crc32(0, bytes.data(), uInt(bytes.size())); }

    std::vector<uint8_t> mBytes;
    std::vector<Field> mFields;
};

// A tower on day 3 at 10:30: "Roxy" shows RAIN with two customers inside and one more on the way; a
// second, unnamed theater is closed, without a film and without a schedule.
FixtureBytes GoodFile()
{
    FixtureBytes file;
    file.Raw("magic", {'W', 'b', 'T', 'o', 'w', 'e', 'r', 0x1A});
    file.Numbers("", {{"version", 1}, {"day", 3}, {"minute", 630}, {"funds", 123456}, {"day_base", 1}});
    file.Number("arrival_mode", 1, 1); // immediate
    file.Numbers("", {{"seed", 7}, {"random_state", 99}, {"films", 2}});
    file.Numbers("films[0].", {{"id", kRain}, {"persons_record", 40}, {"release_day", 0}});
    file.Numbers("films[1].", {{"id", kSnow}, {"persons_record", 0}, {"release_day", 5}});
    file.Number("theaters", 2);
    file.Text("theaters[0].name", "Roxy");
    file.Numbers("theaters[0].", {{"status", 32}, {"pattern", 3}, {"capacity", 200}, {"open", 600}, {"close", 1320}});
    file.Numbers("theaters[0].", {{"film", kRain}, {"reserve", 1}, {"total_customers", 3}, {"income_day", 3}});
    file.Numbers("theaters[0].", {{"day_income", 300}, {"booked_income", 0}, {"estimate_color", 10}, {"staff", 2}});
    file.Numbers("theaters[0].", {{"customers", 2}, {"customers[0]", 780}, {"customers[1]", 781}});
    // The module's record, framed as it writes it: length 20, film, target 40, best 0, 2 show days, spare.
    file.Number("theaters[0].extra_data.length", 20);
    file.Raw("theaters[0].extra_data", {'N', 'I', 'A', 'R', 40, 0, 0, 0, 0, 0, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0});
    file.Text("theaters[1].name", "");
    file.Numbers("theaters[1].", {{"status", 10}, {"pattern", 0}, {"capacity", 7}, {"open", 600}, {"close", 1320}});
    file.Numbers("theaters[1].", {{"film", 0}, {"reserve", 0}, {"total_customers", 0}, {"income_day", 0}});
    file.Numbers("theaters[1].", {{"day_income", 0}, {"booked_income", 0}, {"estimate_color", 10}, {"staff", 0}});
    file.Numbers("theaters[1].", {{"customers", 0}, {"extra_data.length", 0}});
    file.Number("arrivals", 1);
    file.Number("arrivals[0].due_minute", 3 * 1440 + 631, 8);
    file.Number("arrivals[0].theater", 0);
    file.Checksum();
    return file;
}

// The message of the error an action raises, or "(accepted)" when it raises none.
std::string ErrorOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const WbTowerFileError& error) {
        return error.what();
    }
    return "(accepted)";
}

std::string ErrorOf(const std::vector<uint8_t>& bytes)
{
    return ErrorOf([&bytes] { WbTowerFile::Decode(bytes, KnownFilm); });
}

std::string At(const FixtureBytes& file, const std::string& field)
{
    return field + " at offset " + std::to_string(file.Find(field).offset) + ": ";
}

TEST(TowerFile, TheFixtureReadsAsWrittenAndWritesBackTheSameBytes)
{
    const FixtureBytes file = GoodFile();
    const WbTowerImage image = WbTowerFile::Decode(file.Bytes(), KnownFilm);
    EXPECT_EQ(std::tuple(image.minute, image.arrivalMode, image.films[1].releaseDay, image.arrivals.at(0).dueMinute),
              std::tuple(630u, WbArrivalMode::Immediate, 5, 3 * 1440 + 631));
    const WbSavedTheater& roxy = image.theaters.at(0);
    EXPECT_EQ(std::tuple(roxy.name, roxy.customerLeaveMinutes), std::tuple("Roxy", std::vector<uint32_t>{780, 781}));
    // The module's bytes are kept whole, length word included, for its LoadExtraData.
    EXPECT_EQ(std::tuple(roxy.extraData.size(), roxy.extraData.at(0)), std::tuple(24u, 20));
    EXPECT_EQ(image.theaters.at(1).extraData, (std::vector<uint8_t>{0, 0, 0, 0}));

    EXPECT_EQ(WbTowerFile::Encode(image), file.Bytes());
}

// With arrivals "none", reserves count calls that bring no one: such a tower, saved during a call, loads again.
TEST(TowerFile, ATowerWithoutArrivalsKeepsReservesThatNobodyAnswers)
{
    WbTowerImage image = WbTowerFile::Decode(GoodFile().With("arrival_mode", 2), KnownFilm);
    image.theaters.at(0).reserve = 28;
    image.arrivals.clear();
    EXPECT_EQ(WbTowerFile::Decode(WbTowerFile::Encode(image), KnownFilm).theaters.at(0).reserve, 28);
}

// The checksum is looked at right after the magic and the version: a file cut short says so, whichever field
// the cut fell in. A cut file closed with a checksum of its own names the field it ends in.
TEST(TowerFile, ACutFileIsReportedAsCutAndASealedOneNamesTheFieldItEndsIn)
{
    const FixtureBytes file = GoodFile();
    const size_t checksumFrom = file.Find("day").offset;
    for (const Field& field : file.Fields()) {
        if (field.width == 0)
            continue;
        for (size_t kept : {size_t(0), field.width - 1}) {
            const size_t end = field.offset + kept;
            SCOPED_TRACE(field.name + " cut at " + std::to_string(end));
            const std::string endsInField = field.name + " at offset " + std::to_string(field.offset) +
                                            ": the file ends (" + std::to_string(field.width) + " bytes needed, " +
                                            std::to_string(kept) + " left)";
            const std::vector<uint8_t> cut(file.Bytes().begin(), file.Bytes().begin() + long(end));
            std::string expected = endsInField;
            if (end >= checksumFrom + 4)
                expected = "checksum at offset " + std::to_string(end - 4) +
                           ": does not match the file's bytes: the file was changed or cut short after it was written";
            else if (end >= checksumFrom)
                expected = "checksum at offset " + std::to_string(checksumFrom) + ": the file ends (4 bytes needed, " +
                           std::to_string(end - checksumFrom) + " left)";
            EXPECT_EQ(ErrorOf(cut), expected);
            if (end >= checksumFrom && field.name != "checksum") {
                EXPECT_EQ(ErrorOf(file.SealedAt(end)), endsInField);
            }
        }
    }
}

TEST(TowerFile, RejectsWhatTheTowerCannotHoldNamingTheField)
{
    const FixtureBytes file = GoodFile();
    const uint32_t kHail = WbFourCC("HAIL");
    const struct {
        std::string field;
        uint64_t value;
        std::string message;
    } kCases[] = {
        {"version", 2, "2 is not the version this host reads (1)"},
        {"day", 2147483647, "2147483647 is not in 1 to 2147483646"},
        {"arrival_mode", 3, "3 is not in 0 to 2"},
        {"minute", 1440, "1440 is not in 0 to 1439"},
        {"random_state", 0, "0 is not in 1 to 4294967295"},
        {"films[1].id", kHail, "\"HAIL\" is not a film of the scenario"},
        {"theaters[0].name", 5000, "5000 is not in 0 to 4096"},
        {"theaters[0].capacity", 100001, "100001 is not in 0 to 100000"},
        // A code's bytes are the file's: a quote, a control byte and a byte beyond ASCII are escaped.
        {"theaters[0].film", WbFourCC(std::string_view("A\"\x01\xFF", 4)),
         R"("A\"\x01\xFF" is not a film of the scenario)"},
        {"theaters[0].extra_data.length", uint32_t(-1), "-1 is not in 0 to 2147483647"},
        {"theaters[0].reserve", 2, "2 customers called, but 1 arrivals on their way"},
        {"arrivals[0].theater", 2, "2 is not in 0 to 1"},
        {"arrivals[0].due_minute", 3 * 1440 + 629, "4949 is not in 4950 to 531990"},
    };
    for (const auto& badCase : kCases)
        EXPECT_EQ(ErrorOf(file.With(badCase.field, badCase.value)), At(file, badCase.field) + badCase.message);

    std::vector<uint8_t> bytes = file.Bytes();
    bytes[0] = 'X';
    EXPECT_EQ(ErrorOf(bytes), "magic at offset 0: not a tower file");
    // The last day a run reaches is taken; the fixture's arrival, due on day 3, is then in the past.
    EXPECT_EQ(ErrorOf(file.With("day", 2147483646)),
              At(file, "arrivals[0].due_minute") + "4951 is not in 3092376450870 to 3092376977910");

    const std::string damaged =
        "does not match the file's bytes: the file was changed or cut short after it was written";
    bytes = file.Bytes();
    bytes[file.Find("theaters[0].name").offset + 4] = 'P';
    EXPECT_EQ(ErrorOf(bytes), At(file, "checksum") + damaged);
    bytes = file.Bytes();
    bytes.push_back(0);
    EXPECT_EQ(ErrorOf(bytes), "checksum at offset " + std::to_string(file.Bytes().size() - 3) + ": " + damaged);
    const size_t checksum = file.Find("checksum").offset;
    EXPECT_EQ(ErrorOf(file.SealedAt(checksum, {0})),
              "end at offset " + std::to_string(checksum) + ": 1 bytes follow the last field, before the checksum");
}

TEST(TowerFile, SavingReplacesTheFileWholeAndErrorsNameTheFile)
{
    const TempFolder directory("tower-file-test");
    const std::string path = directory.WriteFile("tower.save", "an older file");
    const WbTowerImage image = WbTowerFile::Decode(GoodFile().Bytes(), KnownFilm);
    WbTowerFile::Save(path, image);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(directory.mPath), {}), 1)
        << "the temporary file is gone";
    EXPECT_EQ(WbTowerFile::Read(path), GoodFile().Bytes());
    // Saved through a link, the file it names is replaced and the link stays.
    std::filesystem::create_symlink("tower.save", directory.File("link.save"));
    std::filesystem::remove(path);
    WbTowerFile::Save(directory.File("link.save"), image);
    EXPECT_TRUE(std::filesystem::is_symlink(directory.File("link.save")));
    EXPECT_EQ(WbTowerFile::Read(path), GoodFile().Bytes());

    const std::string shortFile = directory.WriteFile("short.save", "WbTow");
    const std::string nowhere = directory.File("no-such-directory/tower.save");
    EXPECT_EQ(ErrorOf([&] { WbTowerFile::Save(nowhere, image); }),
              nowhere + ": no temporary file beside it: No such file or directory");
    EXPECT_EQ(ErrorOf([&] { WbTowerFile::Load(shortFile, KnownFilm); }),
              shortFile + ": magic at offset 0: the file ends (8 bytes needed, 5 left)");
    EXPECT_EQ(ErrorOf([&] { WbTowerFile::Load(nowhere, KnownFilm); }),
              nowhere + ": cannot be opened: No such file or directory");
}

class TemporaryFile : public ::testing::Test, public TempFolder {
protected:
    TemporaryFile() : TempFolder("temporary-file") {}
};

TEST_F(TemporaryFile, IsRemovedWhenTheProgramIsInterruptedWhileWriting)
{
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        SCOPED_TRACE(signal);
        EXPECT_EXIT(
            {
                const WbTemporaryFile file(File("tower.save"));
                ::raise(signal);
            },
            ::testing::KilledBySignal(signal), "");
        EXPECT_TRUE(std::filesystem::is_empty(mPath));
    }
}

// A new file gets an ordinary file's permissions; one that replaces a file keeps that file's.
TEST_F(TemporaryFile, HasTheModeOfANewFileOrOfTheFileItReplaces)
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    const WbTemporaryFile fresh(File("new.save"));
    EXPECT_EQ(std::filesystem::status(fresh.GetPath()).permissions(), std::filesystem::perms(0666 & ~mask));
    WriteFile("tower.save", "older");
    std::filesystem::permissions(File("tower.save"), std::filesystem::perms(0640));
    WbTemporaryFile file(File("tower.save"));
    EXPECT_EQ(std::filesystem::status(file.GetPath()).permissions(), std::filesystem::perms(0640));
}

TEST_F(TemporaryFile, FollowsAChainOfLinksToTheFileTheyName)
{
    std::filesystem::create_directory(File("saves"));
    std::filesystem::create_symlink("saves/tower.save", File("first"));
    std::filesystem::create_symlink(File("first"), File("second"));
    EXPECT_EQ(WbTemporaryFile::FinalTarget(File("second")), File("saves/tower.save"));
    std::filesystem::create_symlink("loop", File("loop"));
    EXPECT_EQ(WbTemporaryFile::FinalTarget(File("loop")), File("loop"));
}

} // namespace
