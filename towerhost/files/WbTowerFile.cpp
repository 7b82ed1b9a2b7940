// Save file layout and checks: every field is read with its name and offset at hand, so that a bad file
// is reported where it went wrong, and nothing is returned until the whole file has been read.
#include "WbTowerFile.h"

#include "WbFourCC.h"
#include "WbQuoted.h"
#include "WbReplaceFile.h"
#include "WbScenario.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <utility>

namespace {

constexpr uint32_t kMaxNameBytes = WbScenarioLimits::kMaxNameBytes;
constexpr uint32_t kLastMinute = WbScenarioLimits::kLastMinute;

// CRC-32 as zlib and PNG compute it.
uint32_t Crc32(std::span<const uint8_t> bytes)
{
    static const std::array<uint32_t, 256> table = [] {
        std::array<uint32_t, 256> entries{};
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k)
                c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            entries[n] = c;
        }
        return entries;
    }();
    uint32_t crc = 0xFFFFFFFFu;
    for (uint8_t byte : bytes)
        crc = table[(crc ^ byte) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

class SaveWriter final {
public:
    void U8(uint8_t value) { mBytes.push_back(value); }
    void U32(uint32_t value)
    {
        for (int shift = 0; shift < 32; shift += 8)
            mBytes.push_back(uint8_t(value >> shift));
    }
    void I32(int32_t value) { U32(uint32_t(value)); }
    void I64(int64_t value)
    {
        U32(uint32_t(uint64_t(value)));
        U32(uint32_t(uint64_t(value) >> 32));
    }
    void Bytes(std::span<const uint8_t> bytes) { mBytes.insert(mBytes.end(), bytes.begin(), bytes.end()); }
    void Text(const std::string& text)
    {
        U32(uint32_t(text.size()));
        mBytes.insert(mBytes.end(), text.begin(), text.end());
    }
    std::vector<uint8_t> Finish()
    {
        U32(Crc32(mBytes));
        return std::move(mBytes);
    }

private:
    std::vector<uint8_t> mBytes;
};

// Reads values in file order; each read names its field, so a failure can say which one it was.
class SaveReader final {
public:
    explicit SaveReader(std::span<const uint8_t> bytes) : mBytes(bytes) {}

    size_t GetOffset() const { return mOffset; }
    // The bytes read since an earlier offset.
    std::span<const uint8_t> Since(size_t offset) const { return mBytes.subspan(offset, mOffset - offset); }
    size_t GetRemaining() const { return mBytes.size() - mOffset; }
    // Reads no byte from end on: what follows is not a field.
    void EndAt(size_t end) { mBytes = mBytes.first(end); }

    [[noreturn]] static void Fail(const std::string& field, size_t offset, const std::string& problem)
    {
        throw WbTowerFileError(field + " at offset " + std::to_string(offset) + ": " + problem);
    }

    std::span<const uint8_t> Bytes(const std::string& field, size_t count)
    {
        if (count > GetRemaining())
            Fail(field, mOffset,
                 "the file ends (" + std::to_string(count) + " bytes needed, " + std::to_string(GetRemaining()) +
                     " left)");
        const auto bytes = mBytes.subspan(mOffset, count);
        mOffset += count;
        return bytes;
    }
    uint8_t U8(const std::string& field) { return Bytes(field, 1)[0]; }
    uint32_t U32(const std::string& field)
    {
        const auto bytes = Bytes(field, 4);
        return uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 | uint32_t(bytes[3]) << 24;
    }
    int32_t I32(const std::string& field) { return int32_t(U32(field)); }
    int64_t I64(const std::string& field)
    {
        const auto bytes = Bytes(field, 8);
        uint64_t value = 0;
        for (size_t i = 0; i < 8; ++i)
            value |= uint64_t(bytes[i]) << (8 * i);
        return int64_t(value);
    }
    // A value that must lie in [minimum, maximum].
    static int64_t Ranged(const std::string& field, int64_t value, size_t offset, int64_t minimum, int64_t maximum)
    {
        if (value < minimum || value > maximum)
            Fail(field, offset,
                 std::to_string(value) + " is not in " + std::to_string(minimum) + " to " + std::to_string(maximum));
        return value;
    }
    int32_t I32In(const std::string& field, int64_t minimum, int64_t maximum)
    {
        const size_t offset = mOffset;
        return int32_t(Ranged(field, I32(field), offset, minimum, maximum));
    }
    uint32_t U32In(const std::string& field, int64_t minimum, int64_t maximum)
    {
        const size_t offset = mOffset;
        return uint32_t(Ranged(field, U32(field), offset, minimum, maximum));
    }

private:
    std::span<const uint8_t> mBytes;
    size_t mOffset = 0;
};

constexpr int32_t kMaxInt = 0x7FFFFFFF;

std::string Item(const std::string& list, size_t index) { return list + "[" + std::to_string(index) + "]"; }

// The file's arrival codes are fixed by its layout, whatever order the tower lists its modes in.
constexpr std::array<WbArrivalMode, 3> kArrivalCodes = {WbArrivalMode::Spread, WbArrivalMode::Immediate,
                                                        WbArrivalMode::None};

uint8_t ArrivalCode(WbArrivalMode mode)
{
    return uint8_t(std::find(kArrivalCodes.begin(), kArrivalCodes.end(), mode) - kArrivalCodes.begin());
}

void CheckFilm(const std::string& field, size_t offset, uint32_t id, const WbTowerFile::FilmKnown& filmKnown)
{
    if (!filmKnown(id))
        SaveReader::Fail(field, offset, WbQuoted(WbFourCCText(id)) + " is not a film of the scenario");
}

WbSavedFilm ReadFilm(SaveReader& reader, const std::string& name, const WbTowerFile::FilmKnown& filmKnown)
{
    WbSavedFilm film;
    const size_t offset = reader.GetOffset();
    film.id = reader.U32(name + ".id");
    CheckFilm(name + ".id", offset, film.id, filmKnown);
    film.personsRecord = reader.I32(name + ".persons_record");
    film.releaseDay = reader.I32(name + ".release_day");
    return film;
}

// The module's extra data is stored as the module framed it: a signed length word and that many bytes.
std::vector<uint8_t> ReadExtraData(SaveReader& reader, const std::string& field)
{
    const size_t offset = reader.GetOffset();
    const int32_t length = reader.I32In(field + ".length", 0, kMaxInt);
    reader.Bytes(field, size_t(length));
    const auto framed = reader.Since(offset);
    return {framed.begin(), framed.end()};
}

WbSavedTheater ReadTheater(SaveReader& reader, const std::string& name, const WbTowerFile::FilmKnown& filmKnown)
{
    WbSavedTheater theater;
    const uint32_t nameBytes = reader.U32In(name + ".name", 0, kMaxNameBytes);
    const auto text = reader.Bytes(name + ".name", nameBytes);
    theater.name.assign(text.begin(), text.end());
    theater.status = reader.I32In(name + ".status", 0, kMaxInt);
    theater.pattern = reader.I32In(name + ".pattern", 0, kMaxInt);
    // As many seats as a scenario may give: a theater calls up to its seats in one pass, each a person.
    theater.capacity = reader.I32In(name + ".capacity", 0, WbScenarioLimits::kMaxCapacity);
    theater.openMinute = reader.U32In(name + ".open", 0, kLastMinute);
    theater.closeMinute = reader.U32In(name + ".close", 0, kLastMinute);
    const size_t filmOffset = reader.GetOffset();
    theater.filmID = reader.U32(name + ".film");
    if (theater.filmID != 0)
        CheckFilm(name + ".film", filmOffset, theater.filmID, filmKnown);
    theater.reserve = reader.I32In(name + ".reserve", 0, kMaxInt);
    theater.totalCustomers = reader.I32In(name + ".total_customers", 0, kMaxInt);
    theater.incomeDay = reader.I32(name + ".income_day");
    theater.dayIncome = reader.I32(name + ".day_income");
    theater.bookedIncome = reader.I32(name + ".booked_income");
    theater.estimateColor = reader.I32(name + ".estimate_color");
    theater.staffPresent = reader.I32In(name + ".staff", 0, kMaxInt);
    // Lists are not reserved ahead: each item read takes bytes of the file, so a corrupt count cannot
    // make them grow beyond the file's size.
    const uint32_t customers = reader.U32(name + ".customers");
    for (uint32_t i = 0; i < customers; ++i)
        theater.customerLeaveMinutes.push_back(reader.U32(Item(name + ".customers", i)));
    theater.extraData = ReadExtraData(reader, name + ".extra_data");
    return theater;
}

// Customers are called for the coming minutes; an arrival due before the saved minute was never pending.
WbSavedArrival ReadArrival(SaveReader& reader, const std::string& name, const WbTowerImage& image)
{
    constexpr int64_t kMinutesPerDay = 1440;
    constexpr int64_t kLatestDays = 366;
    const int64_t now = int64_t(image.day) * kMinutesPerDay + image.minute;
    WbSavedArrival arrival;
    const size_t dueOffset = reader.GetOffset();
    arrival.dueMinute = reader.Ranged(name + ".due_minute", reader.I64(name + ".due_minute"), dueOffset, now,
                                      now + kLatestDays * kMinutesPerDay);
    const size_t theaterCount = image.theaters.size();
    arrival.theater = reader.U32In(name + ".theater", 0, int64_t(theaterCount) - 1);
    return arrival;
}

// The stand-in tower keeps each theater's reserve equal to the customers still on their way to it; a tower
// whose arrivals are "none" sends nobody, so there its reserves count calls that bring no one.
void CheckReserves(const WbTowerImage& image, const std::vector<size_t>& reserveOffsets)
{
    if (image.arrivalMode == WbArrivalMode::None)
        return;
    std::vector<int64_t> pending(image.theaters.size(), 0);
    for (const WbSavedArrival& arrival : image.arrivals)
        ++pending[arrival.theater];
    for (size_t i = 0; i < image.theaters.size(); ++i)
        if (pending[i] != image.theaters[i].reserve)
            SaveReader::Fail(Item("theaters", i) + ".reserve", reserveOffsets[i],
                             std::to_string(image.theaters[i].reserve) + " customers called, but " +
                                 std::to_string(pending[i]) + " arrivals on their way");
}

} // namespace

namespace WbTowerFile {

std::vector<uint8_t> Encode(const WbTowerImage& image)
{
    SaveWriter writer;
    writer.Bytes(kMagic);
    writer.U32(kVersion);
    writer.I32(image.day);
    writer.U32(image.minute);
    writer.I32(image.funds);
    writer.I32(image.dayBase);
    writer.U8(ArrivalCode(image.arrivalMode));
    writer.U32(image.seed);
    writer.U32(image.randomState);
    writer.U32(uint32_t(image.films.size()));
    for (const WbSavedFilm& film : image.films) {
        writer.U32(film.id);
        writer.I32(film.personsRecord);
        writer.I32(film.releaseDay);
    }
    writer.U32(uint32_t(image.theaters.size()));
    for (const WbSavedTheater& theater : image.theaters) {
        writer.Text(theater.name);
        writer.I32(theater.status);
        writer.I32(theater.pattern);
        writer.I32(theater.capacity);
        writer.U32(theater.openMinute);
        writer.U32(theater.closeMinute);
        writer.U32(theater.filmID);
        writer.I32(theater.reserve);
        writer.I32(theater.totalCustomers);
        writer.I32(theater.incomeDay);
        writer.I32(theater.dayIncome);
        writer.I32(theater.bookedIncome);
        writer.I32(theater.estimateColor);
        writer.I32(theater.staffPresent);
        writer.U32(uint32_t(theater.customerLeaveMinutes.size()));
        for (uint32_t leave : theater.customerLeaveMinutes)
            writer.U32(leave);
        writer.Bytes(theater.extraData);
    }
    writer.U32(uint32_t(image.arrivals.size()));
    for (const WbSavedArrival& arrival : image.arrivals) {
        writer.I64(arrival.dueMinute);
        writer.U32(arrival.theater);
    }
    return writer.Finish();
}

namespace {

// The checksum closes the file and is looked at before any field, so that a file changed or cut short since
// it was written is reported as that, not as whichever field the damage happened to reach. The fields are
// then read from the bytes before it.
void CheckSum(SaveReader& reader, std::span<const uint8_t> bytes)
{
    if (reader.GetRemaining() < 4)
        reader.Bytes("checksum", 4);
    const size_t checksumOffset = bytes.size() - 4;
    const uint32_t stored = uint32_t(bytes[checksumOffset]) | uint32_t(bytes[checksumOffset + 1]) << 8 |
                            uint32_t(bytes[checksumOffset + 2]) << 16 | uint32_t(bytes[checksumOffset + 3]) << 24;
    if (stored != Crc32(bytes.first(checksumOffset)))
        SaveReader::Fail("checksum", checksumOffset,
                         "does not match the file's bytes: the file was changed or cut short after it was written");
    reader.EndAt(checksumOffset);
}

} // namespace

WbTowerImage Decode(std::span<const uint8_t> bytes, const FilmKnown& filmKnown)
{
    SaveReader reader(bytes);
    const auto magic = reader.Bytes("magic", kMagic.size());
    if (!std::equal(magic.begin(), magic.end(), kMagic.begin()))
        SaveReader::Fail("magic", 0, "not a tower file");
    const size_t versionOffset = reader.GetOffset();
    const uint32_t version = reader.U32("version");
    if (version != kVersion)
        SaveReader::Fail("version", versionOffset,
                         std::to_string(version) + " is not the version this host reads (" + std::to_string(kVersion) +
                             ")");
    CheckSum(reader, bytes);

    WbTowerImage image;
    image.day = reader.I32In("day", 1, WbScenarioLimits::kLastDay);
    image.minute = reader.U32In("minute", 0, kLastMinute);
    image.funds = reader.I32("funds");
    image.dayBase = reader.I32In("day_base", 0, kMaxInt);
    const size_t modeOffset = reader.GetOffset();
    image.arrivalMode = kArrivalCodes[size_t(
        reader.Ranged("arrival_mode", reader.U8("arrival_mode"), modeOffset, 0, int64_t(kArrivalCodes.size()) - 1))];
    image.seed = reader.U32("seed");
    image.randomState = reader.U32In("random_state", 1, 0xFFFFFFFFll);

    const uint32_t filmCount = reader.U32("films");
    for (uint32_t i = 0; i < filmCount; ++i)
        image.films.push_back(ReadFilm(reader, Item("films", i), filmKnown));

    const uint32_t theaterCount = reader.U32("theaters");
    std::vector<size_t> reserveOffsets;
    for (uint32_t i = 0; i < theaterCount; ++i) {
        const size_t start = reader.GetOffset();
        image.theaters.push_back(ReadTheater(reader, Item("theaters", i), filmKnown));
        // The reserve follows the name, six figures and the film.
        reserveOffsets.push_back(start + 4 + image.theaters.back().name.size() + 6 * 4);
    }

    const uint32_t arrivalCount = reader.U32("arrivals");
    for (uint32_t i = 0; i < arrivalCount; ++i)
        image.arrivals.push_back(ReadArrival(reader, Item("arrivals", i), image));
    CheckReserves(image, reserveOffsets);

    if (reader.GetRemaining() != 0)
        SaveReader::Fail("end", reader.GetOffset(),
                         std::to_string(reader.GetRemaining()) + " bytes follow the last field, before the checksum");
    return image;
}

namespace {

std::string SystemError(const std::string& what) { return what + ": " + std::strerror(errno); }

} // namespace

void Write(const std::string& path, std::span<const uint8_t> bytes)
{
    const std::string error = WbReplaceFile(path, bytes);
    if (!error.empty())
        throw WbTowerFileError(error);
}

std::vector<uint8_t> Read(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        throw WbTowerFileError(SystemError("cannot be opened"));
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error))
        throw WbTowerFileError("is not a file");
    file.seekg(0, std::ios::end);
    const std::streamoff size = file.tellg();
    if (size < 0 || size_t(size) > kMaxFileBytes)
        throw WbTowerFileError("is larger than " + std::to_string(kMaxFileBytes) + " bytes");
    file.seekg(0, std::ios::beg);
    std::vector<uint8_t> bytes(static_cast<size_t>(size));
    if (!file.read(reinterpret_cast<char*>(bytes.data()), size))
        throw WbTowerFileError("cannot be read");
    return bytes;
}

WbTowerImage Load(const std::string& path, const FilmKnown& filmKnown)
{
    try {
        return Decode(Read(path), filmKnown);
    } catch (const WbTowerFileError& error) {
        throw WbTowerFileError(path + ": " + error.what());
    }
}

void Save(const std::string& path, const WbTowerImage& image)
{
    try {
        Write(path, Encode(image));
    } catch (const WbTowerFileError& error) {
        throw WbTowerFileError(path + ": " + error.what());
    }
}

} // namespace WbTowerFile
