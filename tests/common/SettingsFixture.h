#pragma once
// What the settings tests share: a recorder for warning boxes, and typing
// into controls the way a user does.

#include <QtTest>

#include <QLineEdit>
#include <QWidget>

#include "Platform.h"

struct Warning {
    QString title;
    QString text;
    platform::Buttons buttons;
};

// Installs itself as the warning box and the question box; restores the
// real ones when destroyed. Questions are answered with `answer` (true: the
// first button, e.g. "Replace").
class WarningRecorder {
public:
    WarningRecorder()
    {
        platform::setWarningBox([this](QWidget*, const QString& title, const QString& text, platform::Buttons buttons) {
            warnings.append({title, text, buttons});
        });
        platform::setQuestionBox([this](QWidget*, const platform::Question& question) {
            questions.append(question);
            return answer;
        });
    }
    ~WarningRecorder()
    {
        platform::setWarningBox({});
        platform::setQuestionBox({});
    }
    WarningRecorder(const WarningRecorder&) = delete;
    WarningRecorder& operator=(const WarningRecorder&) = delete;

    QList<Warning> warnings;
    QList<platform::Question> questions;
    bool answer = true;
};

template <typename T>
T* control(const QWidget* window, const char* name)
{
    T* found = window->findChild<T*>(QLatin1String(name));
    if (!found)
        qFatal("no control %s", name);
    return found;
}

// Key events carrying each character, as a keyboard sends them; characters
// without a key of their own arrive as text only.
inline void typeInto(QWidget* field, const QString& text)
{
    for (const QChar c : text) {
        if (c.unicode() >= 0x20 && c.unicode() < 0x7F)
            QTest::keyClick(field, char(c.unicode()));
        else
            QTest::sendKeyEvent(QTest::Click, field, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

// Selects everything in the field, then types text over it.
inline void replaceText(QLineEdit* field, const QString& text)
{
    field->setFocus();
    QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(field, Qt::Key_Delete);
    typeInto(field, text);
}
