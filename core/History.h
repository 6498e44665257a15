#pragma once
// The enemy being made as a document (the enemy, the marks its pictures
// left, its own file and the enemy as last written or opened), and the undo
// history of the changes made to it. Plain C++.

#include <array>
#include <cstddef>
#include <deque>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "Convert.h"
#include "Enemy.h"

namespace palvorn {

// What a pose's sprite was converted from: the picture it was taken from,
// kept, and the conversion last applied to it. No picture for a sprite from
// Open, one drawn from nothing, or a picture too large to keep.
struct PoseSource {
    std::shared_ptr<const GreyPicture> picture;  // shared by the undo steps that hold it
    Conversion conversion;

    friend bool operator==(const PoseSource&, const PoseSource&) = default;
};

struct EnemyDocument {
    Enemy enemy;
    // Per pose, the pixels that looked dark in the picture but are clear;
    // shown, never written. Empty, or the size of the pose's sprite.
    std::array<Sprite, kPoses> marked;
    std::array<PoseSource, kPoses> sources;
    // The NAME.asm the enemy was opened from or last written to; empty for
    // an enemy that has none yet. Writing there replaces nothing of another's.
    std::filesystem::path file;
    // The enemy as last written or opened; none for a new enemy.
    std::optional<Enemy> saved;

    // Whether closing now would lose work: the enemy differs from the one
    // last written or opened, or, for a new enemy, from the empty one.
    bool unsaved() const;

    friend bool operator==(const EnemyDocument&, const EnemyDocument&) = default;
};

// One change to the document, undoable, with a name for the user ("New",
// "pattern.png into high attack") and the pose (0..4) to show when it is
// done or undone.
class Change {
public:
    Change(std::string name, int pose) : name_(std::move(name)), pose_(pose) {}
    virtual ~Change() = default;
    Change(const Change&) = delete;
    Change& operator=(const Change&) = delete;

    const std::string& name() const { return name_; }
    int pose() const { return pose_; }

    virtual void redo(EnemyDocument& document) const = 0;
    virtual void undo(EnemyDocument& document) const = 0;
    // The memory the change holds, roughly, for the history's bound.
    virtual std::size_t bytes() const = 0;
    // Whether a document only this change still holds has unsaved work.
    virtual bool holdsUnsaved() const { return false; }

private:
    std::string name_;
    int pose_;
};

// Everything a document holds about one pose.
struct PoseState {
    Sprite sprite;
    Sprite marked;  // empty, or the sprite's size
    PoseSource source;

    friend bool operator==(const PoseState&, const PoseState&) = default;
};
// What document holds in pose 0..4 (std::out_of_range otherwise).
PoseState poseState(const EnemyDocument& document, int pose);

// A new state of one pose (a picture taken in, a conversion, an edit);
// nothing else changes.
class SpriteChange : public Change {
public:
    // The change from what document holds in pose now to after.
    SpriteChange(std::string name, const EnemyDocument& document, int pose, PoseState after);
    // The same keeping the pose's source: a sprite and its marks only.
    SpriteChange(std::string name, const EnemyDocument& document, int pose, Sprite sprite, Sprite marked);
    // The change from before to after, whatever the document holds now: a
    // live edit that already put after into it.
    SpriteChange(std::string name, int pose, PoseState before, PoseState after);

    void redo(EnemyDocument& document) const override;
    void undo(EnemyDocument& document) const override;
    std::size_t bytes() const override;

private:
    PoseState before_, after_;
};

// New states of all five poses at once (a pose sheet taken in); the
// settings and the file stay.
class PosesChange : public Change {
public:
    // The change from what document holds now to after, by pose; pose is
    // the one to show.
    PosesChange(std::string name, const EnemyDocument& document, std::array<PoseState, kPoses> after, int pose = 0);

    void redo(EnemyDocument& document) const override;
    void undo(EnemyDocument& document) const override;
    std::size_t bytes() const override;

private:
    std::array<PoseState, kPoses> before_, after_;
};

// Another document altogether: New, Open.
class DocumentChange : public Change {
public:
    DocumentChange(std::string name, EnemyDocument before, EnemyDocument after, int pose = 0);

    void redo(EnemyDocument& document) const override;
    void undo(EnemyDocument& document) const override;
    std::size_t bytes() const override;
    bool holdsUnsaved() const override;

private:
    EnemyDocument before_, after_;
};

// The changes done and undone, newest last. Bounded: at most kMaxSteps
// changes and, beyond the newest one, kMaxBytes of memory; the oldest go first.
class History {
public:
    static constexpr std::size_t kMaxSteps = 100;
    static constexpr std::size_t kMaxBytes = std::size_t{64} << 20;

    // Does the change to document and records it, dropping what was undone.
    void apply(std::unique_ptr<Change> change, EnemyDocument& document);
    // Records a change the document already shows (a live edit as it ended),
    // dropping what was undone; the document is not touched.
    void record(std::unique_ptr<Change> change);
    // Undoes the newest done change on document (redoes the oldest undone
    // one) and returns it; nullptr and no change when there is none.
    const Change* undo(EnemyDocument& document);
    const Change* redo(EnemyDocument& document);

    // The change undo (redo) would take back (do again), or nullptr.
    const Change* nextUndo() const;
    const Change* nextRedo() const;

    std::size_t size() const { return changes_.size(); }
    std::size_t bytes() const { return bytes_; }
    // Whether a change, done or undone, holds a document with unsaved work.
    bool holdsUnsaved() const;

private:
    void trim();

    std::deque<std::unique_ptr<Change>> changes_;
    std::size_t done_ = 0;  // changes_[0, done_) are done
    std::size_t bytes_ = 0;
};

// The memory a sprite and a document hold, roughly; a kept picture counts
// wholly in each document that holds it.
std::size_t bytesOf(const Sprite& sprite);
std::size_t bytesOf(const EnemyDocument& document);

}  // namespace palvorn
