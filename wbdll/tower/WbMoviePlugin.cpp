// Films of the host: their titles, life phases, attendance records, re-releases and screen pictures.
#include "WbMoviePlugin.h"

#include "WbDateTime.h"
#include "WbImage.h"
#include "WbTowerDoc.h"

namespace {

constexpr uint32_t kFilmType = WbFourCC("MoPI");
constexpr uint32_t kScreenObject = WbFourCC("SCRE");
constexpr int kScreenWidth = 200;
constexpr int kScreenHeight = 60;
// A film whose run ended at least this many days ago comes back to the screens.
constexpr int32_t kRemakeDays = 30;

WbPluginSpecifier FilmSpecifier(const WbFilmInfo& info)
{
    WbPluginSpecifier specifier;
    const auto title = info.titles.find(1);
    if (title != info.titles.end())
        specifier.mName = title->second;
    specifier.mType = kFilmType;
    return specifier;
}

// Index of a colour-cube colour of the standard palette, each level 0 to 5.
uint8_t CubeColour(uint32_t red, uint32_t green, uint32_t blue)
{
    return uint8_t(11 + (red % 6 * 6 + green % 6) * 6 + blue % 6);
}

// The film's screen picture, made from its ID alone so that every run draws the same poster: a sky,
// a ground, a sun and a band of title blocks, in colours picked from the ID's bytes.
WbBitImage* DrawScreenPicture(uint32_t id)
{
    auto* image = new WbBitImage(kScreenWidth, kScreenHeight);
    uint32_t mix = id * 2654435761u;
    const uint8_t sky = CubeColour(mix & 3, (mix >> 2) % 3 + 2, (mix >> 4) % 2 + 4);
    const uint8_t ground = CubeColour((mix >> 6) % 3 + 1, (mix >> 8) % 3 + 1, mix >> 10 & 1);
    const uint8_t sun = CubeColour(5, (mix >> 11) % 3 + 3, 0);
    const uint8_t title = CubeColour((mix >> 13) % 6, (mix >> 16) % 6, (mix >> 19) % 6);
    image->Fill(sky);
    const int horizon = 36 + int(mix >> 22 & 7);
    image->FillRect(RECT{0, horizon, kScreenWidth, kScreenHeight}, ground);
    const int sunX = 20 + int((mix >> 25) % 150);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            const int dx = 2 * x - 15;
            const int dy = 2 * y - 15;
            if (dx * dx + dy * dy <= 225)
                image->SetPixel(sunX + x, 6 + y, sun);
        }
    // One block per bit of the ID's low byte, like the letters of a title.
    for (int i = 0; i < 8; ++i)
        if (id >> i & 1)
            image->FillRect(RECT{10 + 23 * i, 48, 28 + 23 * i, 56}, title);
    image->FillRect(RECT{0, 0, kScreenWidth, 2}, 255);
    image->FillRect(RECT{0, kScreenHeight - 2, kScreenWidth, kScreenHeight}, 255);
    return image;
}

} // namespace

WbMoviePlugin::WbMoviePlugin(const WbFilmInfo& info)
    : CFilePlugin(kFilmType, FilmSpecifier(info)), mInfo(info), mImageObj(std::make_unique<WbImageObj>())
{
    WbFileAttr attr;
    attr.id = info.id;
    attr.name = mSpecifier.mName;
    SetAttr(attr);

    WbImagePart screen;
    screen.name = "SCRE";
    screen.id = kScreenObject;
    screen.rect = RECT{0, 0, kScreenWidth, kScreenHeight};
    screen.image = mImageObj->AdoptImage(DrawScreenPicture(info.id));
    mImageObj->AddPart(screen);
}

WbMoviePlugin::~WbMoviePlugin() = default;

void WbMoviePlugin::GetTitle(CString& title, int movieType) const
{
    auto found = mInfo.titles.find(movieType);
    if (found == mInfo.titles.end())
        found = mInfo.titles.find(1);
    title = found == mInfo.titles.end() ? CString() : found->second;
}

int WbMoviePlugin::GetMovieLifePhase(const WbDateTime* now, int32_t dayBase) const
{
    const int64_t age = int64_t(now->CalcTotalDays()) - dayBase;
    if (age < mInfo.releaseDay)
        return 0;
    if (mInfo.runDays == 0 || age < int64_t(mInfo.releaseDay) + mInfo.runDays)
        return 1;
    return 2;
}

void WbMoviePlugin::SetNOPersonsR(int32_t persons)
{
    mInfo.personsRecord = persons;
    if (mTowerDoc)
        mTowerDoc->Report({.kind = WbEventKind::Record, .film = this, .value = persons});
}

// A film whose run has been over for kRemakeDays comes back: its run starts again on the given day and
// keeps its attendance record. The event's category says whether this call brought it back.
void WbMoviePlugin::ChkReMake(int32_t days)
{
    int32_t remade = 0;
    if (mInfo.runDays > 0 && int64_t(days) >= int64_t(mInfo.releaseDay) + mInfo.runDays + kRemakeDays) {
        mInfo.releaseDay = days;
        remade = 1;
    }
    if (mTowerDoc)
        mTowerDoc->Report({.kind = WbEventKind::Remake, .film = this, .value = days, .category = remade});
}
