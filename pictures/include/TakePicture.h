#pragma once
// Taking a picture in as a sprite: from a file, from bytes (a drop), or from
// a decoded image (the clipboard). BMP, PNG and GIF are read, by their
// content, never their name; each is decoded once, row by row, straight into
// packed bits, so no full-colour copy of the picture is ever held.

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

// What a picture gives the windows: the sprite by the pixel rule, and the
// pixels that look dark but are clear, both of the picture's size.
//
// The pixel rule: a pixel is set exactly when it is fully opaque pure black
// (red, green, blue 0 at the picture's full precision, alpha at its highest).
// A pixel is marked when it is not set, not fully transparent, and its
// luminance 0.299 R + 0.587 G + 0.114 B is under a quarter of full scale
// (near-black, and black that is not fully opaque).
// Pictures up to this many pixels are kept beside their sprite, so that the
// conversion choices can convert them again; larger ones are not kept.
inline constexpr qint64 kMaxKeptPixels = qint64(1024) * 1024;

struct TakenPicture {
    palvorn::Sprite sprite;
    palvorn::Sprite marked;
    // The picture as the conversions see it, when kept: its ExactBlack
    // conversion is sprite and marked. Null when not kept.
    std::shared_ptr<const palvorn::GreyPicture> picture;
};

// The one exception every taking function throws. what() is the whole
// message for the user, in UTF-8, naming the file; message() is the same as
// a QString.
class PictureError : public std::runtime_error {
public:
    enum class Kind {
        NotAPicture,  // no picture format at all (text, an empty file)
        Unsupported,  // a picture, but not BMP, PNG or GIF, or a kind of those not read
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
