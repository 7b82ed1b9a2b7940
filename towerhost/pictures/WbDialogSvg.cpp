// Drawing dialogs as SVG for people to look at: each item kind gets a plain look that says what it is.
#include "WbDialogSvg.h"

#include "WbDialog.h"
#include "WbFilmShelf.h"
#include "WbImage.h"
#include "WbMoviePlugin.h"
#include "WbPngWriter.h"
#include "WbQuoted.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace {

using WbDialogSvg::kMargin;
using WbDialogSvg::kTableRow;
using WbDialogSvg::kTitleBar;
constexpr int kGap = 16;
// A template's FONT 12 is the host's small dialog font, 9 pixels high: the picture draws it in a sans font
// of Helvetica's widths (Arial, Liberation Sans), in which every label of the module's templates fits its
// item as the template's author laid it out.
constexpr const char* kFont = "Liberation Sans, Arial, Helvetica, sans-serif";
// Room between an item's edge and its text.
constexpr int kPadding = 1;

int PixelSize(int fontSize) { return std::max(fontSize * 3 / 4, 6); }

// A tab stands for four spaces, as a text item shows it.
std::string Escaped(const std::string& text)
{
    std::string spaced;
    for (const char c : text)
        spaced += c == '\t' ? std::string(4, ' ') : std::string(1, c);
    return WbXmlText(spaced);
}

// A line wider than its item breaks between words, as a text item breaks it; a word wider than the item
// stays whole and is cut at the item's edge. A line that fits keeps its spaces as they are.
std::vector<std::string> Wrapped(const std::string& line, double width, int pixels)
{
    if (WbDialogSvg::TextWidth(line, pixels) <= width)
        return {line};
    std::vector<std::string> lines;
    std::string current;
    std::istringstream words(line);
    std::string word;
    while (words >> word) {
        if (!current.empty() && WbDialogSvg::TextWidth(current + " " + word, pixels) > width) {
            lines.push_back(current);
            current.clear();
        }
        current += (current.empty() ? "" : " ") + word;
    }
    if (!current.empty() || lines.empty())
        lines.push_back(current);
    return lines;
}

// Lines end with CR (the comment area), LF or both.
std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::string line;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            lines.push_back(line);
            line.clear();
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        } else {
            line += text[i];
        }
    }
    if (!line.empty())
        lines.push_back(line);
    return lines;
}

std::string Colour(uint32_t colorRef)
{
    char text[8];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", colorRef & 0xFF, (colorRef >> 8) & 0xFF, (colorRef >> 16) & 0xFF);
    return text;
}

std::string Base64(const std::vector<uint8_t>& bytes)
{
    static const char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string text;
    for (size_t i = 0; i < bytes.size(); i += 3) {
        const uint32_t chunk = uint32_t(bytes[i]) << 16 | (i + 1 < bytes.size() ? uint32_t(bytes[i + 1]) << 8 : 0) |
                               (i + 2 < bytes.size() ? uint32_t(bytes[i + 2]) : 0);
        text += kDigits[chunk >> 18 & 63];
        text += kDigits[chunk >> 12 & 63];
        text += i + 1 < bytes.size() ? kDigits[chunk >> 6 & 63] : '=';
        text += i + 2 < bytes.size() ? kDigits[chunk & 63] : '=';
    }
    return text;
}

class Canvas {
public:
    void Rect(const RECT& r, const std::string& style)
    {
        mOut << "<rect x=\"" << r.left << "\" y=\"" << r.top << "\" width=\"" << r.right - r.left << "\" height=\""
             << r.bottom - r.top << "\" style=\"" << style << "\"/>\n";
    }
    // Text in its rectangle, one line under the other, cut at the rectangle's edges as the item cuts it:
    // lines break between words at its width, and a line below the first that does not fit whole above its
    // bottom is not drawn.
    void Text(const RECT& r, const std::string& text, WbAlign align, int fontSize, const std::string& colour,
              bool centred = false)
    {
        const int pixels = PixelSize(fontSize);
        const int lineHeight = pixels + 3;
        const int width = r.right - r.left;
        const int height = r.bottom - r.top;
        std::vector<std::string> lines;
        for (const std::string& line : Lines(text))
            for (const std::string& part : Wrapped(line, width - 2 * kPadding, pixels))
                lines.push_back(part);
        if (lines.empty())
            return;
        mOut << "<svg x=\"" << r.left << "\" y=\"" << r.top << "\" width=\"" << width << "\" height=\"" << height
             << "\" overflow=\"hidden\">";
        const char* anchor = centred ? "middle" : align == WbAlign::Right ? "end" : "start";
        const int x = centred ? width / 2 : align == WbAlign::Right ? width - kPadding : kPadding;
        const int firstBaseline = centred ? (height + pixels) / 2 - 1 : pixels + 1;
        constexpr int kDescent = 2;
        for (size_t i = 0; i < lines.size() && (i == 0 || firstBaseline + int(i) * lineHeight + kDescent <= height);
             ++i)
            mOut << "<text x=\"" << x << "\" y=\"" << firstBaseline + int(i) * lineHeight << "\" font-family=\""
                 << kFont << "\" font-size=\"" << pixels << "\" text-anchor=\"" << anchor << "\" fill=\"" << colour
                 << "\" style=\"white-space:pre\">" << Escaped(lines[i]) << "</text>";
        mOut << "</svg>\n";
    }
    void Raw(const std::string& text) { mOut << text; }
    std::string Str() const { return mOut.str(); }

private:
    std::ostringstream mOut;
};

// The film whose still the movie item shows: its still source names the film.
const WbMoviePlugin* StillFilm(const WbDlgItemMovie& movie, const WbFilmShelf& shelf)
{
    const WbMoviePlugin* film = shelf.Find(movie.GetStillSource().Str());
    if (movie.GetShowing() == WbDlgItemMovie::Showing::Movie)
        for (const auto& candidate : shelf.GetFilms())
            if (candidate->GetQTMovieName() == movie.GetMovieName())
                film = candidate.get();
    return film;
}

void DrawMovie(Canvas& canvas, const WbDlgItemMovie& movie, const WbFilmShelf& shelf)
{
    const RECT& r = movie.GetRect();
    canvas.Rect(r, "fill:#000000");
    if (movie.GetShowing() == WbDlgItemMovie::Showing::Nothing)
        return;
    const WbMoviePlugin* film = StillFilm(movie, shelf);
    const WbImageObj* images = film ? film->GetImageObj() : nullptr;
    const int index =
        images ? images->FindObject(uint32_t(movie.GetStillID() ? movie.GetStillID() : int32_t(WbFourCC("SCRE"))), -1,
                                    0, 0, 255)
               : -1;
    if (index >= 0 && images->GetPart(index).image) {
        const WbImagePart& part = images->GetPart(index);
        canvas.Raw("<image x=\"" + std::to_string(r.left) + "\" y=\"" + std::to_string(r.top) + "\" width=\"" +
                   std::to_string(r.right - r.left) + "\" height=\"" + std::to_string(r.bottom - r.top) +
                   "\" preserveAspectRatio=\"none\" href=\"data:image/png;base64," +
                   Base64(WbDialogSvg::EncodePng(*part.image, part.rect)) + "\"/>\n");
    }
    if (movie.GetShowing() == WbDlgItemMovie::Showing::Movie)
        canvas.Text(RECT{r.left, r.bottom - 16, r.right, r.bottom}, "\u25B6 " + movie.GetMovieName().Str(),
                    WbAlign::Left, 11, "#ffffff");
}

void DrawTable(Canvas& canvas, const WbMovieTable& table, const std::string& textColour)
{
    const RECT& r = table.GetRect();
    canvas.Rect(r, "fill:#ffffff;stroke:#808080");
    for (int row = 1; row <= table.GetRowCount(); ++row) {
        const RECT line{r.left + 1, r.top + 1 + (row - 1) * kTableRow, r.right - 1, r.top + 1 + row * kTableRow};
        if (line.bottom > r.bottom)
            break;
        const bool selected = row == table.GetSelectedRow();
        if (selected)
            canvas.Rect(line, "fill:#3a6ea5");
        CString title;
        table.GetFilm(row)->GetTitle(title, table.GetMovieType());
        canvas.Text(line, title.Str(), WbAlign::Left, table.GetFontSize(), selected ? "#ffffff" : textColour);
    }
}

void DrawItem(Canvas& canvas, const WbDlgItem& item, const WbFilmShelf& shelf)
{
    const std::string kind = item.GetKind();
    const RECT& r = item.GetRect();
    const bool enabled = item.IsInputEnabled() != 0;
    std::string textColour = enabled ? "#000000" : "#a0a0a0";
    if (const auto* text = dynamic_cast<const WbDlgItemText*>(&item); text && enabled)
        textColour = Colour(text->GetTextColor());
    const std::string shown = item.GetDisplayText().Str();

    if (kind == "BOX") {
        canvas.Rect(r, "fill:none;stroke:#808080");
    } else if (kind == "TEXT") {
        canvas.Text(r, shown, item.GetAlignment(), item.GetFontSize(), textColour);
    } else if (kind == "EDIT") {
        canvas.Rect(r, "fill:#ffffff;stroke:#404040");
        canvas.Text(RECT{r.left + 2, r.top + 2, r.right - 2, r.bottom}, shown, WbAlign::Left, item.GetFontSize(),
                    textColour);
    } else if (kind == "BUTTON" || kind == "OK" || kind == "CANCEL") {
        canvas.Rect(r, "fill:#e0e0e0;stroke:#404040;stroke-width:1");
        canvas.Text(r, shown, WbAlign::Left, item.GetFontSize(), textColour, true);
    } else if (const auto* movie = dynamic_cast<const WbDlgItemMovie*>(&item)) {
        DrawMovie(canvas, *movie, shelf);
    } else if (const auto* table = dynamic_cast<const WbMovieTable*>(&item)) {
        DrawTable(canvas, *table, textColour);
    } else {
        canvas.Rect(r, "fill:#f4f4f4;stroke:#b0b0b0");
        canvas.Text(r, shown, WbAlign::Left, item.GetFontSize(), textColour);
    }
}

void DrawDialog(Canvas& canvas, const WbDialog& dialog, int top, const WbFilmShelf& shelf)
{
    RECT client;
    dialog.GetClientRect(&client);
    canvas.Raw("<g transform=\"translate(" + std::to_string(kMargin) + "," + std::to_string(top) + ")\">\n");
    canvas.Rect(RECT{0, 0, client.right, kTitleBar}, "fill:#2a4d7a");
    canvas.Text(RECT{6, 0, client.right, kTitleBar},
                dialog.GetTitle().Str() + "  (WBDLG " + std::to_string(dialog.GetTemplateID()) + ")", WbAlign::Left, 16,
                "#ffffff", false);
    canvas.Raw("<g transform=\"translate(0," + std::to_string(kTitleBar) + ")\">\n");
    canvas.Rect(client, "fill:#d4d0c8;stroke:#404040");
    for (const auto& item : dialog.GetItems()) {
        if (item->IsWindowVisible()) {
            DrawItem(canvas, *item, shelf);
        } else {
            // Hidden items stay in the picture as faint dashed outlines, so that it shows what the code hid.
            canvas.Raw("<g opacity=\"0.35\">");
            canvas.Rect(item->GetRect(), "fill:none;stroke:#000000;stroke-dasharray:3,3");
            canvas.Raw("</g>\n");
        }
    }
    if (!dialog.IsWindowEnabled())
        canvas.Rect(client, "fill:#808080;fill-opacity:0.35");
    canvas.Raw("</g>\n</g>\n");
}

} // namespace

namespace WbDialogSvg {

double TextWidth(const std::string& text, int pixels)
{
    // Advance widths of Helvetica's printable ASCII characters from the space, in thousandths of the size.
    static constexpr uint16_t kWidths[95] = {
        278, 278, 355, 556, 556, 889, 667, 191, 333, 333, 389, 584, 278, 333,  278, 278, 556, 556, 556,
        556, 556, 556, 556, 556, 556, 556, 278, 278, 584, 584, 584, 556, 1015, 667, 667, 722, 722, 667,
        611, 778, 722, 278, 500, 667, 556, 833, 722, 778, 667, 778, 722, 667,  611, 722, 667, 944, 667,
        667, 611, 278, 278, 278, 469, 556, 333, 556, 556, 500, 556, 556, 278,  556, 556, 222, 222, 500,
        222, 833, 556, 556, 556, 556, 333, 500, 278, 556, 500, 722, 500, 500,  500, 334, 260, 334, 584};
    // Other characters count as a digit; a character of several UTF-8 bytes counts once.
    constexpr uint16_t kOther = 556;
    int64_t thousandths = 0;
    for (char c : text) {
        const auto byte = uint8_t(c);
        if (byte >= 0x20 && byte < 0x7F)
            thousandths += kWidths[byte - 0x20];
        else if (byte == '\t')
            thousandths += 4 * kWidths[0];
        else if (byte < 0x80 || byte >= 0xC0)
            thousandths += kOther;
    }
    return double(thousandths) * pixels / 1000.0;
}

std::vector<uint8_t> EncodePng(const WbBitImage& image, const RECT& part)
{
    const RECT r{std::clamp<LONG>(part.left, 0, image.GetWidth()), std::clamp<LONG>(part.top, 0, image.GetHeight()),
                 std::clamp<LONG>(part.right, 0, image.GetWidth()),
                 std::clamp<LONG>(part.bottom, 0, image.GetHeight())};
    WbBitImage cropped(std::max<int>(r.right - r.left, 1), std::max<int>(r.bottom - r.top, 1));
    cropped.SetPalette(image.GetPalette());
    for (int y = 0; y < r.bottom - r.top; ++y)
        for (int x = 0; x < r.right - r.left; ++x)
            cropped.SetPixel(x, y, image.GetPixel(r.left + x, r.top + y));
    std::vector<uint8_t> bytes;
    if (!WbEncodePng(cropped, bytes))
        throw std::runtime_error("the film's still cannot be encoded as PNG");
    return bytes;
}

std::string Render(const std::vector<WbDialog*>& dialogs, const WbFilmShelf& shelf)
{
    Canvas canvas;
    int width = 2 * kMargin;
    int top = kMargin;
    for (const WbDialog* dialog : dialogs) {
        RECT client;
        dialog->GetClientRect(&client);
        DrawDialog(canvas, *dialog, top, shelf);
        width = std::max<int>(width, client.right + 2 * kMargin);
        top += kTitleBar + client.bottom + kGap;
    }
    const int height = std::max(top - kGap + kMargin, 2 * kMargin);
    std::ostringstream svg;
    svg << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << width << "\" height=\"" << height
        << "\" viewBox=\"0 0 " << width << " " << height << "\">\n"
        << "<rect width=\"100%\" height=\"100%\" fill=\"#ffffff\"/>\n"
        << canvas.Str() << "</svg>\n";
    return svg.str();
}

void Write(const std::string& path, const std::vector<WbDialog*>& dialogs, const WbFilmShelf& shelf)
{
    const std::string picture = Render(dialogs, shelf);
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (!file)
        throw std::runtime_error(path + ": cannot be written: " + std::strerror(errno));
    file << picture;
    file.close();
    if (!file)
        throw std::runtime_error(path + ": cannot be written");
}

} // namespace WbDialogSvg
