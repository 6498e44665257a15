// The battle sketch beside the screen preview (Play, Stop, its pace, edits
// showing at once) and the sheet question of the picture intake: Yes takes
// the five poses as one undo step, No takes one sprite, and a picture that
// holds no five poses asks nothing.
#include <QtTest>

#include <QBuffer>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QTemporaryDir>

#include "Battle.h"
#include "BattlePlayer.h"
#include "Render.h"
#include "SaveAnimation.h"
#include "ScreenPreview.h"
#include "SettingsFixture.h"
#include "SheetQuestion.h"
#include "SlimePictures.h"
#include "SpriteOf.h"
#include "SpriteRows.h"
#include "WizardHarness.h"

namespace {

QImage shownOn(ScreenPreview* screen)
{
    return screen->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// Five poses side by side on white, separated by white columns, with a
// margin all round.
const QStringList kSheetRows{"...........................",
                             "..X.X...XXX..X.....X..XX...",
                             "..XXX...X.X..XX...XXX..XX..",
                             "..X.X...XXX.......X.X......",
                             "..........................."};

}  // namespace

class TestBattleSheet : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void playShowsTheLoopAndStopTheStill();
    void editWhilePlayingShowsAtOnce();
    void speedSetsThePace();
    void sheetAnsweredYes();
    void sheetAnsweredNo();
    void fiveFrameGifAsks();
    void noQuestionWithoutFivePoses_data();
    void noQuestionWithoutFivePoses();

private:
    void chooseFile(const QString& path);
    void browse(const QString& path);

    std::optional<WarningRecorder> recorder_;
    std::unique_ptr<WizardWindow> wizard_;
    std::optional<QTemporaryDir> dir_;
    QString chosen_;
};

void TestBattleSheet::init()
{
    recorder_.emplace();
    dir_.emplace();
    platform::setOpenFileDialog([this](QWidget*, platform::OpenFileRequest&) { return chosen_; });
    wizard_ = harness::showWizard();
    QVERIFY(wizard_);
}

void TestBattleSheet::cleanup()
{
    wizard_.reset();
    platform::setOpenFileDialog({});
    recorder_.reset();
    dir_.reset();
    QVERIFY(harness::otherWindowsGone());
}

void TestBattleSheet::browse(const QString& path)
{
    chosen_ = path;
    QTest::mouseClick(control<QPushButton>(wizard_.get(), "Browse"), Qt::LeftButton);
}

void TestBattleSheet::playShowsTheLoopAndStopTheStill()
{
    const auto pictures = slimePictures();
    for (int i = 0; i < 5; ++i) {
        wizard_->takeIn(spriteOf(pictures[i]));
        if (i < 4)
            QTest::mouseClick(control<QPushButton>(wizard_.get(), "NextBut"), Qt::LeftButton);
    }
    auto* play = control<QPushButton>(wizard_.get(), "PlayBut");
    auto* screen = control<ScreenPreview>(wizard_.get(), "ScreenPreview");
    auto* player = control<BattlePlayer>(wizard_.get(), "BattlePlayer");
    QCOMPARE(play->text(), QStringLiteral("Play"));
    QCOMPARE(control<QLabel>(wizard_.get(), "BattleNote")->text(),
             QStringLiteral("A sketch from the file's places, not the game itself."));
    // Beside the screen preview: right below it, as wide.
    QVERIFY(player->y() >= screen->geometry().bottom());
    QCOMPARE(player->width(), screen->width());

    QTest::mouseClick(play, Qt::LeftButton);
    QCOMPARE(play->text(), QStringLiteral("Stop"));
    QCOMPARE(shownOn(screen), render::renderFrame(palvorn::battleFrame(wizard_->enemy(), 0), screen->zoom()));
    // It moves on by itself, each frame the loop's.
    QTRY_VERIFY_WITH_TIMEOUT(player->frame() >= 12, 5000);
    const int frame = player->frame();
    QCOMPARE(shownOn(screen), render::renderFrame(palvorn::battleFrame(wizard_->enemy(), frame), screen->zoom()));

    QTest::mouseClick(play, Qt::LeftButton);
    QCOMPARE(play->text(), QStringLiteral("Play"));
    QVERIFY(!player->isPlaying());
    // The step's still preview again: the hurt pose, where the normal one places it.
    QCOMPARE(shownOn(screen), render::renderScreen(wizard_->enemy().sprites[4], wizard_->enemy().sprites[0],
                                                   screen->zoom()));
}

void TestBattleSheet::editWhilePlayingShowsAtOnce()
{
    const auto pictures = slimePictures();
    wizard_->takeIn(spriteOf(pictures[0]));
    auto* screen = control<ScreenPreview>(wizard_.get(), "ScreenPreview");
    auto* player = control<BattlePlayer>(wizard_.get(), "BattlePlayer");
    QTest::mouseClick(control<QPushButton>(wizard_.get(), "PlayBut"), Qt::LeftButton);

    // A larger normal pose taken in: the frame on screen is drawn from it at
    // once (no event is handled in between, so no frame passes).
    const palvorn::Sprite larger = sprite(12, {"XXXXXXXXXXXX", "X..........X", "XXXXXXXXXXXX"});
    wizard_->takeIn(larger);
    QVERIFY(player->isPlaying());
    QCOMPARE(shownOn(screen), render::renderFrame(palvorn::battleFrame(wizard_->enemy(), player->frame()),
                                                  screen->zoom()));
    QCOMPARE(wizard_->enemy().sprites[0], larger);
    // Undo too.
    QTest::mouseClick(control<QPushButton>(wizard_.get(), "UndoBut"), Qt::LeftButton);
    QCOMPARE(shownOn(screen), render::renderFrame(palvorn::battleFrame(wizard_->enemy(), player->frame()),
                                                  screen->zoom()));
    QCOMPARE(wizard_->enemy().sprites[0], spriteOf(pictures[0]));
}

void TestBattleSheet::speedSetsThePace()
{
    auto* slider = control<QSlider>(wizard_.get(), "SpeedSlider");
    auto* player = control<BattlePlayer>(wizard_.get(), "BattlePlayer");
    QCOMPARE(slider->value(), BattlePlayer::kDefaultSpeed);
    QCOMPARE(player->frameMs(), palvorn::kBattleFrameMs);
    slider->setValue(BattlePlayer::kMaxSpeed);
    QCOMPARE(player->frameMs(), palvorn::kBattleFrameMs / 2);
    slider->setValue(BattlePlayer::kMinSpeed);
    QCOMPARE(player->frameMs(), palvorn::kBattleFrameMs * 4);
}

void TestBattleSheet::sheetAnsweredYes()
{
    const QString path = dir_->filePath(QStringLiteral("poses.png"));
    QVERIFY(pictureFromRows(kSheetRows).save(path));
    QTest::mouseClick(control<QPushButton>(wizard_.get(), "NextBut"), Qt::LeftButton);  // asked at any step
    wizard_->takeIn(sprite(2, {"XX"}));
    const palvorn::EnemyDocument before = wizard_->document();
    recorder_->answer = true;
    browse(path);

    QCOMPARE(recorder_->questions.size(), 1);
    QCOMPARE(recorder_->questions[0].text, QString::fromLatin1(kSheetQuestion));
    QCOMPARE(recorder_->questions[0].accept, QStringLiteral("Yes"));
    QCOMPARE(recorder_->questions[0].reject, QStringLiteral("No"));
    const std::array<palvorn::Sprite, 5> expected{sprite(3, {"X.X", "XXX", "X.X"}), sprite(3, {"XXX", "X.X", "XXX"}),
                                                  sprite(2, {"X.", "XX"}), sprite(3, {".X.", "XXX", "X.X"}),
                                                  sprite(3, {"XX.", ".XX"})};
    QCOMPARE(wizard_->enemy().sprites, expected);
    QCOMPARE(wizard_->curStep(), 2);
    QCOMPARE(QString::fromStdString(wizard_->history().nextUndo()->name()), QStringLiteral("poses.png into the five poses"));

    // One undo step takes all five back.
    QTest::mouseClick(control<QPushButton>(wizard_.get(), "UndoBut"), Qt::LeftButton);
    QCOMPARE(wizard_->document(), before);
}

void TestBattleSheet::sheetAnsweredNo()
{
    const QString path = dir_->filePath(QStringLiteral("poses.png"));
    QVERIFY(pictureFromRows(kSheetRows).save(path));
    recorder_->answer = false;
    browse(path);
    QCOMPARE(recorder_->questions.size(), 1);
    QCOMPARE(wizard_->enemy().sprites[0], spriteOf(pictureFromRows(kSheetRows)));
    for (int i = 1; i < 5; ++i)
        QVERIFY(wizard_->enemy().sprites[i].isEmpty());
}

void TestBattleSheet::fiveFrameGifAsks()
{
    std::vector<palvorn::Sprite> frames;
    for (int i = 0; i < 5; ++i) {
        palvorn::Sprite frame(6, 4);
        for (int k = 0; k <= i; ++k)
            frame.setPixel(k, k % 4, true);
        frames.push_back(frame);
    }
    const QString path = dir_->filePath(QStringLiteral("frames.gif"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(animatedGif(frames, 1, 20, qRgb(255, 255, 255), qRgb(0, 0, 0)));
    file.close();
    recorder_->answer = true;
    browse(path);
    QCOMPARE(recorder_->questions.size(), 1);
    for (int i = 0; i < 5; ++i)
        QCOMPARE(wizard_->enemy().sprites[i], frames[i]);
}

void TestBattleSheet::noQuestionWithoutFivePoses_data()
{
    QTest::addColumn<QStringList>("rows");
    QTest::newRow("four parts") << QStringList{"X.X.X.X"};
    QTest::newRow("six parts") << QStringList{"X.X.X.X.X.X"};
    QTest::newRow("five shapes, two touching") << QStringList{"X.XX.X.X", "X.X..X.X"};
}

void TestBattleSheet::noQuestionWithoutFivePoses()
{
    QFETCH(QStringList, rows);
    const QString path = dir_->filePath(QStringLiteral("row.png"));
    QVERIFY(pictureFromRows(rows).save(path));
    browse(path);
    QCOMPARE(recorder_->questions.size(), 0);
    QCOMPARE(wizard_->enemy().sprites[0], spriteOf(pictureFromRows(rows)));
}

QTEST_MAIN(TestBattleSheet)
#include "tst_battlesheet.moc"
