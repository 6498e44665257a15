#pragma once
// Inside the picture decoders: the bytes of a file or of memory, read where
// and as much as a decoder asks, so that neither is ever copied whole.

#include <QByteArray>
#include <QFile>

#include <cstdint>
#include <vector>

namespace pictures {

class ByteSource {
public:
    explicit ByteSource(const QByteArray& bytes);  // kept by reference: must outlive this
    explicit ByteSource(QFile& file);              // open for reading; must outlive this

    qint64 size() const { return size_; }

    // n bytes from pos into out; false (out unchanged past what was there)
    // when the source ends first. Throws Unreadable on a read error.
    bool readAt(qint64 pos, void* out, qint64 n);

    // The same bytes in place, for memory; null for a file or when short.
    const std::uint8_t* view(qint64 pos, qint64 n) const;

private:
    const QByteArray* bytes_ = nullptr;
    QFile* file_ = nullptr;
    qint64 size_ = 0;
};

// Reading on from a position in pieces of any size, buffered for a file.
class Reader {
public:
    Reader(ByteSource& source, qint64 start);

    // Up to n bytes into out; fewer only at the end of the source.
    qint64 read(void* out, qint64 n);
    // One byte; false at the end.
    bool next(std::uint8_t* byte)
    {
        if (at_ == end_ && !refill())
            return false;
        *byte = data_[at_++];
        return true;
    }
    bool skip(qint64 n);

private:
    bool refill();

    ByteSource& source_;
    qint64 pos_;  // source position of data_[end_]
    std::vector<std::uint8_t> buffer_;
    const std::uint8_t* data_ = nullptr;
    qint64 at_ = 0;
    qint64 end_ = 0;
};

}  // namespace pictures
