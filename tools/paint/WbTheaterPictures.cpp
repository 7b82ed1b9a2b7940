// Paints the theater's pictures. Everything is drawn from code with fixed seeds, so that every build
// makes the same bytes.
#include "WbTheaterPictures.h"

#include "WbPaintPalettes.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <string_view>

namespace WbPaint {
namespace {

// A small integer hash: the same inputs give the same seat plan and the same stars on every build.
uint32_t Scramble(uint32_t value)
{
    value ^= value >> 16;
    value *= 0x7FEB352Du;
    value ^= value >> 15;
    value *= 0x846CA68Bu;
    value ^= value >> 16;
    return value;
}

// ---------------------------------------------------------------------------------------------
// The hall in the tower ("View" frames)
// ---------------------------------------------------------------------------------------------

enum class HallState { Closed, Entry, HalfFull, Running };

constexpr int kScreenRight = kFilmLeft + 200;
constexpr int kScreenTop = kFilmBottom - 60;
constexpr int kHallRight = 226; // the side wall with the exit door lies right of it
constexpr int kFloorTop = 92;

bool HouseLightsOn(HallState state) { return state == HallState::Entry || state == HallState::HalfFull; }

// How light the hall's surfaces are: 0 dark (closed), 1 lit only by the screen, 2 house lights on.
int Light(HallState state)
{
    switch (state) {
    case HallState::Closed:
        return 0;
    case HallState::Running:
        return 1;
    case HallState::Entry:
    case HallState::HalfFull:
        return 2;
    }
    return 0;
}

// Vertical folds of stage cloth: a repeating run of shades that reads as pleats.
void PaintPleats(WbCanvas& canvas, int left, int top, int right, int bottom, int baseShade, int phase)
{
    static constexpr int kPleat[8] = {0, 2, 3, 3, 2, 1, -1, -2};
    for (int x = left; x < right; ++x) {
        const int shade = baseShade + kPleat[(x + phase) & 7];
        canvas.Fill(x, top, x + 1, bottom, Shade(Ramp::Red, shade));
    }
    // A little shadow where the cloth meets the floor or the fringe.
    canvas.Fill(left, bottom - 1, right, bottom, Shade(Ramp::Red, baseShade - 3));
}

void PaintFringe(WbCanvas& canvas, int left, int right, int y, int light)
{
    const int shade = light == 0 ? 5 : light == 1 ? 7 : 11;
    canvas.Fill(left, y, right, y + 1, Shade(Ramp::Gold, shade));
    for (int x = left; x < right; x += 2)
        canvas.Plot(x, y + 1, Shade(Ramp::Gold, shade - 2));
}

void PaintWalls(WbCanvas& canvas, HallState state)
{
    const int light = Light(state);
    // Fabric-covered walls: warm violet under the house lights, deep blue in the dark.
    if (light == 2)
        canvas.VerticalBlend(0, 0, kViewWidth, kFloorTop, RampFirst(Ramp::Violet), 2, 5);
    else if (light == 1)
        canvas.VerticalBlend(0, 0, kViewWidth, kFloorTop, RampFirst(Ramp::Navy), 1, 3);
    else
        canvas.VerticalBlend(0, 0, kViewWidth, kFloorTop, RampFirst(Ramp::Navy), 0, 2);
    // Ceiling with a row of small downlights.
    canvas.Fill(0, 0, kViewWidth, 3, Grey(light == 2 ? 70 : 30));
    canvas.Fill(0, 3, kViewWidth, 4, Grey(light == 2 ? 45 : 15));
    for (int x = 10; x < kViewWidth; x += 24)
        canvas.Fill(x, 2, x + 3, 3, light == 2 ? Shade(Ramp::Gold, 15) : Grey(60));
    // The side wall beyond the hall is a separate bay: a pilaster divides it from the stage.
    canvas.Fill(kHallRight, 4, kHallRight + 2, kFloorTop, light == 2 ? Shade(Ramp::Violet, 1) : Shade(Ramp::Navy, 0));
}

void PaintValance(WbCanvas& canvas, HallState state)
{
    const int light = Light(state);
    const int base = light == 2 ? 7 : light == 1 ? 4 : 2;
    PaintPleats(canvas, 4, 4, kHallRight - 2, 11, base, 0);
    PaintFringe(canvas, 4, kHallRight - 2, 11, light);
}

void PaintScreen(WbCanvas& canvas, HallState state)
{
    // Black masking around the picture area.
    canvas.Fill(kFilmLeft - 2, kScreenTop - 2, kScreenRight + 2, kFilmBottom + 1, kBlack);
    switch (state) {
    case HallState::Closed:
        // The main curtain is drawn across the screen.
        PaintPleats(canvas, kFilmLeft - 2, kScreenTop - 1, kScreenRight + 2, kFilmBottom + 1, 2, 3);
        PaintFringe(canvas, kFilmLeft - 2, kScreenRight + 2, kFilmBottom - 2, 0);
        break;
    case HallState::Entry:
    case HallState::HalfFull: {
        // The house lights are on and the projector shows its slide before the film.
        canvas.VerticalBlend(kFilmLeft, kScreenTop, kScreenRight, kFilmBottom, RampFirst(Ramp::Steel), 15, 12);
        constexpr std::string_view kSlide = "PLEASE TAKE YOUR SEATS";
        const int middle = (kFilmLeft + kScreenRight) / 2;
        canvas.FillEllipse(middle - 80, kScreenTop + 12, middle + 80, kFilmBottom - 12, Shade(Ramp::Steel, 14));
        canvas.FillEllipse(middle - 60, kScreenTop + 18, middle + 60, kFilmBottom - 18, kWhite);
        canvas.Text(middle - WbCanvas::TextWidth(kSlide) / 2, (kScreenTop + kFilmBottom) / 2 - 3, kSlide,
                    Shade(Ramp::Navy, 5));
        break;
    }
    case HallState::Running:
        // The film's picture covers this area; what shows at its edges is the glow of the projection.
        canvas.VerticalBlend(kFilmLeft, kScreenTop, kScreenRight, kFilmBottom, RampFirst(Ramp::Navy), 9, 6);
        break;
    }
}

// The drapes at both sides of the screen, gathered and tied back with a golden cord.
void PaintDrapes(WbCanvas& canvas, HallState state)
{
    const int light = Light(state);
    const int base = light == 2 ? 6 : light == 1 ? 4 : 1;
    const int sides[2][2] = {{3, kFilmLeft - 2}, {kScreenRight + 2, kHallRight - 1}};
    for (const auto& side : sides) {
        PaintPleats(canvas, side[0], 11, side[1], kFilmBottom + 2, base, side[0]);
        const int cordY = 46;
        canvas.Fill(side[0], cordY, side[1], cordY + 2, Shade(Ramp::Gold, light == 0 ? 5 : 10));
        canvas.Plot((side[0] + side[1]) / 2, cordY + 2, Shade(Ramp::Gold, light == 0 ? 4 : 9));
        canvas.Plot((side[0] + side[1]) / 2, cordY + 3, Shade(Ramp::Gold, light == 0 ? 4 : 9));
    }
}

void PaintStage(WbCanvas& canvas, HallState state)
{
    const int light = Light(state);
    const int top = kFilmBottom + 1;
    if (light == 2)
        canvas.VerticalBlend(3, top, kHallRight - 1, top + 5, RampFirst(Ramp::Wood), 9, 5);
    else if (light == 1)
        canvas.VerticalBlend(3, top, kHallRight - 1, top + 5, RampFirst(Ramp::Navy), 6, 3);
    else
        canvas.VerticalBlend(3, top, kHallRight - 1, top + 5, RampFirst(Ramp::Wood), 3, 1);
    canvas.Fill(3, top, kHallRight - 1, top + 1, light == 0 ? Shade(Ramp::Wood, 4) : Shade(Ramp::Gold, 12));
}

// Side bay: the exit door, its sign and a wall lamp.
void PaintSideBay(WbCanvas& canvas, HallState state)
{
    const int light = Light(state);
    const int left = kHallRight + 2;
    const int doorLeft = left + 3;
    const int doorRight = kViewWidth - 3;
    const int doorTop = 52;
    // Door frame and door leaves.
    canvas.Fill(doorLeft - 1, doorTop - 1, doorRight + 1, kFloorTop, Grey(light == 2 ? 120 : 40));
    const bool open = HouseLightsOn(state);
    if (open) {
        // An open door shows the lit lobby behind.
        canvas.VerticalBlend(doorLeft, doorTop, doorRight, kFloorTop, RampFirst(Ramp::Orange), 13, 10);
        canvas.Fill(doorLeft, doorTop, doorLeft + 4, kFloorTop, Shade(Ramp::Wood, 6));
        canvas.Fill(doorLeft + 4, doorTop, doorLeft + 5, kFloorTop, Shade(Ramp::Wood, 3));
    } else {
        canvas.Fill(doorLeft, doorTop, doorRight, kFloorTop, Shade(Ramp::Wood, light == 1 ? 3 : 2));
        canvas.Fill((doorLeft + doorRight) / 2, doorTop, (doorLeft + doorRight) / 2 + 1, kFloorTop,
                    Shade(Ramp::Wood, 0));
        canvas.Fill(doorLeft + 3, 70, doorRight - 3, 71, Grey(light == 1 ? 90 : 70));
    }
    // Exit sign, always lit as exit signs are: a figure running through a door.
    const int signLeft = (doorLeft + doorRight) / 2 - 7;
    canvas.Fill(signLeft, 40, signLeft + 14, 49, Shade(Ramp::Green, 6));
    canvas.Fill(signLeft + 9, 41, signLeft + 13, 48, Shade(Ramp::Green, 15));
    canvas.Fill(signLeft + 10, 42, signLeft + 12, 48, Shade(Ramp::Green, 3));
    canvas.Fill(signLeft + 4, 41, signLeft + 6, 43, Shade(Ramp::Green, 15));
    canvas.Line(signLeft + 5, 43, signLeft + 4, 46, Shade(Ramp::Green, 15));
    canvas.Line(signLeft + 2, 44, signLeft + 7, 44, Shade(Ramp::Green, 15));
    canvas.Line(signLeft + 4, 46, signLeft + 2, 48, Shade(Ramp::Green, 15));
    canvas.Line(signLeft + 4, 46, signLeft + 7, 48, Shade(Ramp::Green, 15));
    // A wall lamp above, glowing while the house lights are on.
    const int lampX = (doorLeft + doorRight) / 2;
    if (open) {
        canvas.FillEllipse(lampX - 6, 12, lampX + 7, 30, Shade(Ramp::Violet, 7));
        canvas.FillEllipse(lampX - 4, 15, lampX + 5, 27, Shade(Ramp::Orange, 12));
        canvas.Fill(lampX - 2, 17, lampX + 3, 24, Shade(Ramp::Gold, 15));
    } else {
        canvas.Fill(lampX - 2, 17, lampX + 3, 24, Grey(light == 1 ? 70 : 50));
    }
    canvas.Fill(lampX - 3, 24, lampX + 4, 26, Shade(Ramp::Gold, light == 0 ? 4 : 8));
}

struct SeatRow {
    int top;    // top of the seat backs
    int offset; // first seat's left edge
};

constexpr SeatRow kRows[2] = {{81, 6}, {87, 10}};
constexpr int kSeatPitch = 9;

// Which seats are taken: each seat draws a fixed number, the state's share decides.
bool SeatTaken(int row, int seat, HallState state)
{
    const uint32_t roll = Scramble(uint32_t(row * 131 + seat * 7 + 5)) % 100;
    switch (state) {
    case HallState::Closed:
        return false;
    case HallState::Entry:
        return roll < 22;
    case HallState::HalfFull:
        return roll < 58;
    case HallState::Running:
        return roll < 92;
    }
    return false;
}

void PaintHead(WbCanvas& canvas, int left, int seatTop, uint32_t seed, HallState state)
{
    // The back of a head and shoulders, seen from the seats behind.
    const int height = 8 + int(seed % 3);
    const int top = seatTop - height + 3;
    if (state == HallState::Running) {
        // Silhouettes against the screen, their hair caught by its light.
        canvas.Fill(left + 0, seatTop - 2, left + 7, seatTop + 1, Shade(Ramp::Navy, 1));
        canvas.FillEllipse(left + 1, top, left + 6, top + 7, Shade(Ramp::Navy, 0));
        canvas.Fill(left + 2, top, left + 5, top + 1, Shade(Ramp::Navy, 6));
        return;
    }
    static constexpr Ramp kClothes[4] = {Ramp::Teal, Ramp::Sky, Ramp::Green, Ramp::Orange};
    static constexpr struct {
        Ramp ramp;
        int shade;
    } kHair[5] = {{Ramp::Wood, 2}, {Ramp::Wood, 5}, {Ramp::Gold, 9}, {Ramp::Steel, 11}, {Ramp::Orange, 4}};
    const Ramp clothes = kClothes[(seed >> 3) % 4];
    const auto hair = kHair[(seed >> 6) % 5];
    canvas.Fill(left, seatTop - 2, left + 7, seatTop + 1, Shade(clothes, 7));
    canvas.Fill(left, seatTop - 2, left + 7, seatTop - 1, Shade(clothes, 10));
    canvas.Fill(left + 2, top + 5, left + 5, seatTop - 1, Shade(Ramp::Skin, 8));
    canvas.FillEllipse(left + 1, top, left + 6, top + 7, Shade(hair.ramp, hair.shade));
    canvas.Plot(left + 2, top + 1, Shade(hair.ramp, hair.shade + 3));
}

void PaintSeats(WbCanvas& canvas, HallState state)
{
    const int light = Light(state);
    for (int row = 0; row < 2; ++row) {
        const SeatRow& r = kRows[row];
        int seat = 0;
        for (int x = r.offset; x + 7 < kHallRight - 1; x += kSeatPitch, ++seat)
            if (SeatTaken(row, seat, state))
                PaintHead(canvas, x, r.top, Scramble(uint32_t(row * 977 + seat)), state);
        seat = 0;
        for (int x = r.offset; x + 7 < kHallRight - 1; x += kSeatPitch, ++seat) {
            // Seat back: a rounded red cushion with a lighter top edge.
            const int base = light == 2 ? 7 : light == 1 ? 3 : 2;
            canvas.Fill(x, r.top + 1, x + 8, kFloorTop, Shade(Ramp::Red, base));
            canvas.Fill(x + 1, r.top, x + 7, r.top + 1, Shade(Ramp::Red, base + 3));
            canvas.Fill(x + 1, r.top + 1, x + 7, r.top + 2, Shade(Ramp::Red, base + 2));
            canvas.Fill(x + 7, r.top + 1, x + 8, kFloorTop, Shade(Ramp::Red, base - 2));
        }
    }
}

void PaintFloor(WbCanvas& canvas, HallState state)
{
    canvas.Fill(0, kFloorTop, kViewWidth, kViewHeight, Grey(90));
    canvas.Fill(0, kFloorTop, kViewWidth, kFloorTop + 1, Grey(state == HallState::Closed ? 110 : 150));
    canvas.Fill(0, kViewHeight - 1, kViewWidth, kViewHeight, Grey(60));
    // Outer walls of the tenant.
    canvas.Fill(0, 0, 2, kFloorTop, Grey(60));
    canvas.Fill(kViewWidth - 2, 0, kViewWidth, kFloorTop, Grey(60));
}

// An usher at the side door while the audience comes in.
void PaintUsher(WbCanvas& canvas, int x)
{
    canvas.FillEllipse(x + 1, 62, x + 6, 68, Shade(Ramp::Wood, 2));
    canvas.Fill(x + 2, 65, x + 5, 69, Shade(Ramp::Skin, 9));
    canvas.Fill(x, 69, x + 7, 82, Shade(Ramp::Red, 6));
    canvas.Plot(x + 3, 72, Shade(Ramp::Gold, 13));
    canvas.Plot(x + 3, 75, Shade(Ramp::Gold, 13));
    canvas.Fill(x + 1, 82, x + 3, kFloorTop, Grey(30));
    canvas.Fill(x + 4, 82, x + 6, kFloorTop, Grey(30));
}

WbCanvas PaintHall(HallState state)
{
    WbCanvas canvas(kViewWidth, kViewHeight, kBlack);
    PaintWalls(canvas, state);
    PaintScreen(canvas, state);
    PaintValance(canvas, state);
    PaintDrapes(canvas, state);
    PaintStage(canvas, state);
    PaintSideBay(canvas, state);
    if (HouseLightsOn(state))
        PaintUsher(canvas, kHallRight + 6);
    PaintSeats(canvas, state);
    PaintFloor(canvas, state);
    return canvas;
}

// ---------------------------------------------------------------------------------------------
// The theater's front ("OutView" frames)
// ---------------------------------------------------------------------------------------------

enum class FrontState { Closed, Open, Showing };
enum class TimeOfDay { Day, Dusk, Night };

constexpr int kFrontHeight = 108;
constexpr int kFacadeTop = 12;
constexpr int kPavementTop = 104;
constexpr int kBoothWidth = 38;
constexpr int kBoothMargin = 8;

struct FrontLight {
    int facade;    // base shade of the stone
    bool lampsLit; // marquee bulbs and light boxes
};

void PaintSky(WbCanvas& canvas, TimeOfDay time, int width)
{
    switch (time) {
    case TimeOfDay::Day:
        canvas.VerticalBlend(0, 0, width, kFacadeTop, RampFirst(Ramp::Sky), 8, 11);
        break;
    case TimeOfDay::Dusk:
        canvas.VerticalBlend(0, 0, width, 6, RampFirst(Ramp::Violet), 5, 8);
        canvas.VerticalBlend(0, 6, width, kFacadeTop, RampFirst(Ramp::Orange), 9, 12);
        break;
    case TimeOfDay::Night:
        canvas.VerticalBlend(0, 0, width, kFacadeTop, RampFirst(Ramp::Navy), 0, 2);
        for (int star = 0; star < width / 12; ++star) {
            const uint32_t seed = Scramble(uint32_t(star + 17));
            canvas.Plot(int(seed % uint32_t(width)), int((seed >> 12) % 10), (seed >> 20) % 3 ? Grey(200) : kWhite);
        }
        break;
    }
}

void PaintRoofSign(WbCanvas& canvas, int width, bool lit)
{
    constexpr std::string_view kName = "CINEMA";
    const int textWidth = WbCanvas::TextWidth(kName);
    const int left = width / 2 - textWidth / 2 - 6;
    const int right = width / 2 + textWidth / 2 + 7;
    // Posts holding the sign above the roof line.
    canvas.Fill(left + 4, 9, left + 6, kFacadeTop, Grey(50));
    canvas.Fill(right - 6, 9, right - 4, kFacadeTop, Grey(50));
    canvas.Fill(left, 1, right, 11, lit ? Shade(Ramp::Red, 5) : Shade(Ramp::Red, 2));
    canvas.Frame(left, 1, right, 11, lit ? Shade(Ramp::Gold, 12) : Shade(Ramp::Gold, 4));
    canvas.Text(width / 2 - textWidth / 2, 3, kName, lit ? Shade(Ramp::Gold, 15) : Shade(Ramp::Red, 6));
}

void PaintFacade(WbCanvas& canvas, int width, const FrontLight& light)
{
    canvas.VerticalBlend(0, kFacadeTop, width, kPavementTop, RampFirst(Ramp::Stone), light.facade + 1,
                         light.facade - 1);
    // Cornice along the roof line.
    canvas.Fill(0, kFacadeTop, width, kFacadeTop + 2, Shade(Ramp::Stone, light.facade + 3));
    canvas.Fill(0, kFacadeTop + 2, width, kFacadeTop + 3, Shade(Ramp::Stone, light.facade - 4));
    // Fluted pilasters: the theater's vertical lines.
    for (int x = 6; x < width - 4; x += 56) {
        canvas.Fill(x, kFacadeTop + 3, x + 6, 40, Shade(Ramp::Stone, light.facade + 2));
        canvas.Fill(x + 2, kFacadeTop + 3, x + 3, 40, Shade(Ramp::Stone, light.facade - 2));
        canvas.Fill(x + 5, kFacadeTop + 3, x + 6, 40, Shade(Ramp::Stone, light.facade - 3));
    }
}

// Three lit poster cases in the upper front; each poster is a small scene of its own.
void PaintPosters(WbCanvas& canvas, int width, const FrontLight& light)
{
    const int count = 3;
    const int posterWidth = 26;
    const int spacing = (width - count * posterWidth) / (count + 1);
    static constexpr Ramp kSky[3] = {Ramp::Orange, Ramp::Navy, Ramp::Teal};
    for (int i = 0; i < count; ++i) {
        const int left = spacing + i * (posterWidth + spacing);
        const int top = 17;
        canvas.Fill(left - 2, top - 2, left + posterWidth + 2, top + 21, Shade(Ramp::Gold, light.lampsLit ? 10 : 5));
        canvas.Fill(left - 1, top - 1, left + posterWidth + 1, top + 20, Shade(Ramp::Gold, light.lampsLit ? 6 : 3));
        const int bright = light.lampsLit ? 0 : -5;
        canvas.VerticalBlend(left, top, left + posterWidth, top + 19, RampFirst(kSky[i]), 11 + bright, 6 + bright);
        // A figure and a title bar.
        canvas.FillEllipse(left + 9, top + 3, left + 17, top + 11, Shade(Ramp::Skin, 9 + bright));
        canvas.Fill(left + 7, top + 10, left + 19, top + 19, Shade(kSky[(i + 1) % 3], 4 + bright));
        canvas.Fill(left + 2, top + 15, left + posterWidth - 2, top + 17, Shade(Ramp::Gold, 13 + bright));
    }
}

void PaintMarquee(WbCanvas& canvas, int width, FrontState state, const FrontLight& light)
{
    const int left = 10;
    const int right = width - 10;
    const int top = 42;
    const int bottom = 58;
    const bool lit = state != FrontState::Closed;
    // Canopy shadow on the wall, then the board.
    canvas.Fill(left + 2, bottom, right - 2, bottom + 3, Shade(Ramp::Stone, light.facade - 6));
    canvas.Fill(left, top, right, bottom, lit ? Shade(Ramp::Red, 4) : Shade(Ramp::Red, 1));
    canvas.Fill(left + 3, top + 3, right - 3, bottom - 3, lit ? Shade(Ramp::Gold, 14) : Grey(110));
    // Bulbs along the top and bottom edges; on the showing frame every other bulb is dark, so that
    // the two lit frames alternate like chasing lights.
    for (int x = left + 2; x < right - 1; x += 4) {
        const bool on = state == FrontState::Open || (state == FrontState::Showing && ((x / 4) & 1) == 0);
        const uint8_t bulb = on ? Shade(Ramp::Gold, 15) : Shade(Ramp::Gold, lit ? 6 : 3);
        canvas.Fill(x, top + 1, x + 2, top + 2, bulb);
        canvas.Fill(x, bottom - 2, x + 2, bottom - 1, bulb);
    }
    const std::string_view text = state == FrontState::Closed ? "CLOSED" : "NOW SHOWING";
    const int textWidth = WbCanvas::TextWidth(text);
    canvas.Text((left + right) / 2 - textWidth / 2, top + 5, text, lit ? Shade(Ramp::Red, 4) : Grey(60));
}

void PaintEntrance(WbCanvas& canvas, int width, FrontState state, const FrontLight& light)
{
    const int doorsLeft = width / 2 - 30;
    const int doorsRight = width / 2 + 30;
    const int top = 66;
    // Door surround.
    canvas.Fill(doorsLeft - 3, top - 3, doorsRight + 3, kPavementTop, Shade(Ramp::Stone, light.facade - 4));
    if (state == FrontState::Closed) {
        // Rolled-down shutter.
        for (int y = top; y < kPavementTop; ++y)
            canvas.Fill(doorsLeft, y, doorsRight, y + 1, Shade(Ramp::Steel, (y & 1) ? 6 : 8));
    } else {
        canvas.VerticalBlend(doorsLeft, top, doorsRight, kPavementTop, RampFirst(Ramp::Orange), 14, 10);
        for (int x = doorsLeft; x <= doorsRight; x += 15)
            canvas.Fill(x, top, x + 2, kPavementTop, Shade(Ramp::Wood, 3));
        // Door handles and the red carpet inside.
        for (int x = doorsLeft + 12; x < doorsRight; x += 15)
            canvas.Fill(x, 84, x + 1, 88, Shade(Ramp::Gold, 12));
        canvas.Fill(doorsLeft + 2, kPavementTop - 3, doorsRight, kPavementTop, Shade(Ramp::Red, 6));
    }
}

void PaintTicketBooth(WbCanvas& canvas, int left, FrontState state, const FrontLight& light)
{
    const int top = 66;
    const int width = kBoothWidth;
    canvas.Fill(left, top, left + width, kPavementTop, Shade(Ramp::Wood, 4));
    canvas.Fill(left + 1, top + 1, left + width - 1, top + 10, Shade(Ramp::Red, light.lampsLit ? 5 : 2));
    canvas.Text(left + 2, top + 2, "TICKET", light.lampsLit ? Shade(Ramp::Gold, 15) : Shade(Ramp::Gold, 5));
    const int window = top + 12;
    canvas.Fill(left + 4, window, left + width - 4, window + 16,
                state == FrontState::Closed ? Shade(Ramp::Steel, 3) : Shade(Ramp::Orange, 13));
    if (state != FrontState::Closed) {
        // The cashier behind the window.
        const int middle = left + width / 2;
        canvas.FillEllipse(middle - 3, window + 3, middle + 3, window + 10, Shade(Ramp::Skin, 9));
        canvas.Fill(middle - 3, window + 3, middle + 3, window + 5, Shade(Ramp::Wood, 2));
        canvas.Fill(middle - 5, window + 10, middle + 5, window + 16, Shade(Ramp::Red, 6));
    }
    canvas.Fill(left + 2, window + 16, left + width - 2, window + 18, Shade(Ramp::Wood, 8));
}

void PaintPerson(WbCanvas& canvas, int x, uint32_t seed)
{
    static constexpr Ramp kCoats[5] = {Ramp::Teal, Ramp::Sky, Ramp::Violet, Ramp::Green, Ramp::Orange};
    const Ramp coat = kCoats[seed % 5];
    const int height = 22 + int(seed >> 4) % 4;
    const int top = kPavementTop - height;
    canvas.FillEllipse(x + 1, top, x + 7, top + 6, Shade(Ramp::Wood, int(seed >> 8) % 5 + 1));
    canvas.Fill(x + 2, top + 3, x + 6, top + 7, Shade(Ramp::Skin, 9));
    canvas.Fill(x, top + 7, x + 8, top + 16, Shade(coat, 6));
    canvas.Fill(x, top + 7, x + 1, top + 16, Shade(coat, 9));
    canvas.Fill(x + 1, top + 16, x + 3, kPavementTop, Grey(40));
    canvas.Fill(x + 5, top + 16, x + 7, kPavementTop, Grey(40));
}

void PaintPavement(WbCanvas& canvas, int width, TimeOfDay time)
{
    canvas.Fill(0, kPavementTop, width, kFrontHeight, Grey(time == TimeOfDay::Night ? 70 : 150));
    canvas.Fill(0, kPavementTop, width, kPavementTop + 1, Grey(time == TimeOfDay::Night ? 100 : 190));
    for (int x = 0; x < width; x += 12)
        canvas.Plot(x, kPavementTop + 2, Grey(time == TimeOfDay::Night ? 50 : 120));
}

// At night the lit marquee throws light down on the wall and the pavement.
void PaintGlow(WbCanvas& canvas, int width)
{
    for (int y = 61; y < 66; ++y)
        canvas.Checker(14, y, width - 14, y + 1, Shade(Ramp::Orange, 9 - (y - 61)), y);
}

WbCanvas PaintFront(FrontState state, TimeOfDay time, int width)
{
    WbCanvas canvas(width, kFrontHeight, kWhite);
    const bool lit = state != FrontState::Closed;
    FrontLight light{};
    light.facade = time == TimeOfDay::Day ? 11 : time == TimeOfDay::Dusk ? 8 : 4;
    light.lampsLit = lit;
    PaintSky(canvas, time, width);
    PaintFacade(canvas, width, light);
    PaintRoofSign(canvas, width, lit || time == TimeOfDay::Day);
    PaintPosters(canvas, width, light);
    PaintMarquee(canvas, width, state, light);
    if (lit && time != TimeOfDay::Day)
        PaintGlow(canvas, width);
    PaintEntrance(canvas, width, state, light);
    PaintTicketBooth(canvas, kBoothMargin, state, light);
    PaintTicketBooth(canvas, width - kBoothMargin - kBoothWidth, state, light);
    // A queue at the left booth; while a film is showing, latecomers at the right one as well.
    if (state != FrontState::Closed) {
        for (int i = 0; i < 3; ++i)
            PaintPerson(canvas, kBoothMargin + kBoothWidth + 4 + i * 11, Scramble(uint32_t(i * 3 + int(time))));
        if (state == FrontState::Showing)
            for (int i = 0; i < 2; ++i)
                PaintPerson(canvas, width - kBoothMargin - kBoothWidth - 14 - i * 11,
                            Scramble(uint32_t(i * 5 + 40 + int(time))));
    }
    PaintPavement(canvas, width, time);
    return canvas;
}

// ---------------------------------------------------------------------------------------------
// Tool icons
// ---------------------------------------------------------------------------------------------

constexpr int kIconSize = 26;

enum class IconLook { Normal, Selected, Disabled };

// A bevelled button face; Selected looks pressed in.
void PaintButton(WbCanvas& canvas, int top, IconLook look)
{
    const bool pressed = look == IconLook::Selected;
    canvas.Fill(0, top, kIconSize, top + kIconSize, pressed ? IconCube(4, 4, 5) : IconGrey(215));
    const uint8_t light = pressed ? IconGrey(100) : kWhite;
    const uint8_t dark = pressed ? kWhite : IconGrey(100);
    canvas.Fill(0, top, kIconSize, top + 1, light);
    canvas.Fill(0, top, 1, top + kIconSize, light);
    canvas.Fill(0, top + kIconSize - 1, kIconSize, top + kIconSize, dark);
    canvas.Fill(kIconSize - 1, top, kIconSize, top + kIconSize, dark);
}

// City function: three buildings with lit windows and a tree in front.
void PaintCityIcon(WbCanvas& canvas, int top, IconLook look)
{
    PaintButton(canvas, top, look);
    const bool grey = look == IconLook::Disabled;
    auto colour = [&](int red, int green, int blue) {
        return grey ? IconGrey(100 + 20 * (red + green + blue) / 3) : IconCube(red, green, blue);
    };
    const int shift = look == IconLook::Selected ? 1 : 0;
    const int base = top + 22 + shift;
    struct Building {
        int left, right, height, red, green, blue;
    };
    constexpr Building kBuildings[3] = {{3, 10, 12, 2, 2, 4}, {9, 17, 17, 1, 3, 4}, {16, 23, 10, 4, 3, 2}};
    for (const Building& b : kBuildings) {
        canvas.Fill(b.left + shift, base - b.height, b.right + shift, base, colour(b.red, b.green, b.blue));
        canvas.Fill(b.right - 1 + shift, base - b.height, b.right + shift, base,
                    colour(b.red / 2, b.green / 2, b.blue / 2));
        for (int y = base - b.height + 2; y < base - 2; y += 3)
            for (int x = b.left + 2; x < b.right - 2; x += 2)
                canvas.Plot(x + shift, y, colour(5, 5, 2));
    }
    canvas.FillEllipse(18 + shift, base - 7, 24 + shift, base - 1, colour(1, 3, 1));
    canvas.Fill(20 + shift, base - 2, 22 + shift, base + 1, colour(2, 1, 0));
    canvas.Fill(2 + shift, base, 24 + shift, base + 1, colour(1, 1, 1));
}

// The theater tool: a film reel beside a clapperboard.
void PaintTheaterIcon(WbCanvas& canvas, int top, IconLook look)
{
    PaintButton(canvas, top, look);
    const int shift = look == IconLook::Selected ? 1 : 0;
    const int x = 3 + shift;
    const int y = top + 3 + shift;
    // Reel.
    canvas.FillEllipse(x, y, x + 14, y + 14, IconCube(1, 1, 1));
    canvas.FillEllipse(x + 1, y + 1, x + 13, y + 13, IconGrey(160));
    for (const auto& hole : std::array<std::array<int, 2>, 4>{{{3, 3}, {8, 3}, {3, 8}, {8, 8}}})
        canvas.FillEllipse(x + hole[0], y + hole[1], x + hole[0] + 3, y + hole[1] + 3, IconCube(1, 1, 1));
    canvas.Fill(x + 6, y + 6, x + 8, y + 8, kWhite);
    // Clapperboard in front of the reel.
    const int bx = x + 8;
    const int by = y + 10;
    canvas.Fill(bx, by, bx + 12, by + 10, IconCube(1, 1, 1));
    canvas.Fill(bx + 1, by + 4, bx + 11, by + 9, IconCube(5, 5, 4));
    for (int i = 0; i < 12; i += 4) {
        canvas.Fill(bx + i, by, bx + i + 2, by + 3, kWhite);
    }
    canvas.Fill(bx + 2, by + 6, bx + 9, by + 7, IconCube(4, 0, 0));
}

} // namespace

WbCanvas PaintTheaterViews()
{
    WbCanvas views(kViewWidth, kViewHeight * 4, kWhite);
    constexpr HallState kStates[4] = {HallState::Closed, HallState::Entry, HallState::HalfFull, HallState::Running};
    for (int frame = 0; frame < 4; ++frame)
        views.Blit(PaintHall(kStates[frame]), 0, frame * kViewHeight, -1);
    return views;
}

WbCanvas PaintOutViews(int set, int width)
{
    WbCanvas views(width, kFrontHeight * 3, kWhite);
    const TimeOfDay time = set == 1 ? TimeOfDay::Day : set == 2 ? TimeOfDay::Dusk : TimeOfDay::Night;
    constexpr FrontState kStates[3] = {FrontState::Closed, FrontState::Open, FrontState::Showing};
    for (int frame = 0; frame < 3; ++frame)
        views.Blit(PaintFront(kStates[frame], time, width), 0, frame * kFrontHeight, -1);
    return views;
}

WbCanvas PaintIcons()
{
    WbCanvas icons(kIconSize, kIconSize * 5, kWhite);
    PaintCityIcon(icons, 0, IconLook::Normal);
    PaintCityIcon(icons, kIconSize, IconLook::Selected);
    PaintCityIcon(icons, 2 * kIconSize, IconLook::Disabled);
    PaintTheaterIcon(icons, 3 * kIconSize, IconLook::Normal);
    PaintTheaterIcon(icons, 4 * kIconSize, IconLook::Selected);
    return icons;
}

} // namespace WbPaint
