#include "ByteSource.h"

#include <algorithm>
#include <cstring>

#include "Failure.h"

namespace pictures {

namespace {
constexpr qint64 kFileBuffer = 64 * 1024;
}

ByteSource::ByteSource(const QByteArray& bytes) : bytes_(&bytes), size_(bytes.size()) {}

ByteSource::ByteSource(QFile& file) : file_(&file), size_(file.size()) {}

bool ByteSource::readAt(qint64 pos, void* out, qint64 n)
{
    if (pos < 0 || n < 0 || pos > size_ || n > size_ - pos)
        return false;
    if (bytes_) {
        std::memcpy(out, bytes_->constData() + pos, size_t(n));
        return true;
    }
    if (!file_->seek(pos))
        fail(PictureError::Kind::Unreadable, file_->errorString());
    auto* to = static_cast<char*>(out);
    while (n > 0) {
        const qint64 got = file_->read(to, n);
        if (got < 0)
            fail(PictureError::Kind::Unreadable, file_->errorString());
        if (got == 0)
            return false;  // shorter than when opened
        to += got;
        n -= got;
    }
    return true;
}

const std::uint8_t* ByteSource::view(qint64 pos, qint64 n) const
{
    if (!bytes_ || pos < 0 || n < 0 || pos > size_ || n > size_ - pos)
        return nullptr;
    return reinterpret_cast<const std::uint8_t*>(bytes_->constData()) + pos;
}

Reader::Reader(ByteSource& source, qint64 start) : source_(source), pos_(start) {}

bool Reader::refill()
{
    const qint64 left = source_.size() - pos_;
    if (left <= 0)
        return false;
    const qint64 n = std::min(left, kFileBuffer);
    if (const std::uint8_t* in = source_.view(pos_, n)) {
        data_ = in;
    } else {
        buffer_.resize(size_t(kFileBuffer));
        if (!source_.readAt(pos_, buffer_.data(), n))
            return false;
        data_ = buffer_.data();
    }
    at_ = 0;
    end_ = n;
    pos_ += n;
    return true;
}

qint64 Reader::read(void* out, qint64 n)
{
    auto* to = static_cast<std::uint8_t*>(out);
    qint64 done = 0;
    while (done < n) {
        if (at_ == end_ && !refill())
            break;
        const qint64 piece = std::min(n - done, end_ - at_);
        std::memcpy(to + done, data_ + at_, size_t(piece));
        at_ += piece;
        done += piece;
    }
    return done;
}

bool Reader::skip(qint64 n)
{
    while (n > 0) {
        if (at_ == end_ && !refill())
            return false;
        const qint64 piece = std::min(n, end_ - at_);
        at_ += piece;
        n -= piece;
    }
    return true;
}

}  // namespace pictures
