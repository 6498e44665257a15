#include "EnemyModel.h"

#include <QAction>
#include <QKeySequence>

#include "Rules.h"

EnemyModel::EnemyModel(QObject* parent) : QObject(parent)
{
    undoAction_ = new QAction(QStringLiteral("Undo"), this);
    undoAction_->setShortcuts(QKeySequence::Undo);
    redoAction_ = new QAction(QStringLiteral("Redo"), this);
    redoAction_->setShortcuts(QKeySequence::Redo);
    connect(undoAction_, &QAction::triggered, this, &EnemyModel::undo);
    connect(redoAction_, &QAction::triggered, this, &EnemyModel::redo);
    showActions();
}

int EnemyModel::spriteSize(int pose) const
{
    return document_.enemy.sprites.at(static_cast<std::size_t>(pose)).packedSize();
}

QString EnemyModel::name() const
{
    return document_.saved ? QString::fromStdString(document_.enemy.settings.name) : QString();
}

void EnemyModel::apply(std::unique_ptr<palvorn::Change> change)
{
    commitLive();
    const palvorn::Change& applied = *change;
    history_.apply(std::move(change), document_);
    done(applied);
}

bool EnemyModel::undo()
{
    commitLive();
    const palvorn::Change* change = history_.undo(document_);
    if (change)
        done(*change);
    return change;
}

bool EnemyModel::redo()
{
    commitLive();
    const palvorn::Change* change = history_.redo(document_);
    if (change)
        done(*change);
    return change;
}

void EnemyModel::replaceDocument(const std::string& name, palvorn::EnemyDocument document)
{
    commitLive();
    apply(std::make_unique<palvorn::DocumentChange>(name, document_, std::move(document)));
}

void EnemyModel::open(palvorn::Enemy enemy, const std::filesystem::path& file)
{
    palvorn::EnemyDocument opened;
    opened.enemy = std::move(enemy);
    opened.file = file;
    opened.saved = opened.enemy;
    replaceDocument("Open " + QString::fromStdU16String(file.filename().u16string()).toStdString(), std::move(opened));
}

void EnemyModel::changePose(int pose, const QString& name, palvorn::PoseState after)
{
    commitLive();
    if (after == this->pose(pose)) {
        emit poseChanged(pose);
        return;
    }
    apply(std::make_unique<palvorn::SpriteChange>(name.toStdString(), document_, pose, std::move(after)));
}

void EnemyModel::beginLive(int pose, const QString& name, const void* tag)
{
    commitLive();
    live_ = LiveEdit{pose, this->pose(pose), name, tag};
}

void EnemyModel::updateLive(palvorn::PoseState state, const QString& name)
{
    if (!name.isEmpty())
        live_->name = name;
    const auto i = static_cast<std::size_t>(live_->pose);
    document_.enemy.sprites.at(i) = std::move(state.sprite);
    document_.marked.at(i) = std::move(state.marked);
    document_.sources.at(i) = std::move(state.source);
    emit poseChanged(live_->pose);
}

void EnemyModel::editLive(const std::function<void(palvorn::Sprite&)>& edit, const QString& name)
{
    if (!name.isEmpty())
        live_->name = name;
    edit(document_.enemy.sprites.at(static_cast<std::size_t>(live_->pose)));
    emit poseChanged(live_->pose);
}

void EnemyModel::commitLive()
{
    if (!live_)
        return;
    LiveEdit live = std::move(*live_);
    live_.reset();
    palvorn::PoseState after = pose(live.pose);
    if (after == live.before)
        return;  // a click on a pixel already so, a drag back to where it began
    // The document shows the edit's end already: the history only records it.
    history_.record(std::make_unique<palvorn::SpriteChange>(live.name.toStdString(), live.pose,
                                                            std::move(live.before), std::move(after)));
    showActions();
    followClean();
    emit poseChanged(live.pose);
}

void EnemyModel::keepWritten(const palvorn::Enemy& enemy, const std::filesystem::path& file)
{
    commitLive();
    document_.enemy.settings = enemy.settings;
    document_.file = file;
    document_.saved = enemy;
    followClean();
    emit settingsChanged();
}

void EnemyModel::done(const palvorn::Change& change)
{
    showActions();
    followClean();
    if (dynamic_cast<const palvorn::DocumentChange*>(&change))
        emit documentReplaced();
    else
        emit poseChanged(change.pose());
}

void EnemyModel::showActions()
{
    const palvorn::Change* undo = history_.nextUndo();
    const palvorn::Change* redo = history_.nextRedo();
    undoAction_->setEnabled(undo);
    redoAction_->setEnabled(redo);
    undoAction_->setToolTip(undo ? QStringLiteral("Undo: %1").arg(QString::fromStdString(undo->name()))
                                 : QStringLiteral("Nothing to undo"));
    redoAction_->setToolTip(redo ? QStringLiteral("Redo: %1").arg(QString::fromStdString(redo->name()))
                                 : QStringLiteral("Nothing to redo"));
}

void EnemyModel::followClean()
{
    const bool clean = !document_.unsaved();
    if (clean == clean_)
        return;
    clean_ = clean;
    emit cleanChanged(clean);
}
