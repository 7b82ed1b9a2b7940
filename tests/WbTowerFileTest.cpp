// The tower save file: one good file, built field by field, and the bad files made from it.
#include "WbTowerFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <unistd.h>

namespace {

constexpr uint32_t FourCC(const char (&code)[5])
{
    return uint32_t(uint8_t(code[0])) << 24 | uint32_t(uint8_t(code[1])) << 16 | uint32_t(uint8_t(code[2])) << 8 |
           uint32_t(uint8_t(code[3]));
}

constexpr uint32_t kRain = FourCC("RAIN");
constexpr uint32_t kSnow = FourCC("SNOW");

bool KnownFilm(uint32_t id) { return id == kRain || id == kSnow; }

// One field of the fixture: its name as the reader gives it, where it starts and how wide it is.
struct Field {
    std::string name;
    size_t offset;
    size_t width;
};

// Little-endian bytes with a record of every field written, so that tests can find and change them.
class FixtureBytes final {
public:
    void Raw(const std::string& name, const std::vector<uint8_t>& bytes)
    {
        mFields.push_back({name, mBytes.size(), bytes.size()});
        mBytes.insert(mBytes.end(), bytes.begin(), bytes.end());
    }
    void U8(const std::string& name, uint8_t value) { Raw(name, {value}); }
    void U32(const std::string& name, uint32_t value)
    {
        Raw(name, {uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16), uint8_t(value >> 24)});
    }
    void I32(const std::string& name, int32_t value) { U32(name, uint32_t(value)); }
    void I64(const std::string& name, int64_t value)
    {
        std::vector<uint8_t> bytes;
        for (int i = 0; i < 8; ++i)
            bytes.push_back(uint8_t(uint64_t(value) >> (8 * i)));
        Raw(name, bytes);
    }
    void Text(const std::string& name, const std::string& text)
    {
        U32(name, uint32_t(text.size()));
        Raw(name, std::vector<uint8_t>(text.begin(), text.end()));
    }
    void Checksum() { U32("checksum", Crc32()); }

    const std::vector<uint8_t>& Bytes() const { return mBytes; }
    const std::vector<Field>& Fields() const { return mFields; }
    const Field& Find(const std::string& name) const
    {
        for (const Field& field : mFields)
            if (field.name == name)
                return field;
        throw std::logic_error("no field " + name);
    }

    // The bytes with one number field replaced and the checksum made right again, so that the reader
    // meets the changed field rather than a checksum that no longer fits.
    std::vector<uint8_t> With(const std::string& name, uint64_t value) const
    {
        FixtureBytes changed = *this;
        const Field& field = Find(name);
        for (size_t i = 0; i < field.width; ++i)
            changed.mBytes[field.offset + i] = uint8_t(value >> (8 * i));
        changed.mBytes.resize(changed.mBytes.size() - 4);
        changed.mFields.pop_back();
        changed.Checksum();
        return changed.mBytes;
    }

private:
    uint32_t Crc32() const
    {
        uint32_t crc = 0xFFFFFFFFu;
        for (uint8_t byte : mBytes) {
            crc ^= byte;
            for (int k = 0; k < 8; ++k)
                crc = crc & 1 ? 0xEDB88320u ^ (crc >> 1) : crc >> 1;
        }
        return crc ^ 0xFFFFFFFFu;
    }

    std::vector<uint8_t> mBytes;
    std::vector<Field> mFields;
};

// A tower on day 3 at 10:30: "Roxy" shows RAIN with two customers inside and one more on the way; a
// second, unnamed theater is closed, without a film and without a schedule.
FixtureBytes GoodFile()
{
    FixtureBytes file;
    file.Raw("magic", {'W', 'b', 'T', 'o', 'w', 'e', 'r', 0x1A});
    file.U32("version", 1);
    file.I32("day", 3);
    file.U32("minute", 630);
    file.I32("funds", 123456);
    file.I32("day_base", 1);
    file.U8("arrival_mode", 1); // immediate
    file.U32("seed", 7);
    file.U32("random_state", 99);
    file.U32("films", 2);
    file.U32("films[0].id", kRain);
    file.I32("films[0].persons_record", 40);
    file.I32("films[0].release_day", 0);
    file.U32("films[1].id", kSnow);
    file.I32("films[1].persons_record", 0);
    file.I32("films[1].release_day", 5);
    file.U32("theaters", 2);
    file.Text("theaters[0].name", "Roxy");
    file.I32("theaters[0].status", 32);
    file.I32("theaters[0].pattern", 3);
    file.I32("theaters[0].capacity", 200);
    file.U32("theaters[0].open", 600);
    file.U32("theaters[0].close", 1320);
    file.U32("theaters[0].film", kRain);
    file.I32("theaters[0].reserve", 1);
    file.I32("theaters[0].total_customers", 3);
    file.I32("theaters[0].income_day", 3);
    file.I32("theaters[0].day_income", 300);
    file.I32("theaters[0].booked_income", 0);
    file.I32("theaters[0].estimate_color", 10);
    file.I32("theaters[0].staff", 2);
    file.U32("theaters[0].customers", 2);
    file.U32("theaters[0].customers[0]", 780);
    file.U32("theaters[0].customers[1]", 781);
    // The module's record, framed as it writes it: length 20, film, target 40, best 0, 2 show days, spare.
    file.I32("theaters[0].extra_data.length", 20);
    file.Raw("theaters[0].extra_data", {'N', 'I', 'A', 'R', 40, 0, 0, 0, 0, 0, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0});
    file.Text("theaters[1].name", "");
    file.I32("theaters[1].status", 10);
    file.I32("theaters[1].pattern", 0);
    file.I32("theaters[1].capacity", 7);
    file.U32("theaters[1].open", 600);
    file.U32("theaters[1].close", 1320);
    file.U32("theaters[1].film", 0);
    file.I32("theaters[1].reserve", 0);
    file.I32("theaters[1].total_customers", 0);
    file.I32("theaters[1].income_day", 0);
    file.I32("theaters[1].day_income", 0);
    file.I32("theaters[1].booked_income", 0);
    file.I32("theaters[1].estimate_color", 10);
    file.I32("theaters[1].staff", 0);
    file.U32("theaters[1].customers", 0);
    file.I32("theaters[1].extra_data.length", 0);
    file.U32("arrivals", 1);
    file.I64("arrivals[0].due_minute", 3 * 1440 + 631);
    file.U32("arrivals[0].theater", 0);
    file.Checksum();
    return file;
}

std::string ErrorOf(const std::vector<uint8_t>& bytes)
{
    try {
        WbTowerFile::Decode(bytes, KnownFilm);
    } catch (const WbTowerFileError& error) {
        return error.what();
    }
    return "(accepted)";
}

std::string At(const FixtureBytes& file, const std::string& field)
{
    return field + " at offset " + std::to_string(file.Find(field).offset) + ": ";
}

class TempDirectory final {
public:
    TempDirectory() : mPath(std::filesystem::temp_directory_path() / ("tower-file-test-" + std::to_string(::getpid())))
    {
        std::filesystem::create_directories(mPath);
    }
    ~TempDirectory() { std::filesystem::remove_all(mPath); }
    std::string File(const std::string& name) const { return (mPath / name).string(); }
    size_t EntryCount() const
    {
        return size_t(std::distance(std::filesystem::directory_iterator(mPath), std::filesystem::directory_iterator()));
    }

private:
    std::filesystem::path mPath;
};

} // namespace

TEST(TowerFile, TheFixtureReadsAsWrittenAndWritesBackTheSameBytes)
{
    const FixtureBytes file = GoodFile();
    const WbTowerImage image = WbTowerFile::Decode(file.Bytes(), KnownFilm);
    EXPECT_EQ(image.minute, 630u);
    EXPECT_EQ(image.arrivalMode, WbArrivalMode::Immediate);
    EXPECT_EQ(image.films[1].releaseDay, 5);
    const WbSavedTheater& roxy = image.theaters.at(0);
    EXPECT_EQ(roxy.name, "Roxy");
    EXPECT_EQ(roxy.customerLeaveMinutes, (std::vector<uint32_t>{780, 781}));
    // The module's bytes are kept whole, length word included, for its LoadExtraData.
    ASSERT_EQ(roxy.extraData.size(), 24u);
    EXPECT_EQ(roxy.extraData[0], 20);
    EXPECT_EQ(image.theaters.at(1).extraData, (std::vector<uint8_t>{0, 0, 0, 0}));
    EXPECT_EQ(image.arrivals.at(0).dueMinute, 3 * 1440 + 631);

    EXPECT_EQ(WbTowerFile::Encode(image), file.Bytes());
}

TEST(TowerFile, ACutAtAnyFieldNamesThatFieldAndItsOffset)
{
    const FixtureBytes file = GoodFile();
    for (const Field& field : file.Fields()) {
        if (field.width == 0)
            continue;
        for (size_t kept : {size_t(0), field.width - 1}) {
            const std::vector<uint8_t> cut(file.Bytes().begin(), file.Bytes().begin() + long(field.offset + kept));
            EXPECT_EQ(ErrorOf(cut), field.name + " at offset " + std::to_string(field.offset) + ": the file ends (" +
                                        std::to_string(field.width) + " bytes needed, " + std::to_string(kept) +
                                        " left)");
        }
    }
}

TEST(TowerFile, RejectsWhatTheTowerCannotHoldNamingTheField)
{
    const FixtureBytes file = GoodFile();
    std::vector<uint8_t> badMagic = file.Bytes();
    badMagic[0] = 'X';
    std::vector<uint8_t> changedByte = file.Bytes();
    changedByte[file.Find("theaters[0].name").offset + 4] = 'P';
    std::vector<uint8_t> trailing = file.Bytes();
    trailing.push_back(0);

    const struct {
        std::vector<uint8_t> bytes;
        std::string message;
    } kCases[] = {
        {badMagic, "magic at offset 0: not a tower file"},
        {file.With("version", 2), At(file, "version") + "2 is not the version this host reads (1)"},
        {file.With("day", 0), At(file, "day") + "0 is not in 1 to 2147383646"},
        {file.With("arrival_mode", 3), At(file, "arrival_mode") + "3 is not in 0 to 2"},
        {file.With("minute", 1440), At(file, "minute") + "1440 is not in 0 to 1439"},
        {file.With("random_state", 0), At(file, "random_state") + "0 is not in 1 to 4294967295"},
        {file.With("films[1].id", FourCC("HAIL")), At(file, "films[1].id") + "\"HAIL\" is not a film of the scenario"},
        {file.With("theaters[0].name", 5000), At(file, "theaters[0].name") + "5000 is not in 0 to 4096"},
        {file.With("theaters[0].status", uint32_t(-3)),
         At(file, "theaters[0].status") + "-3 is not in 0 to 2147483647"},
        {file.With("theaters[0].close", 2000), At(file, "theaters[0].close") + "2000 is not in 0 to 1439"},
        {file.With("theaters[0].film", FourCC("HAIL")),
         At(file, "theaters[0].film") + "\"HAIL\" is not a film of the scenario"},
        {file.With("theaters[0].extra_data.length", uint32_t(-1)),
         At(file, "theaters[0].extra_data.length") + "-1 is not in 0 to 2147483647"},
        {file.With("theaters[0].reserve", 2),
         At(file, "theaters[0].reserve") + "2 customers called, but 1 arrivals on their way"},
        {file.With("arrivals[0].theater", 2), At(file, "arrivals[0].theater") + "2 is not in 0 to 1"},
        {file.With("arrivals[0].due_minute", 3 * 1440 + 629),
         At(file, "arrivals[0].due_minute") + "4949 is not in 4950 to 531990"},
        {changedByte, At(file, "checksum") + "the file's bytes have changed since it was written"},
        {trailing, "end at offset " + std::to_string(file.Bytes().size()) + ": 1 bytes follow the checksum"},
    };
    for (const auto& badCase : kCases)
        EXPECT_EQ(ErrorOf(badCase.bytes), badCase.message);
}

TEST(TowerFile, SavingReplacesTheFileWholeAndErrorsNameTheFile)
{
    const TempDirectory directory;
    const std::string path = directory.File("tower.save");
    std::ofstream(path) << "an older file";
    const WbTowerImage image = WbTowerFile::Decode(GoodFile().Bytes(), KnownFilm);
    WbTowerFile::Save(path, image);
    EXPECT_EQ(directory.EntryCount(), 1u) << "the temporary file is gone";
    EXPECT_EQ(WbTowerFile::Read(path), GoodFile().Bytes());

    const std::string shortFile = directory.File("short.save");
    std::ofstream(shortFile, std::ios::binary) << "WbTow";
    const std::string nowhere = directory.File("no-such-directory/tower.save");
    const struct {
        std::function<void()> action;
        std::string message;
    } kCases[] = {
        {[&] { WbTowerFile::Save(nowhere, image); },
         nowhere + ": no temporary file beside it: No such file or directory"},
        {[&] { WbTowerFile::Load(shortFile, KnownFilm); },
         shortFile + ": magic at offset 0: the file ends (8 bytes needed, 5 left)"},
        {[&] { WbTowerFile::Load(nowhere, KnownFilm); }, nowhere + ": cannot be opened: No such file or directory"},
    };
    for (const auto& badCase : kCases)
        try {
            badCase.action();
            ADD_FAILURE() << "no error: " << badCase.message;
        } catch (const WbTowerFileError& error) {
            EXPECT_EQ(std::string(error.what()), badCase.message);
        }
}
