#include "SpritesWindow.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <stdexcept>

#include "Platform.h"
#include "SpriteImage.h"

namespace {

constexpr int kCopyCell = 73;  // room for a copy before any picture is in it

std::function<void(palvorn::EnemyValues&)>& settingsReader()
{
    static std::function<void(palvorn::EnemyValues&)> reader;
    return reader;
}

std::function<void()>& okFollowUp()
{
    static std::function<void()> followUp;
    return followUp;
}

}  // namespace

std::string fileText(const QString& text)
{
    for (const QChar c : text)
        if (c.unicode() >= 0x80)
            return text.toStdString();
    return text.toLatin1().toStdString();
}

QPointer<SpritesWindow> SpritesWindow::current_;

SpritesWindow* SpritesWindow::instance()
{
    if (!current_)
        current_ = new SpritesWindow;
    return current_;
}

SpritesWindow* SpritesWindow::existing()
{
    return current_;
}

void SpritesWindow::closeIfOpen()
{
    if (current_)
        current_->close();
}

void SpritesWindow::setSettingsReader(std::function<void(palvorn::EnemyValues&)> reader)
{
    settingsReader() = std::move(reader);
}

void SpritesWindow::setOkFollowUp(std::function<void()> followUp)
{
    okFollowUp() = std::move(followUp);
}

SpritesWindow::SpritesWindow(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Sprites"));
    setFont(QFont(QStringLiteral("Tahoma"), 8));

    auto* grid = new QGridLayout(this);
    for (int i = 0; i < 5; ++i) {
        CopySprite[i] = new QLabel(this);
        CopySprite[i]->setObjectName(QStringLiteral("CopySprite%1").arg(i + 1));
        CopySprite[i]->setFixedSize(0, 0);
    }
    for (int column = 0; column < 4; ++column) {
        grid->addWidget(CopySprite[column], 0, column, Qt::AlignLeft | Qt::AlignTop);
        grid->setColumnMinimumWidth(column, kCopyCell);
    }
    grid->setRowMinimumHeight(0, kCopyCell);
    grid->setRowMinimumHeight(1, kCopyCell);
    grid->addWidget(CopySprite[4], 1, 0, Qt::AlignLeft | Qt::AlignTop);

    OkBut = new QPushButton(QStringLiteral("Ok"), this);
    OkBut->setObjectName(QStringLiteral("OkBut"));
    grid->addWidget(OkBut, 1, 1, Qt::AlignLeft | Qt::AlignVCenter);
    connect(OkBut, &QPushButton::clicked, this, &SpritesWindow::OkBut_Click);

    resize(369, 207);
}

void SpritesWindow::setCopySprite(int index, const QImage& picture)
{
    if (index < 1 || index > 5)
        throw std::out_of_range("sprite copy " + std::to_string(index) + " is outside 1..5");
    pictures_[index - 1] = picture;
    QLabel* copy = CopySprite[index - 1];
    copy->setPixmap(picture.isNull() ? QPixmap() : QPixmap::fromImage(picture));
    copy->setFixedSize(picture.size());
}

QImage SpritesWindow::copySprite(int index) const
{
    if (index < 1 || index > 5)
        throw std::out_of_range("sprite copy " + std::to_string(index) + " is outside 1..5");
    return pictures_[index - 1];
}

std::filesystem::path SpritesWindow::WriteFile()
{
    palvorn::EnemyValues values;
    if (settingsReader())
        settingsReader()(values);
    values.increment = fileText(lblIncAmount);
    values.money = fileText(lblRobotMoney);
    values.robotY = fileText(lblRobotY);
    values.robotX = fileText(lblRobotX);
    values.robotTo = fileText(lblRobotTo);
    for (int i = 0; i < 5; ++i)
        values.sprites[i] = spriteFromImage(pictures_[i]);
    const std::filesystem::path folder(platform::programFolder().toStdU16String());
    return palvorn::WriteEnemySource(folder, values);
}

void SpritesWindow::closeEvent(QCloseEvent* event)
{
    // The deletion itself comes later; from now on the next store must find a
    // fresh window with empty values.
    if (current_ == this)
        current_ = nullptr;
    QWidget::closeEvent(event);
}

void SpritesWindow::OkBut_Click()
{
    // Copied first: the follow-up may replace the wiring while it runs.
    const std::function<void()> followUp = okFollowUp();
    close();
    if (followUp)
        followUp();
}
