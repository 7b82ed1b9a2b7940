// Reads the tenant module's binary records field by field, refusing each one with its name and offset.
#include "WbResourceRecords.h"

#include <string>

namespace {

constexpr uint8_t kRecordVersion = 1;
constexpr uint32_t kMinutesPerDay = 1440;
// Far beyond any tenant; keeps a damaged record from making a definition wider than a tower.
constexpr int32_t kMaxWidthUnits = 1024;
constexpr int32_t kMaxHeightUnits = 64;

// Walks one record from its first byte; the first failure is kept and every later read fails at once.
class WbRecordCursor {
public:
    WbRecordCursor(std::string resource, std::span<const uint8_t> bytes) : mResource(std::move(resource)), mBytes(bytes)
    {
    }

    bool Failed() const { return !mError.empty(); }
    const std::string& GetError() const { return mError; }
    size_t GetOffset() const { return mAt; }

    void Fail(const std::string& what)
    {
        if (mError.empty())
            mError = mResource + ": " + what;
    }

    bool Version()
    {
        uint8_t version = 0;
        if (!Byte("version", version))
            return false;
        if (version != kRecordVersion) {
            Fail("version " + std::to_string(version) + " at offset 0, expected " + std::to_string(kRecordVersion));
            return false;
        }
        return true;
    }

    bool Byte(const std::string& field, uint8_t& out)
    {
        if (!Need(field, 1))
            return false;
        out = mBytes[mAt++];
        return true;
    }

    bool Int(const std::string& field, int32_t& out)
    {
        uint32_t value = 0;
        if (!Code(field, value))
            return false;
        out = int32_t(value);
        return true;
    }

    bool Code(const std::string& field, uint32_t& out)
    {
        if (!Need(field, 4))
            return false;
        out = uint32_t(mBytes[mAt]) | uint32_t(mBytes[mAt + 1]) << 8 | uint32_t(mBytes[mAt + 2]) << 16 |
              uint32_t(mBytes[mAt + 3]) << 24;
        mAt += 4;
        return true;
    }

    bool Text(const std::string& field, CString& out)
    {
        if (!Need(field, 1))
            return false;
        const size_t start = mAt;
        const size_t length = mBytes[mAt];
        if (!Need(field, 1 + length + 1))
            return false;
        const uint8_t end = mBytes[mAt + 1 + length];
        if (end != 0) {
            Fail(field + " at offset " + std::to_string(start) + " is not ended by a NUL (byte " + std::to_string(end) +
                 " after its " + std::to_string(length) + " characters)");
            return false;
        }
        out = CString(std::string(reinterpret_cast<const char*>(mBytes.data() + mAt + 1), length));
        mAt += 1 + length + 1;
        return true;
    }

    // Nonzero count of items of itemBytes each or more, checked against what is left before any is read.
    bool Count(const std::string& field, size_t minimumItemBytes, int32_t& out)
    {
        const size_t start = mAt;
        if (!Int(field, out))
            return false;
        if (out < 0) {
            Fail(field + " " + std::to_string(out) + " at offset " + std::to_string(start) + ", expected 0 or more");
            return false;
        }
        const size_t room = (mBytes.size() - mAt) / minimumItemBytes;
        if (size_t(out) > room) {
            Fail(field + " " + std::to_string(out) + " at offset " + std::to_string(start) +
                 ", the record has room for at most " + std::to_string(room));
            return false;
        }
        return true;
    }

    // A number in [minimum, maximum], read at the cursor.
    bool Ranged(const std::string& field, int32_t minimum, int32_t maximum, int32_t& out)
    {
        const size_t start = mAt;
        if (!Int(field, out))
            return false;
        if (out < minimum || out > maximum) {
            Fail(field + " " + std::to_string(out) + " at offset " + std::to_string(start) + ", expected " +
                 std::to_string(minimum) + " to " + std::to_string(maximum));
            return false;
        }
        return true;
    }

    bool Skip(const std::string& field, int count)
    {
        int32_t ignored = 0;
        for (int i = 0; i < count; ++i)
            if (!Int(field, ignored))
                return false;
        return true;
    }

    // The record must end exactly after its last field.
    bool End()
    {
        if (Failed())
            return false;
        if (mAt != mBytes.size()) {
            Fail(std::to_string(mBytes.size()) + " bytes, expected " + std::to_string(mAt));
            return false;
        }
        return true;
    }

private:
    bool Need(const std::string& field, size_t count)
    {
        if (Failed())
            return false;
        if (mBytes.size() - mAt < count) {
            Fail(std::to_string(mBytes.size()) + " bytes, expected at least " + std::to_string(mAt + count) +
                 " for the " + field + " at offset " + std::to_string(mAt));
            return false;
        }
        return true;
    }

    std::string mResource;
    std::span<const uint8_t> mBytes;
    size_t mAt = 0;
    std::string mError;
};

std::string Label(const char* type, uint32_t id) { return std::string(type) + " " + std::to_string(id); }

// One whole record: its version, the fields readFields takes, then its exact end.
template <typename T, typename ReadFields>
WbParsed<T> ReadRecord(const char* type, uint32_t id, std::span<const uint8_t> bytes, ReadFields readFields)
{
    WbRecordCursor cursor(Label(type, id), bytes);
    T value{};
    cursor.Version();
    readFields(cursor, value);
    if (!cursor.End())
        return WbParsed<T>::Failure(cursor.GetError());
    return value;
}

// A count of items, each at least minimumItemBytes long, then the items; readItem reads one, its fields'
// names prefixed with the item's name and number.
template <typename Item, typename ReadItem>
void ReadList(WbRecordCursor& cursor, const char* countField, const std::string& itemName, size_t minimumItemBytes,
              std::vector<Item>& items, ReadItem readItem)
{
    int32_t count = 0;
    if (!cursor.Count(countField, minimumItemBytes, count))
        return;
    items.resize(size_t(count));
    for (int32_t i = 0; i < count && !cursor.Failed(); ++i)
        readItem(itemName + " " + std::to_string(i + 1) + " ", items[size_t(i)]);
}

} // namespace

WbParsed<WbFileAttr> WbReadAttrRecord(std::span<const uint8_t> bytes, uint32_t id)
{
    return ReadRecord<WbFileAttr>("ATTR", id, bytes, [](WbRecordCursor& cursor, WbFileAttr& attr) {
        cursor.Code("ID", attr.id);
        cursor.Int("attribute", attr.attrib);
        cursor.Code("ID depended on", attr.dependID);
        cursor.Int("game level", attr.gameLevel);
        cursor.Int("secret item", attr.secretItem);
        cursor.Int("item type", attr.itemType);
        cursor.Int("must item", attr.mustItem);
        cursor.Text("name", attr.name);
    });
}

WbParsed<WbDescRecord> WbReadDescRecord(std::span<const uint8_t> bytes, uint32_t id)
{
    return ReadRecord<WbDescRecord>("DESC", id, bytes, [](WbRecordCursor& cursor, WbDescRecord& desc) {
        cursor.Code("program plug-in type", desc.programType);
        cursor.Int("value", desc.value);
    });
}

WbParsed<WbTenantDefData> WbReadTenantDefRecord(std::span<const uint8_t> bytes, uint32_t id)
{
    int32_t openMinute = 0;
    int32_t closeMinute = 0;
    WbParsed<WbTenantDefData> read =
        ReadRecord<WbTenantDefData>("TNDF", id, bytes, [&](WbRecordCursor& cursor, WbTenantDefData& data) {
            cursor.Int("item type", data.itemType);
            cursor.Ranged("width", 1, kMaxWidthUnits, data.widthUnits);
            cursor.Ranged("height", 1, kMaxHeightUnits, data.heightUnits);
            cursor.Skip("numbers after the size", 2);
            cursor.Text("category description", data.categoryText);
            cursor.Text("category name", data.categoryName);
            cursor.Skip("number after the category name", 1);
            cursor.Ranged("capacity", 0, INT32_MAX, data.capacity);
            cursor.Skip("numbers after the capacity", 2);
            cursor.Code("sub-plug-in type", data.subPluginType);
            cursor.Skip("numbers after the sub-plug-in type", 3);
            cursor.Text("price text", data.priceText);
            cursor.Text("monthly cost text", data.costText);
            cursor.Text("description text", data.descriptionText);
            cursor.Text("name text", data.nameText);
            cursor.Text("second name text", data.secondNameText);
            cursor.Int("price", data.priceHundreds);
            cursor.Ranged("monthly cost", 0, INT32_MAX, data.monthlyCostHundreds);
            cursor.Skip("numbers after the monthly cost", 24);
            cursor.Ranged("opening minute", 0, int32_t(kMinutesPerDay) - 1, openMinute);
            cursor.Ranged("closing minute", 0, int32_t(kMinutesPerDay) - 1, closeMinute);
            cursor.Skip("numbers after the closing minute", 5);
            uint8_t endBytes[2] = {};
            const size_t endOffset = cursor.GetOffset();
            if (cursor.Byte("end bytes", endBytes[0]) && cursor.Byte("end bytes", endBytes[1]) &&
                (endBytes[0] != 0 || endBytes[1] != 0))
                cursor.Fail("end bytes " + std::to_string(endBytes[0]) + ", " + std::to_string(endBytes[1]) +
                            " at offset " + std::to_string(endOffset) + ", expected 0, 0");
        });
    if (!read)
        return read;
    read->openMinute = uint32_t(openMinute);
    read->closeMinute = uint32_t(closeMinute);
    read->incomePerCustomer = read->monthlyCostHundreds / kIncomeShareOfMonthlyCost;
    read->belongCapacity = kBelongPeoplePerTenant;
    return read;
}

WbParsed<std::vector<WbTenantMemberDef>> WbReadMemberTable(std::span<const uint8_t> bytes, uint32_t id)
{
    using Result = WbParsed<std::vector<WbTenantMemberDef>>;
    struct Entry {
        CString name;
        int32_t demand = 0, startSilhouette = 0, endSilhouette = 0, option = 0, percent = 0, people = 0;
    };
    // An entry is at least an empty name (2 bytes) and six numbers.
    constexpr size_t kMinimumEntryBytes = 2 + 6 * 4;
    WbParsed<std::vector<Entry>> entries =
        ReadRecord<std::vector<Entry>>("TMDF", id, bytes, [](WbRecordCursor& cursor, std::vector<Entry>& list) {
            cursor.Skip("header numbers", 4);
            ReadList(cursor, "number of entries", "entry", kMinimumEntryBytes, list,
                     [&](const std::string& prefix, Entry& entry) {
                         cursor.Text(prefix + "name", entry.name);
                         cursor.Int(prefix + "demand type", entry.demand);
                         cursor.Int(prefix + "start silhouette type", entry.startSilhouette);
                         cursor.Int(prefix + "end silhouette type", entry.endSilhouette);
                         cursor.Int(prefix + "option type", entry.option);
                         cursor.Ranged(prefix + "percent", 0, 100, entry.percent);
                         cursor.Ranged(prefix + "number of people", 1, INT32_MAX, entry.people);
                     });
        });
    if (!entries)
        return Result::Failure(entries.GetError());
    int32_t percentTotal = 0;
    for (const Entry& entry : *entries)
        percentTotal += entry.percent;
    if (percentTotal > 100)
        return Result::Failure(Label("TMDF", id) + ": percentages add up to " + std::to_string(percentTotal) +
                               ", expected at most 100");

    std::vector<WbTenantMemberDef> members;
    for (const Entry& entry : *entries) {
        const float rate = percentTotal == 0 ? 1.0f / float(entries->size()) : float(entry.percent) / 100.0f;
        members.emplace_back(entry.name, entry.demand, entry.startSilhouette, entry.endSilhouette, entry.option,
                             entry.percent, entry.people, rate);
    }
    return members;
}

WbParsed<std::vector<WbRemark>> WbReadRemarks(std::span<const uint8_t> bytes, uint32_t id)
{
    // Four numbers and at least an empty text.
    constexpr size_t kMinimumEntryBytes = 4 * 4 + 2;
    auto readRemarks = [](WbRecordCursor& cursor, std::vector<WbRemark>& list) {
        ReadList(cursor, "number of remarks", "remark", kMinimumEntryBytes, list,
                 [&](const std::string& prefix, WbRemark& remark) {
                     for (int32_t& value : remark.values)
                         cursor.Int(prefix + "number", value);
                     cursor.Text(prefix + "text", remark.text);
                 });
    };
    return ReadRecord<std::vector<WbRemark>>("WODF", id, bytes, readRemarks);
}
