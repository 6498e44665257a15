#pragma once
// The worker window "Sprites": where everything that goes into one enemy file
// meets. Created hidden by the first value stored in it (sprite measuring, the
// settings fields), shown by Create, closed by its "Ok", by the settings'
// "Cancel", by the wizard's "New" and by the wizard closing. Closing discards
// everything it holds.

#include <QImage>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <array>
#include <filesystem>
#include <functional>
#include <string>

#include "EnemySource.h"

class QGridLayout;
class QLabel;
class QPushButton;

// A text as the file holds it: one byte per character. Text outside ASCII is
// passed on as UTF-8 so that the writer refuses it instead of writing a
// silently changed name.
std::string fileText(const QString& text);

class SpritesWindow : public QWidget {
    Q_OBJECT

public:
    // The open window, created hidden with empty values if there is none.
    static SpritesWindow* instance();
    // The open window, or nullptr.
    static SpritesWindow* existing();
    static void closeIfOpen();

    // Wiring to the windows above this one, installed by the wizard window.
    // readSettings fills name, minimum HP, the seven slider values and the
    // item position; afterOk runs after "Ok" closed this window.
    static void setSettingsReader(std::function<void(palvorn::EnemyValues&)> reader);
    static void setOkFollowUp(std::function<void()> followUp);

    // Hidden values, held as text and written unchanged.
    QString lblIncAmount, lblRobotMoney, lblRobotY, lblRobotX, lblRobotTo;

    // CopySprite(1..5).
    void setCopySprite(int index, const QImage& picture);
    QImage copySprite(int index) const;

    QPushButton* okButton() const { return OkBut; }

    // Gathers the enemy values now and writes NAME.asm into the program folder.
    // Returns the path written; throws palvorn::InvalidName or palvorn::WriteError.
    std::filesystem::path WriteFile();

protected:
    void closeEvent(QCloseEvent* event) override;

private slots:
    void OkBut_Click();

private:
    explicit SpritesWindow(QWidget* parent = nullptr);

    static QPointer<SpritesWindow> current_;
    std::array<QLabel*, 5> CopySprite{};
    std::array<QImage, 5> pictures_;
    QPushButton* OkBut = nullptr;
};
