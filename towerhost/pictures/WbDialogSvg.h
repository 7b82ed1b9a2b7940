// Pictures of the open dialogs as SVG: item rectangles, texts with their alignment and colour, disabled
// and hidden items, and the film's still embedded as a PNG.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class WbBitImage;
class WbDialog;
class WbFilmShelf;
struct RECT;

namespace WbDialogSvg {

// The dialogs one below the other, oldest on top, each with its title bar.
std::string Render(const std::vector<WbDialog*>& dialogs, const WbFilmShelf& shelf);
// Writes Render's picture; throws std::runtime_error naming the file when it cannot.
void Write(const std::string& path, const std::vector<WbDialog*>& dialogs, const WbFilmShelf& shelf);
// The part of an 8-bit image as a PNG file with the image's palette.
std::vector<uint8_t> EncodePng(const WbBitImage& image, const RECT& part);

} // namespace WbDialogSvg
