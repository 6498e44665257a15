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
        if (document.sources[i].picture)
            total += document.sources[i].picture->bytes();
        if (document.saved)
            total += bytesOf(document.saved->sprites[i]);
    }
    return total;
}

PoseState poseState(const EnemyDocument& document, int pose)
{
    const auto i = static_cast<std::size_t>(pose);
    return {document.enemy.sprites.at(i), document.marked.at(i), document.sources.at(i)};
}

SpriteChange::SpriteChange(std::string name, const EnemyDocument& document, int pose, PoseState after)
    : Change(std::move(name), pose), before_(poseState(document, pose)), after_(std::move(after))
{
}

SpriteChange::SpriteChange(std::string name, const EnemyDocument& document, int pose, Sprite sprite, Sprite marked)
    : SpriteChange(std::move(name), document, pose,
                   PoseState{std::move(sprite), std::move(marked), document.sources.at(static_cast<std::size_t>(pose))})
{
}

SpriteChange::SpriteChange(std::string name, int pose, PoseState before, PoseState after)
    : Change(std::move(name), pose), before_(std::move(before)), after_(std::move(after))
{
}

namespace {

void put(EnemyDocument& document, int pose, const PoseState& state)
{
    const auto i = static_cast<std::size_t>(pose);
    document.enemy.sprites.at(i) = state.sprite;
    document.marked.at(i) = state.marked;
    document.sources.at(i) = state.source;
}

}  // namespace

void SpriteChange::redo(EnemyDocument& document) const
{
    put(document, pose(), after_);
}

void SpriteChange::undo(EnemyDocument& document) const
{
    put(document, pose(), before_);
}

std::size_t SpriteChange::bytes() const
{
    // A kept picture is shared between the steps that convert or edit it:
    // it counts in the step that took it in (or dropped it) only.
    std::size_t pictures = 0;
    if (before_.source.picture != after_.source.picture)
        for (const auto* state : {&before_, &after_})
            if (state->source.picture)
                pictures += state->source.picture->bytes();
    return sizeof(*this) + bytesOf(before_.sprite) + bytesOf(before_.marked) + bytesOf(after_.sprite) +
           bytesOf(after_.marked) + pictures;
}

PosesChange::PosesChange(std::string name, const EnemyDocument& document, std::array<PoseState, kPoses> after,
                         int pose)
    : Change(std::move(name), pose), after_(std::move(after))
{
    for (int i = 0; i < kPoses; ++i)
        before_[static_cast<std::size_t>(i)] = poseState(document, i);
}

void PosesChange::redo(EnemyDocument& document) const
{
    for (int i = 0; i < kPoses; ++i)
        put(document, i, after_[static_cast<std::size_t>(i)]);
}

void PosesChange::undo(EnemyDocument& document) const
{
    for (int i = 0; i < kPoses; ++i)
        put(document, i, before_[static_cast<std::size_t>(i)]);
}

std::size_t PosesChange::bytes() const
{
    std::size_t total = sizeof(*this);
    for (const auto* states : {&before_, &after_})
        for (const PoseState& state : *states)
            total += bytesOf(state.sprite) + bytesOf(state.marked) +
                     (state.source.picture ? state.source.picture->bytes() : 0);
    return total;
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
    change->redo(document);
    record(std::move(change));
}

void History::record(std::unique_ptr<Change> change)
{
    while (changes_.size() > done_) {
        bytes_ -= changes_.back()->bytes();
        changes_.pop_back();
    }
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
