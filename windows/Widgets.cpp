#include "Widgets.h"

#include <QAction>
#include <QDir>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QStringList>

#include "EnemyReader.h"
#include "WarningStyle.h"

namespace widgets {

QString caption()
{
    return QStringLiteral("Palvorn - Battle External Enemy Creator");
}

QPushButton* button(QWidget* parent, const char* name, const QString& caption, int width)
{
    auto* made = new QPushButton(caption, parent);
    made->setObjectName(QLatin1String(name));
    made->setFixedSize(width, kButtonHeight);
    return made;
}

QLabel* label(QWidget* parent, const char* name, const QString& caption)
{
    auto* made = new QLabel(caption, parent);
    made->setObjectName(QLatin1String(name));
    return made;
}

QFrame* line(QWidget* parent, const char* name, QPalette::ColorRole colour)
{
    auto* made = new QFrame(parent);
    made->setObjectName(QLatin1String(name));
    made->setFrameShape(QFrame::HLine);
    made->setFrameShadow(QFrame::Plain);
    made->setLineWidth(1);
    made->setFixedHeight(1);
    QPalette palette = made->palette();
    palette.setColor(QPalette::WindowText, palette.color(colour));
    made->setPalette(palette);
    return made;
}

void setWarning(QWidget* widget, bool warning)
{
    // The palette, not a style sheet: a style sheet taken away again leaves
    // the widget in the application's font instead of its window's.
    QPalette palette;  // nothing resolved: every colour inherited
    if (warning)
        for (const QPalette::ColorRole role : {QPalette::WindowText, QPalette::ButtonText, QPalette::Text})
            palette.setColor(role, QColor(kWarningColour));
    if (showsWarning(widget) != warning)
        widget->setPalette(palette);
}

bool showsWarning(const QWidget* widget)
{
    return widget->palette().color(QPalette::WindowText) == QColor(kWarningColour);
}

void showAction(QPushButton* button, QAction* action)
{
    const auto follow = [button, action] {
        button->setEnabled(action->isEnabled());
        button->setToolTip(action->toolTip());
    };
    QObject::connect(button, &QPushButton::clicked, action, &QAction::trigger);
    QObject::connect(action, &QAction::changed, button, follow);
    follow();
}

QString keyNames(const QAction* action)
{
    QStringList names;
    for (const QKeySequence& keys : action->shortcuts()) {
        // The page keys read in full, as the captions always named them.
        names << keys.toString(QKeySequence::NativeText)
                     .replace(QStringLiteral("PgDown"), QStringLiteral("Page Down"))
                     .replace(QStringLiteral("PgUp"), QStringLiteral("Page Up"));
    }
    return names.join(QStringLiteral(", "));
}

std::optional<palvorn::Enemy> readEnemy(const QString& path, QString& refusal)
{
    const QString file = QDir::toNativeSeparators(path);
    try {
        return palvorn::readEnemyFile(std::filesystem::path(path.toStdU16String()));
    } catch (const palvorn::ReadError& e) {
        refusal = QStringLiteral("The file \"%1\" is not an enemy source file as this tool writes it.\n\n%2")
                      .arg(file, QString::fromStdString(e.what()));
    } catch (const palvorn::EnemyFileError& e) {
        refusal = QStringLiteral("The file \"%1\" could not be read: %2").arg(file, QString::fromStdString(e.reason()));
    }
    return std::nullopt;
}

QString poseName(int pose)
{
    return QString::fromLatin1(palvorn::poseWord(pose).data());
}

}  // namespace widgets
