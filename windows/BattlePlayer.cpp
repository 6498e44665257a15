#include "BattlePlayer.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QTimer>
#include <QVBoxLayout>

#include "Battle.h"
#include "ScreenPreview.h"

BattlePlayer::BattlePlayer(ScreenPreview* screen, QWidget* parent) : QWidget(parent), screen_(screen)
{
    setObjectName(QStringLiteral("BattlePlayer"));
    setUpControls();
    setUpLayout();
    setUpConnections();
}

void BattlePlayer::setUpControls()
{
    PlayBut = new QPushButton(QStringLiteral("Play"), this);
    PlayBut->setObjectName(QStringLiteral("PlayBut"));
    PlayBut->setToolTip(QStringLiteral("Play the battle sketch on the screen"));
    SpeedSlider = new QSlider(Qt::Horizontal, this);
    SpeedSlider->setObjectName(QStringLiteral("SpeedSlider"));
    SpeedSlider->setRange(kMinSpeed, kMaxSpeed);
    SpeedSlider->setValue(kDefaultSpeed);
    SpeedSlider->setToolTip(QStringLiteral("Pace of the battle sketch"));
    BattleNote = new QLabel(QStringLiteral("A sketch from the file's places, not the game itself."), this);
    BattleNote->setObjectName(QStringLiteral("BattleNote"));
    BattleNote->setWordWrap(true);
    // Two lines kept, so the window's smallest size holds the note wrapped.
    BattleNote->setMinimumHeight(BattleNote->fontMetrics().lineSpacing() * 2);
    BattleNote->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    timer_ = new QTimer(this);
    timer_->setInterval(frameMs());
}

void BattlePlayer::setUpLayout()
{
    auto* controls = new QHBoxLayout;
    controls->setContentsMargins(0, 0, 0, 0);
    controls->addWidget(PlayBut);
    controls->addWidget(SpeedSlider, 1);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->addLayout(controls);
    column->addWidget(BattleNote);
}

void BattlePlayer::setUpConnections()
{
    connect(PlayBut, &QPushButton::clicked, this, &BattlePlayer::playOrStop);
    connect(SpeedSlider, &QSlider::valueChanged, this, &BattlePlayer::changeSpeed);
    connect(timer_, &QTimer::timeout, this, &BattlePlayer::showNextFrame);
}

void BattlePlayer::setEnemy(const palvorn::Enemy& enemy)
{
    enemy_ = &enemy;
    if (isPlaying())
        showFrame();
}

bool BattlePlayer::isPlaying() const
{
    return timer_->isActive();
}

int BattlePlayer::frameMs() const
{
    return palvorn::kBattleFrameMs * kDefaultSpeed / SpeedSlider->value();
}

void BattlePlayer::playOrStop()
{
    if (isPlaying()) {
        timer_->stop();
        PlayBut->setText(QStringLiteral("Play"));
        screen_->showScene();
        return;
    }
    frame_ = 0;
    PlayBut->setText(QStringLiteral("Stop"));
    timer_->start(frameMs());
    showFrame();
}

void BattlePlayer::changeSpeed()
{
    timer_->setInterval(frameMs());
}

void BattlePlayer::showNextFrame()
{
    frame_ = (frame_ + 1) % palvorn::battleLoopFrames();
    showFrame();
}

void BattlePlayer::showFrame()
{
    screen_->showFrame(palvorn::battleFrame(enemy_ ? *enemy_ : palvorn::Enemy{}, frame_));
}
