#include "Render.h"

#include <QStringList>
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "Rules.h"
#include "TakePicture.h"

namespace render {

namespace {

using palvorn::Sprite;

void checkScale(Scale scale)
{
    if (scale.up < 1 || scale.down < 1 || (scale.up > 1 && scale.down > 1))
        throw std::invalid_argument("scale " + std::to_string(scale.up) + ":" + std::to_string(scale.down) +
                                    " is not a whole enlargement or a whole divisor");
}

int ceilDiv(int a, int b)
{
    return (a + b - 1) / b;
}

// Shown pixel colour of sprite pixel x on one row; marked may be null.
QRgb colourAt(const std::uint8_t* set, const std::uint8_t* marked, int x)
{
    if (palvorn::rowPixel(set, x))
        return kSetColour;
    return marked && palvorn::rowPixel(marked, x) ? kMarkedColour : kClearColour;
}

// Whether any pixel of columns [x0, x1) is set in this packed row; whole
// bytes at a time, since a shrunk picture reads every pixel it has.
bool anyBit(const std::uint8_t* row, int x0, int x1)
{
    const int first = palvorn::byteOf(x0);
    const int last = palvorn::byteOf(x1 - 1);
    const std::uint8_t head = palvorn::pixelsFrom(x0);
    const std::uint8_t tail = palvorn::pixelsBefore(x1);
    if (first == last)
        return row[first] & head & tail;
    if (row[first] & head)
        return true;
    for (int b = first + 1; b < last; ++b)
        if (row[b])
            return true;
    return row[last] & tail;
}

// Rows [y0, y1) of a sprite ORed into one packed row: a pixel of it is set
// when that column has a set pixel anywhere in those rows. Whole bytes, so a
// shrunk picture reads each of its bytes once.
void orRows(const Sprite& sprite, int y0, int y1, std::vector<std::uint8_t>& out)
{
    const auto perRow = static_cast<std::size_t>(sprite.bytesPerRow());
    out.assign(perRow, 0);
    for (int y = y0; y < y1; ++y) {
        const std::uint8_t* row = sprite.row(y);
        for (std::size_t i = 0; i < perRow; ++i)
            out[i] |= row[i];
    }
}

void checkZoom(int zoom)
{
    if (zoom < kMinZoom || zoom > kMaxZoom)
        throw std::invalid_argument("zoom " + std::to_string(zoom) + " is outside " + std::to_string(kMinZoom) +
                                    ".." + std::to_string(kMaxZoom));
}

// Where the shown sprite stands: the normal sprite fixes it once there is one.
// The screen at its own resolution, row by row.
using Screen = std::array<std::array<QRgb, palvorn::kScreenWidth>, palvorn::kScreenHeight>;

// Each screen row widened once into image (the screen times zoom) and
// copied to the zoom - 1 lines below it.
void widenScreen(const Screen& screen, int zoom, QImage& image)
{
    const auto lineBytes = static_cast<std::size_t>(image.width()) * sizeof(QRgb);
    for (int y = 0; y < palvorn::kScreenHeight; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y * zoom));
        for (int x = 0; x < palvorn::kScreenWidth; ++x)
            std::fill_n(line + x * zoom, zoom, screen[y][x]);
        for (int k = 1; k < zoom; ++k)
            std::memcpy(image.scanLine(y * zoom + k), line, lineBytes);
    }
}

QString pastEdge(int pixels, const char* edge)
{
    return pixels == 1 ? QString::fromLatin1(kPastEdgeOne).arg(QLatin1String(edge))
                       : QString::fromLatin1(kPastEdgeMany).arg(pixels).arg(QLatin1String(edge));
}

}  // namespace

Scale scaleFor(QSize picture, QSize box)
{
    if (picture.isEmpty() || box.isEmpty())
        return {};
    if (picture.width() <= box.width() && picture.height() <= box.height())
        return {std::min(box.width() / picture.width(), box.height() / picture.height()), 1};
    // ceil(side / down) <= box side holds exactly when down >= ceil(side / box side).
    return {1, std::max(ceilDiv(picture.width(), box.width()), ceilDiv(picture.height(), box.height()))};
}

QSize scaledSize(QSize picture, Scale scale)
{
    checkScale(scale);
    if (picture.isEmpty())
        return {0, 0};
    return {ceilDiv(picture.width(), scale.down) * scale.up, ceilDiv(picture.height(), scale.down) * scale.up};
}

QString scaleText(Scale scale)
{
    checkScale(scale);
    return QString::fromLatin1(kScaleText).arg(scale.up).arg(scale.down);
}

QImage renderSprite(const Sprite& sprite, const Sprite& marked, Scale scale)
{
    checkMarked(sprite, marked);
    checkScale(scale);
    if (sprite.isEmpty())
        return {};
    const Sprite* mask = marked.isEmpty() ? nullptr : &marked;
    const QSize size = scaledSize(QSize(sprite.width(), sprite.height()), scale);
    QImage image(size, QImage::Format_RGB32);
    if (image.isNull())
        return {};

    if (scale.down > 1) {
        // Each block shows its darkest pixel: set over marked over clear.
        const int d = scale.down;
        std::vector<std::uint8_t> set;
        std::vector<std::uint8_t> mark;
        for (int oy = 0; oy < size.height(); ++oy) {
            auto* line = reinterpret_cast<QRgb*>(image.scanLine(oy));
            const int y0 = oy * d;
            const int y1 = std::min(y0 + d, sprite.height());
            orRows(sprite, y0, y1, set);
            if (mask)
                orRows(*mask, y0, y1, mark);
            for (int ox = 0; ox < size.width(); ++ox) {
                const int x0 = ox * d;
                const int x1 = std::min(x0 + d, sprite.width());
                line[ox] = anyBit(set.data(), x0, x1)                  ? kSetColour
                           : mask && anyBit(mark.data(), x0, x1) ? kMarkedColour
                                                                 : kClearColour;
            }
        }
        return image;
    }

    // Each sprite row is drawn once and copied to the up - 1 lines below it.
    const int up = scale.up;
    const auto lineBytes = static_cast<std::size_t>(size.width()) * sizeof(QRgb);
    for (int y = 0; y < sprite.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y * up));
        const std::uint8_t* set = sprite.row(y);
        const std::uint8_t* mark = mask ? mask->row(y) : nullptr;
        for (int x = 0; x < sprite.width(); ++x)
            std::fill_n(line + x * up, up, colourAt(set, mark, x));
        for (int k = 1; k < up; ++k)
            std::memcpy(image.scanLine(y * up + k), line, lineBytes);
    }
    return image;
}

QImage renderBox(const Sprite& sprite, const Sprite& marked, QSize box, bool grid)
{
    checkMarked(sprite, marked);
    if (box.isEmpty())
        return {};
    QImage image(box, QImage::Format_RGB32);
    if (image.isNull())
        return {};
    image.fill(kBoxColour);
    const QImage picture = renderSprite(sprite, marked, scaleFor(QSize(sprite.width(), sprite.height()), box));
    if (picture.isNull())
        return image;
    // scaleFor keeps the picture inside the box; checked anyway, as the
    // copy below writes raw memory.
    if (picture.width() > box.width() || picture.height() > box.height())
        throw std::logic_error("scaled picture larger than its box");
    const int left = (box.width() - picture.width()) / 2;
    const int top = (box.height() - picture.height()) / 2;
    const auto lineBytes = static_cast<std::size_t>(picture.width()) * sizeof(QRgb);
    const int up = scaleFor(QSize(sprite.width(), sprite.height()), box).up;
    const bool lines = grid && up >= kGridZoom;
    for (int y = 0; y < picture.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(top + y)) + left;
        std::memcpy(line, picture.constScanLine(y), lineBytes);
        if (!lines)
            continue;
        if (y % up == 0) {
            for (int x = 0; x < picture.width(); ++x)
                line[x] = gridColour(line[x]);
        } else {
            for (int x = 0; x < picture.width(); x += up)
                line[x] = gridColour(line[x]);
        }
    }
    return image;
}

QRect redrawBoxPart(QImage& box, const Sprite& sprite, const Sprite& marked, const palvorn::PixelRect& part,
                    bool grid)
{
    checkMarked(sprite, marked);
    const QSize size(sprite.width(), sprite.height());
    const QRect pixels = QRect(part.left, part.top, part.width, part.height) & QRect(QPoint(0, 0), size);
    const Scale scale = scaleFor(size, box.size());
    if (box.isNull() || pixels.isEmpty() || scale.down > 1 || box.format() != QImage::Format_RGB32)
        return {};
    const int up = scale.up;
    const QSize shown = scaledSize(size, scale);
    const QPoint origin((box.width() - shown.width()) / 2, (box.height() - shown.height()) / 2);
    const bool lines = grid && up >= kGridZoom;
    // Each pixel's square as renderBox draws it, grid line on its top row and left column.
    for (int y = pixels.top(); y <= pixels.bottom(); ++y) {
        const std::uint8_t* set = sprite.row(y);
        const std::uint8_t* mark = marked.isEmpty() ? nullptr : marked.row(y);
        for (int x = pixels.left(); x <= pixels.right(); ++x) {
            const QRgb colour = colourAt(set, mark, x);
            for (int k = 0; k < up; ++k) {
                auto* line = reinterpret_cast<QRgb*>(box.scanLine(origin.y() + y * up + k)) + origin.x() + x * up;
                std::fill_n(line, up, lines && k == 0 ? gridColour(colour) : colour);
                if (lines)
                    line[0] = gridColour(colour);
            }
        }
    }
    return {origin + pixels.topLeft() * up, pixels.size() * up};
}

QImage renderScreen(const Sprite& shown, const Sprite& normal, int zoom)
{
    checkZoom(zoom);
    using palvorn::kScreenHeight;
    using palvorn::kScreenWidth;
    QImage image(kScreenWidth * zoom, kScreenHeight * zoom, QImage::Format_RGB32);
    image.fill(kScreenColour);
    if (shown.isEmpty())
        return image;

    // Drawn first at screen resolution, then widened.
    Screen screen;
    for (auto& row : screen)
        row.fill(kScreenColour);
    const palvorn::Placement at = palvorn::placementFor(shown, normal);
    const int w = shown.width();
    const int h = shown.height();
    auto put = [&screen](int x, int y, QRgb colour) {
        if (x >= 0 && x < kScreenWidth && y >= 0 && y < kScreenHeight)
            screen[y][x] = colour;
    };
    // The outline first, so that the sprite's set pixels cover it.
    const int right = at.robotTo + w - 1;
    const int bottom = at.robotY + h - 1;
    for (int x = std::max(at.robotTo, -1); x <= std::min(right, kScreenWidth); ++x) {
        put(x, at.robotY, kRobotToColour);
        put(x, bottom, kRobotToColour);
    }
    for (int y = std::max(at.robotY, -1); y <= std::min(bottom, kScreenHeight); ++y) {
        put(at.robotTo, y, kRobotToColour);
        put(right, y, kRobotToColour);
    }
    const int x0 = std::max(0, -at.robotX);
    const int x1 = std::min(w, kScreenWidth - at.robotX);
    const int y0 = std::max(0, -at.robotY);
    const int y1 = std::min(h, kScreenHeight - at.robotY);
    for (int y = y0; y < y1; ++y) {
        const std::uint8_t* set = shown.row(y);
        for (int x = x0; x < x1; ++x)
            if (palvorn::rowPixel(set, x))
                screen[at.robotY + y][at.robotX + x] = kScreenInk;
    }

    widenScreen(screen, zoom, image);
    return image;
}

QImage renderFrame(const Sprite& frame, int zoom)
{
    checkZoom(zoom);
    using palvorn::kScreenHeight;
    using palvorn::kScreenWidth;
    if (frame.width() != kScreenWidth || frame.height() != kScreenHeight)
        throw std::invalid_argument("a battle frame must be the screen's size");
    Screen screen;
    for (int y = 0; y < kScreenHeight; ++y) {
        const std::uint8_t* set = frame.row(y);
        for (int x = 0; x < kScreenWidth; ++x)
            screen[y][x] = palvorn::rowPixel(set, x) ? kScreenInk : kScreenColour;
    }
    QImage image(kScreenWidth * zoom, kScreenHeight * zoom, QImage::Format_RGB32);
    widenScreen(screen, zoom, image);
    return image;
}

QString screenNote(const Sprite& shown, const Sprite& normal)
{
    using palvorn::kScreenHeight;
    using palvorn::kScreenWidth;
    if (shown.isEmpty())
        return {};
    const palvorn::Placement at = palvorn::placementFor(shown, normal);
    QStringList parts;
    if (shown.width() > kScreenWidth)
        parts << QString::fromLatin1(kWider).arg(kScreenWidth);
    else if (at.robotX < 0)
        parts << pastEdge(-at.robotX, "left");
    else if (at.robotX + shown.width() > kScreenWidth)
        parts << pastEdge(at.robotX + shown.width() - kScreenWidth, "right");
    if (shown.height() > kScreenHeight)
        parts << QString::fromLatin1(kTaller).arg(kScreenHeight);
    else if (at.robotY < 0)
        parts << pastEdge(-at.robotY, "top");
    else if (at.robotY + shown.height() > kScreenHeight)
        parts << pastEdge(at.robotY + shown.height() - kScreenHeight, "bottom");
    if (parts.isEmpty())
        return {};
    return QString::fromLatin1(kCutOff).arg(parts.join(QLatin1String(", ")));
}

std::array<QImage, palvorn::kPoses> renderPoses(const std::array<Sprite, palvorn::kPoses>& sprites, QSize box)
{
    // One zoom for all, so poses compare by size: the one that fits the
    // widest and the tallest pose together.
    QSize largest;
    for (const Sprite& s : sprites)
        largest = largest.expandedTo(QSize(s.width(), s.height()));
    const Scale scale = scaleFor(largest, box);
    std::array<QImage, palvorn::kPoses> images;
    for (int i = 0; i < palvorn::kPoses; ++i)
        images[static_cast<std::size_t>(i)] = renderSprite(sprites[static_cast<std::size_t>(i)], {}, scale);
    return images;
}

}  // namespace render
