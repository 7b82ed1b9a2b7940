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

} // namespace

WbParsed<WbFileAttr> WbReadAttrRecord(std::span<const uint8_t> bytes, uint32_t id)
{
    WbRecordCursor cursor(Label("ATTR", id), bytes);
    WbFileAttr attr;
    cursor.Version();
    cursor.Code("ID", attr.id);
    cursor.Int("attribute", attr.attrib);
    cursor.Code("ID depended on", attr.dependID);
    cursor.Int("game level", attr.gameLevel);
    cursor.Int("secret item", attr.secretItem);
    cursor.Int("item type", attr.itemType);
    cursor.Int("must item", attr.mustItem);
    cursor.Text("name", attr.name);
    if (!cursor.End())
        return WbParsed<WbFileAttr>::Failure(cursor.GetError());
    return attr;
}

WbParsed<WbDescRecord> WbReadDescRecord(std::span<const uint8_t> bytes, uint32_t id)
{
    WbRecordCursor cursor(Label("DESC", id), bytes);
    WbDescRecord desc;
    cursor.Version();
    cursor.Code("program plug-in type", desc.programType);
    cursor.Int("value", desc.value);
    if (!cursor.End())
        return WbParsed<WbDescRecord>::Failure(cursor.GetError());
    return desc;
}

WbParsed<WbTenantDefData> WbReadTenantDefRecord(std::span<const uint8_t> bytes, uint32_t id)
{
    WbRecordCursor cursor(Label("TNDF", id), bytes);
    WbTenantDefData data;
    int32_t openMinute = 0;
    int32_t closeMinute = 0;
    cursor.Version();
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
        cursor.Fail("end bytes " + std::to_string(endBytes[0]) + ", " + std::to_string(endBytes[1]) + " at offset " +
                    std::to_string(endOffset) + ", expected 0, 0");
    if (!cursor.End())
        return WbParsed<WbTenantDefData>::Failure(cursor.GetError());
    data.openMinute = uint32_t(openMinute);
    data.closeMinute = uint32_t(closeMinute);
    data.incomePerCustomer = data.monthlyCostHundreds / kIncomeShareOfMonthlyCost;
    data.belongCapacity = kBelongPeoplePerTenant;
    return data;
}

WbParsed<std::vector<WbTenantMemberDef>> WbReadMemberTable(std::span<const uint8_t> bytes, uint32_t id)
{
    using Result = WbParsed<std::vector<WbTenantMemberDef>>;
    // An entry is at least an empty name (2 bytes) and six numbers.
    constexpr size_t kMinimumEntryBytes = 2 + 6 * 4;
    WbRecordCursor cursor(Label("TMDF", id), bytes);
    int32_t count = 0;
    cursor.Version();
    cursor.Skip("header numbers", 4);
    if (!cursor.Count("number of entries", kMinimumEntryBytes, count))
        return Result::Failure(cursor.GetError());

    struct Entry {
        CString name;
        int32_t demand = 0, startSilhouette = 0, endSilhouette = 0, option = 0, percent = 0, people = 0;
    };
    std::vector<Entry> entries(static_cast<size_t>(count));
    int32_t percentTotal = 0;
    for (int32_t i = 0; i < count && !cursor.Failed(); ++i) {
        const std::string prefix = "entry " + std::to_string(i + 1) + " ";
        Entry& entry = entries[size_t(i)];
        cursor.Text(prefix + "name", entry.name);
        cursor.Int(prefix + "demand type", entry.demand);
        cursor.Int(prefix + "start silhouette type", entry.startSilhouette);
        cursor.Int(prefix + "end silhouette type", entry.endSilhouette);
        cursor.Int(prefix + "option type", entry.option);
        cursor.Ranged(prefix + "percent", 0, 100, entry.percent);
        cursor.Ranged(prefix + "number of people", 1, INT32_MAX, entry.people);
        percentTotal += entry.percent;
    }
    if (!cursor.End())
        return Result::Failure(cursor.GetError());
    if (percentTotal > 100)
        return Result::Failure(Label("TMDF", id) + ": percentages add up to " + std::to_string(percentTotal) +
                               ", expected at most 100");

    std::vector<WbTenantMemberDef> members;
    for (const Entry& entry : entries) {
        const float rate = percentTotal == 0 ? 1.0f / float(count) : float(entry.percent) / 100.0f;
        members.emplace_back(entry.name, entry.demand, entry.startSilhouette, entry.endSilhouette, entry.option,
                             entry.percent, entry.people, rate);
    }
    return members;
}

WbParsed<std::vector<WbRemark>> WbReadRemarks(std::span<const uint8_t> bytes, uint32_t id)
{
    using Result = WbParsed<std::vector<WbRemark>>;
    // Four numbers and at least an empty text.
    constexpr size_t kMinimumEntryBytes = 4 * 4 + 2;
    WbRecordCursor cursor(Label("WODF", id), bytes);
    int32_t count = 0;
    cursor.Version();
    if (!cursor.Count("number of remarks", kMinimumEntryBytes, count))
        return Result::Failure(cursor.GetError());
    std::vector<WbRemark> remarks(static_cast<size_t>(count));
    for (int32_t i = 0; i < count && !cursor.Failed(); ++i) {
        const std::string prefix = "remark " + std::to_string(i + 1) + " ";
        WbRemark& remark = remarks[size_t(i)];
        for (int32_t& value : remark.values)
            cursor.Int(prefix + "number", value);
        cursor.Text(prefix + "text", remark.text);
    }
    if (!cursor.End())
        return Result::Failure(cursor.GetError());
    return remarks;
}
