#pragma once
// Taking a picture in as a sprite: from a file, from bytes (a drop), or from
// a decoded image (the clipboard). BMP, PNG, GIF, JPEG and WebP are read, by
// their content, never their name; each is decoded once, row by row, into
// the picture kept for the conversions and its Exact black sprite beside it.
//
// Every function here uses QImage and no QPixmap or widget, and touches no
// shared state: each may run on any thread, several at once.
#include <QByteArray>
#include <QImage>
#include <QString>

#include <memory>
#include <stdexcept>

#include "Convert.h"
#include "Sprite.h"

// Pictures up to this many pixels are taken (4096 × 4096), with no side
// longer than a sprite's (palvorn::Sprite::kMaxSide): a 32767 × 1 strip is
// taken, 4097 × 4096 is not. Larger ones are refused from their header,
// before any pixel memory is taken.
inline constexpr int kMaxPictureSide = 4096;
inline constexpr qint64 kMaxPicturePixels = qint64(kMaxPictureSide) * kMaxPictureSide;

// What a picture gives the windows.
//
// The pixel rule of Exact black: a pixel is set exactly when it is fully
// opaque pure black (red, green, blue 0 at the picture's full precision,
// alpha at its highest). A pixel is marked when it is not set, not fully
// transparent, and its luminance 0.299 R + 0.587 G + 0.114 B is under a
// quarter of full scale (near-black, and black that is not fully opaque).
//
// Every picture taken is kept whole, as palvorn::GreyPicture: the bound on
// what is kept is the bound on what is taken, 16 bits a pixel, 32 MB at most.
// So every pose from a picture can be scaled and converted again.
inline constexpr qint64 kMaxKeptPixels = kMaxPicturePixels;

struct TakenPicture {
    TakenPicture() = default;
    TakenPicture(palvorn::Sprite sprite_, palvorn::Sprite marked_,
                 std::shared_ptr<const palvorn::GreyPicture> picture_, palvorn::Conversion conversion_ = {},
                 QString note_ = {})
        : sprite(std::move(sprite_)),
          marked(std::move(marked_)),
          picture(std::move(picture_)),
          conversion(conversion_),
          note(std::move(note_))
    {
    }

    // The picture under `conversion`: always convert(*picture, conversion),
    // of the picture's own size, as taken (conversion.scale is 100).
    palvorn::Sprite sprite;
    palvorn::Sprite marked;
    // The picture as the conversions see it. Never null for a picture taken
    // by the functions below; null only for a TakenPicture made otherwise.
    std::shared_ptr<const palvorn::GreyPicture> picture;
    // The conversion the picture starts with (startConversion).
    palvorn::Conversion conversion;
    // Why it starts with that conversion, for the note under the picture
    // (kThresholdNote); empty for Exact black.
    QString note;
};

// The one exception every taking function throws. what() is the whole
// message for the user, in UTF-8, naming the file; message() is the same as
// a QString.
class PictureError : public std::runtime_error {
public:
    enum class Kind {
        NotAPicture,  // no picture format at all (text, an empty file)
        Unsupported,  // a picture, but not BMP, PNG, GIF, JPEG or WebP, or a kind of those not read
        Damaged,      // inconsistent, or cut short
        TooLarge,     // over kMaxPicturePixels or a side over Sprite::kMaxSide
        Unreadable,   // the file could not be opened or read
    };

    PictureError(Kind kind, const QString& message);

    Kind kind() const { return kind_; }
    QString message() const { return QString::fromUtf8(what()); }

private:
    Kind kind_;
};

// The picture in the file at `path`. Throws PictureError; the message names
// the file by its path as given, in native separators.
TakenPicture takePictureFile(const QString& path);

// The same for a picture's bytes in memory (a dropped file's contents);
// nameForMessages is how messages name it ("The picture" when empty). Gives what takePictureFile gives
// for a file holding these bytes.
TakenPicture takePictureData(const QByteArray& bytes, const QString& nameForMessages);

// A decoded picture (the clipboard's, a dropped image), alpha kept: a fully
// transparent picture gives an all-clear sprite. Bounded like a file; a null
// image is NotAPicture. Messages name it as nameForMessages, or "The picture"
// when that is empty.
TakenPicture takeImage(const QImage& image, const QString& nameForMessages = {});

// The conversion a picture starts with:
//  - Exact black for a picture with a pure black pixel, or with no dark
//    pixel at all (nothing a threshold would set either);
//  - Threshold at kDefaultThreshold for a JPEG or WebP (lossy: its black is
//    rarely pure), and for a picture with dark pixels but no pure black one,
//    with kThresholdNote's note ("No pure black: Threshold 50 %").
// Each taking function applies it: sprite and marked are the start's.
inline constexpr char kThresholdNote[] = "No pure black: Threshold %1 %";
inline constexpr char kLossyThresholdNote[] = "%1 picture: Threshold %2 %";

// The notes the windows and the command line give on a taken picture.
inline constexpr char kDarkClearOne[] = "1 dark pixel will be clear.";
inline constexpr char kDarkClearMany[] = "%1 dark pixels will be clear.";
inline constexpr char kNoSetPixel[] = "No pixel is pure black: this sprite will be blank.";

// Throws std::invalid_argument unless `marked` is empty (nothing marked) or
// of the sprite's size.
void checkMarked(const palvorn::Sprite& sprite, const palvorn::Sprite& marked);

// How many pixels `marked` flags that are clear in the sprite. Same rule on
// `marked` as checkMarked.
int markedClearCount(const palvorn::Sprite& sprite, const palvorn::Sprite& marked);

// The note under the picture: how many dark-looking pixels will be clear
// ("12 dark pixels will be clear."), and a warning when a picture holds no
// set pixel at all. Empty when there is nothing to say or no picture.
QString pictureNote(const palvorn::Sprite& sprite, const palvorn::Sprite& marked = {});
