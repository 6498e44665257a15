#include "WizardWindow.h"

#include <QClipboard>
#include <QCloseEvent>
#include <QDir>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <cmath>
#include <stdexcept>

#include "SettingsWindow.h"
#include "SpritesWindow.h"
#include "Platform.h"
#include "PictureLoader.h"
#include "Sprite.h"

namespace {

constexpr int kClientWidth = 424;
constexpr int kClientHeight = 202;
constexpr int kSpriteTop = 8;
constexpr int kButtonTop = 164;
constexpr int kButtonHeight = 25;
constexpr int kButtonWidth = 75;

// The calculator screen a battle sprite is placed on.
constexpr int kScreenWidth = 96;
constexpr int kScreenHeight = 64;
constexpr int kRobotToOffset = 16;

QPushButton* makeButton(QWidget* parent, const char* name, const QString& caption, const QRect& place)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    button->setGeometry(place);
    return button;
}

QLabel* makeLabel(QWidget* parent, const char* name, const QString& caption, const QRect& place)
{
    auto* label = new QLabel(caption, parent);
    label->setObjectName(QLatin1String(name));
    label->setGeometry(place);
    return label;
}

// One pixel line of a palette colour; two of them make the etched separator.
QFrame* makeLine(QWidget* parent, const char* name, QPalette::ColorRole colour, int top)
{
    auto* line = new QFrame(parent);
    line->setObjectName(QLatin1String(name));
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Plain);
    line->setLineWidth(1);
    QPalette palette = line->palette();
    palette.setColor(QPalette::WindowText, palette.color(colour));
    line->setPalette(palette);
    line->setGeometry(8, top, kClientWidth - 16, 1);
    return line;
}

}  // namespace

WizardWindow::WizardWindow(QWidget* parent) : QWidget(parent)
{
    // The icon lives in a static library, whose resources are not registered on their own.
    Q_INIT_RESOURCE(windows);

    setWindowTitle(QStringLiteral("Palvorn - Battle External Enemy Creator"));
    setFont(QFont(QStringLiteral("Tahoma"), 8));
    setFixedSize(kClientWidth, kClientHeight);

    // Created in tab order, so the focus chain needs no reordering.
    const int middle = kClientWidth / 2;
    NextBut = makeButton(this, "NextBut", QStringLiteral("Next >"),
                         QRect(middle + 3, kButtonTop, kButtonWidth, kButtonHeight));
    FinishBut = makeButton(this, "FinishBut", QStringLiteral("Finish"), NextBut->geometry());
    instruct = makeLabel(this, "instruct", QStringLiteral("Label1"), QRect(0, 128, kClientWidth, 17));
    instruct->setAlignment(Qt::AlignCenter);
    BackBut = makeButton(this, "BackBut", QStringLiteral("< Back"),
                         QRect(middle - 3 - kButtonWidth, kButtonTop, kButtonWidth, kButtonHeight));
    Browse = makeButton(this, "Browse", QStringLiteral("Browse..."),
                        QRect(kClientWidth - 8 - kButtonWidth, kButtonTop, kButtonWidth, kButtonHeight));
    Sprite = makeLabel(this, "Sprite", QString(), QRect(middle, kSpriteTop, 0, 0));
    Sprite->setFrameShape(QFrame::NoFrame);
    Sprite->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Sprite->setMargin(0);
    SizeLbl = makeLabel(this, "SizeLbl", QStringLiteral("Size:"), QRect(kClientWidth - 88, kSpriteTop, 80, 17));
    SizeLbl->setAlignment(Qt::AlignRight | Qt::AlignTop);
    ClipboardBut = makeButton(this, "ClipboardBut", QString(),
                              QRect(Browse->x() - 6 - kButtonHeight, kButtonTop, kButtonHeight, kButtonHeight));
    ClipboardBut->setIcon(QIcon(QStringLiteral(":/windows/clipboard.png")));
    ClipboardBut->setIconSize(QSize(16, 16));
    ClipboardBut->setToolTip(QStringLiteral("Take the sprite from the clipboard"));
    NewBut = makeButton(this, "NewBut", QStringLiteral("New"), QRect(8, kButtonTop, kButtonWidth, kButtonHeight));
    Line1 = makeLine(this, "Line1", QPalette::Dark, 154);
    Line2 = makeLine(this, "Line2", QPalette::Light, 155);

    // A picture taller or wider than its area must not cover the controls.
    Sprite->lower();

    connect(NextBut, &QPushButton::clicked, this, &WizardWindow::NextBut_Click);
    connect(BackBut, &QPushButton::clicked, this, &WizardWindow::BackBut_Click);
    connect(FinishBut, &QPushButton::clicked, this, &WizardWindow::FinishBut_Click);
    connect(NewBut, &QPushButton::clicked, this, &WizardWindow::NewBut_Click);
    connect(Browse, &QPushButton::clicked, this, &WizardWindow::Browse_Click);
    connect(ClipboardBut, &QPushButton::clicked, this, &WizardWindow::ClipboardBut_Click);

    // The other windows reach back into this one through these.
    SpritesWindow::setSettingsReader([](palvorn::EnemyValues& values) {
        if (SettingsWindow* settings = SettingsWindow::existing())
            settings->fillEnemyValues(values);
    });
    SpritesWindow::setOkFollowUp([this] {
        SettingsWindow::closeIfOpen();
        NewBut_Click();
    });
    SettingsWindow::setSpriteSlots([this](int k) { return SaveSprite.at(k); });

    FinishBut->hide();
    NextBut->setFocus();

    CurStep = 1;
    ShowStep(CurStep);
    for (int k = 1; k <= kSteps; ++k)
        SpriteSize.at(k) = 0;
}

WizardWindow::~WizardWindow()
{
    // The other windows hold callbacks into this one; neither may outlive it.
    SpritesWindow::setSettingsReader({});
    SpritesWindow::setOkFollowUp({});
    SettingsWindow::setSpriteSlots({});
    SettingsWindow::closeIfOpen();
    SpritesWindow::closeIfOpen();
}

QString WizardWindow::poseWord(int step)
{
    switch (step) {
    case 1: return QStringLiteral("normal");
    case 2: return QStringLiteral("high attack");
    case 3: return QStringLiteral("low attack");
    case 4: return QStringLiteral("special attack");
    case 5: return QStringLiteral("hurt");
    }
    throw std::out_of_range("wizard step out of range");
}

void WizardWindow::ShowStep(int stepnum)
{
    // Steps move by one, so each step only changes what its neighbour set.
    switch (stepnum) {
    case 1:
        BackBut->hide();
        break;
    case 2:
        BackBut->show();
        break;
    case 4:
        FinishBut->hide();
        NextBut->show();
        break;
    case 5:
        FinishBut->show();
        NextBut->hide();
        break;
    default:
        break;
    }
    instruct->setText(QStringLiteral("Select the bitmap for the ") + poseWord(stepnum) + QStringLiteral(" sprite."));
    LoadSpriteFrom(CurStep);
    showSizeOf(CurStep);
}

void WizardWindow::SaveSpriteTo(int which)
{
    SaveSprite.at(which) = picture_;
}

void WizardWindow::LoadSpriteFrom(int which)
{
    setSpritePicture(SaveSprite.at(which));
    centreSprite();
}

void WizardWindow::setSpritePicture(const QImage& picture)
{
    picture_ = picture;
    Sprite->setPixmap(picture.isNull() ? QPixmap() : QPixmap::fromImage(picture));
    Sprite->resize(picture.size());
}

void WizardWindow::InitPic()
{
    const int width = picture_.width();
    const int height = picture_.height();

    if (CurStep == 1) {
        SpritesWindow* worker = SpritesWindow::instance();
        worker->lblRobotY = QString::number(kScreenHeight - height);
        worker->lblRobotX = QString::number(kScreenWidth - width);
        worker->lblRobotTo = QString::number(worker->lblRobotX.toInt() - kRobotToOffset);
    }

    centreSprite();

    const int size = palvorn::packedSize(width, height);
    SpriteSize.at(CurStep) = size;
    const bool withinLimit = size <= kSizeLimit;
    NextBut->setEnabled(withinLimit);
    BackBut->setEnabled(withinLimit);
    showSizeOf(CurStep);
}

void WizardWindow::NewBut_Click()
{
    SettingsWindow::closeIfOpen();
    SpritesWindow::closeIfOpen();

    BackBut->hide();
    FinishBut->hide();
    NextBut->show();
    NextBut->setEnabled(true);

    CurStep = 1;
    for (int k = 1; k <= kSteps; ++k) {
        SaveSprite.at(k) = QImage();
        SpriteSize.at(k) = 0;
    }
    setSpritePicture(QImage());
    ShowStep(CurStep);
}

void WizardWindow::NextBut_Click()
{
    if (CurStep >= kSteps)
        return;
    SaveSpriteTo(CurStep);
    ++CurStep;
    ShowStep(CurStep);
}

void WizardWindow::BackBut_Click()
{
    if (CurStep <= 1)
        return;
    SaveSpriteTo(CurStep);
    --CurStep;
    ShowStep(CurStep);
}

void WizardWindow::FinishBut_Click()
{
    SaveSpriteTo(kSteps);
    for (int k = 1; k <= kSteps; ++k) {
        if (SpriteSize.at(k) == 0)
            return;
    }
    // The game has no room for a "hurt" sprite over the limit either.
    if (SpriteSize.at(kSteps) > kSizeLimit)
        return;
    SettingsWindow::showWindow();
}

void WizardWindow::Browse_Click()
{
    const QString file = platform::openFile(this, QStringLiteral("Bitmaps (.bmp) (*.bmp)"));
    if (file.isEmpty())
        return;  // cancelled
    const QImage picture = loadPicture(file);
    if (picture.isNull()) {
        platform::warn(this, windowTitle(),
                       QStringLiteral("The file \"%1\" could not be read as a bitmap.")
                           .arg(QDir::toNativeSeparators(file)));
        return;
    }
    setSpritePicture(picture);
    InitPic();
}

void WizardWindow::ClipboardBut_Click()
{
    const QImage picture = QGuiApplication::clipboard()->image();
    if (picture.isNull())
        return;
    setSpritePicture(picture);
    InitPic();
}

void WizardWindow::closeEvent(QCloseEvent* event)
{
    SettingsWindow::closeIfOpen();
    SpritesWindow::closeIfOpen();
    event->accept();
}

void WizardWindow::centreSprite()
{
    // Half a pixel is dropped: a widget sits on whole pixels.
    const double left = std::floor((width() - Sprite->width()) / 2.0);
    Sprite->move(static_cast<int>(left), Sprite->y());
}

void WizardWindow::showSizeOf(int step)
{
    SizeLbl->setText(QStringLiteral("Size: ") + QString::number(SpriteSize.at(step)));
}
