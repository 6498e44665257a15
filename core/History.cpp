#include "History.h"

namespace palvorn {

bool EnemyDocument::unsaved() const
{
    return enemy != (saved ? *saved : Enemy{});
}

std::size_t bytesOf(const Sprite& sprite)
{
    return sizeof(Sprite) + static_cast<std::size_t>(sprite.packedSize());
}

std::size_t bytesOf(const EnemyDocument& document)
{
    std::size_t total = sizeof(EnemyDocument) + document.file.native().size();
    for (int pose = 0; pose < kPoses; ++pose) {
        const auto i = static_cast<std::size_t>(pose);
        total += bytesOf(document.enemy.sprites[i]) + bytesOf(document.marked[i]);
        if (document.saved)
            total += bytesOf(document.saved->sprites[i]);
    }
    return total;
}

SpriteChange::SpriteChange(std::string name, const EnemyDocument& document, int pose, Sprite sprite, Sprite marked)
    : Change(std::move(name), pose)
    , before_(document.enemy.sprites.at(static_cast<std::size_t>(pose)))
    , beforeMarked_(document.marked.at(static_cast<std::size_t>(pose)))
    , after_(std::move(sprite))
    , afterMarked_(std::move(marked))
{
}

void SpriteChange::redo(EnemyDocument& document) const
{
    const auto i = static_cast<std::size_t>(pose());
    document.enemy.sprites.at(i) = after_;
    document.marked.at(i) = afterMarked_;
}

void SpriteChange::undo(EnemyDocument& document) const
{
    const auto i = static_cast<std::size_t>(pose());
    document.enemy.sprites.at(i) = before_;
    document.marked.at(i) = beforeMarked_;
}

std::size_t SpriteChange::bytes() const
{
    return sizeof(*this) + bytesOf(before_) + bytesOf(beforeMarked_) + bytesOf(after_) + bytesOf(afterMarked_);
}

DocumentChange::DocumentChange(std::string name, EnemyDocument before, EnemyDocument after, int pose)
    : Change(std::move(name), pose), before_(std::move(before)), after_(std::move(after))
{
}

void DocumentChange::redo(EnemyDocument& document) const
{
    document = after_;
}

void DocumentChange::undo(EnemyDocument& document) const
{
    document = before_;
}

std::size_t DocumentChange::bytes() const
{
    return sizeof(*this) + bytesOf(before_) + bytesOf(after_);
}

bool DocumentChange::holdsUnsaved() const
{
    return before_.unsaved() || after_.unsaved();
}

void History::apply(std::unique_ptr<Change> change, EnemyDocument& document)
{
    while (changes_.size() > done_) {
        bytes_ -= changes_.back()->bytes();
        changes_.pop_back();
    }
    change->redo(document);
    bytes_ += change->bytes();
    changes_.push_back(std::move(change));
    done_ = changes_.size();
    trim();
}

void History::trim()
{
    // The newest change stays whatever it holds: it is the one undo most needs.
    while (changes_.size() > 1 && (changes_.size() > kMaxSteps || bytes_ > kMaxBytes)) {
        bytes_ -= changes_.front()->bytes();
        changes_.pop_front();
        if (done_ > 0)
            --done_;
    }
}

const Change* History::undo(EnemyDocument& document)
{
    if (done_ == 0)
        return nullptr;
    const Change* change = changes_[--done_].get();
    change->undo(document);
    return change;
}

const Change* History::redo(EnemyDocument& document)
{
    if (done_ == changes_.size())
        return nullptr;
    const Change* change = changes_[done_++].get();
    change->redo(document);
    return change;
}

const Change* History::nextUndo() const
{
    return done_ == 0 ? nullptr : changes_[done_ - 1].get();
}

const Change* History::nextRedo() const
{
    return done_ == changes_.size() ? nullptr : changes_[done_].get();
}

bool History::holdsUnsaved() const
{
    for (const auto& change : changes_)
        if (change->holdsUnsaved())
            return true;
    return false;
}

}  // namespace palvorn
