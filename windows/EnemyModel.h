#pragma once
// The enemy being made, for the windows: the document and its undo history
// in one object. Every view reads it by const reference and changes it only
// through apply, undo, redo and live edits; its signals say what changed.
// It owns the Undo and Redo actions, which name the step they take.

#include <QObject>
#include <QString>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>

#include "History.h"

class QAction;

class EnemyModel : public QObject {
    Q_OBJECT

public:
    explicit EnemyModel(QObject* parent = nullptr);

    const palvorn::EnemyDocument& document() const { return document_; }
    const palvorn::Enemy& enemy() const { return document_.enemy; }
    const palvorn::History& history() const { return history_; }
    // What the document holds in pose 0..4.
    palvorn::PoseState pose(int pose) const { return palvorn::poseState(document_, pose); }
    // The packed size of pose 0..4's sprite; 0 when it has none.
    int spriteSize(int pose) const;
    // Whether closing now would lose work, now or in a change undo could bring back.
    bool losesWork() const { return document_.unsaved() || history_.holdsUnsaved(); }
    // The enemy's name once it was written or opened; empty before.
    QString name() const;

    // Records and does a change; a live edit going on ends first.
    void apply(std::unique_ptr<palvorn::Change> change);
    // Takes back (does again) one change; false when there is none.
    bool undo();
    bool redo();
    // Another document altogether (New, Open) as one change named name.
    void replaceDocument(const std::string& name, palvorn::EnemyDocument document);
    // The enemy read from file (NAME.asm), as the document, undoably: "Open NAME.asm".
    void open(palvorn::Enemy enemy, const std::filesystem::path& file);
    // A new state of pose 0..4 as one change named name; when nothing would
    // change, none, but the views are told to show the pose as it stays.
    void changePose(int pose, const QString& name, palvorn::PoseState after);

    // A live edit of one pose (a pen stroke, a slider drag): the document
    // shows each state as it comes, and commitLive makes the whole edit one
    // undoable change named as last given, from the state at beginLive.
    // Beginning one, or any other change, ends the one going on. tag says
    // whose edit it is (liveTag), for an editor with more than one kind.
    void beginLive(int pose, const QString& name, const void* tag = nullptr);
    void updateLive(palvorn::PoseState state, const QString& name = {});
    // The same for an edit of the live pose's sprite alone, made in place
    // by `edit` (a pen point): no copy of the pose a point.
    void editLive(const std::function<void(palvorn::Sprite&)>& edit, const QString& name = {});
    void commitLive();
    bool isLive() const { return live_.has_value(); }
    // The live edit's pose and its state when it began (a live edit must be going on).
    int livePose() const { return live_->pose; }
    const palvorn::PoseState& liveBefore() const { return live_->before; }
    const void* liveTag() const { return live_ ? live_->tag : nullptr; }

    // Create wrote enemy to file: its settings are the document's now, and
    // the file its own. Not a step of the history: nothing to undo on disk.
    void keepWritten(const palvorn::Enemy& enemy, const std::filesystem::path& file);

    QAction* undoAction() const { return undoAction_; }
    QAction* redoAction() const { return redoAction_; }

signals:
    // Pose 0..4 changed: a change done or undone (with a sheet, every pose:
    // pose is the one to show), or a live edit's new state (isLive()).
    void poseChanged(int pose);
    // Another document altogether (New, Open, or one of them undone).
    void documentReplaced();
    // The settings Create wrote became the document's.
    void settingsChanged();
    // The document's unsaved state flipped; clean: nothing left to write.
    void cleanChanged(bool clean);

private:
    void done(const palvorn::Change& change);
    void showActions();
    void followClean();

    struct LiveEdit {
        int pose;
        palvorn::PoseState before;
        QString name;
        const void* tag;
    };

    palvorn::EnemyDocument document_;
    palvorn::History history_;
    std::optional<LiveEdit> live_;
    bool clean_ = true;
    QAction* undoAction_ = nullptr;
    QAction* redoAction_ = nullptr;
};
