#include "site-downloader/media/movie/ExtendedNSMovieView.h"
#include "site-downloader/media/movie/MovieControllerBar.h"
#include "site-downloader/media/movie/QuickTimeMovieViewWindowController.h"
#include "site-downloader/media/movie/SuperDuperMultimediaView.h"
#include "tests/site-downloader/media/movie/MovieTestMedia.h"

#include <QAudioOutput>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>
#include <QUrl>
#include <gtest/gtest.h>
#include <memory>

namespace {

// GStreamer can take several seconds for its first pipeline on a loaded machine.
constexpr int kMediaWait = 20000;

class RecordingMediaViewDelegate final : public SuperDuperMultimediaViewDelegate
{
public:
    void fileDropped(const QString &path) override { droppedPaths << path; }
    void movieFinishedPlaying(SuperDuperMultimediaView *view) override
    {
        ++finishedCount;
        lastView = view;
    }
    QStringList droppedPaths;
    int finishedCount = 0;
    SuperDuperMultimediaView *lastView = nullptr;
};

// Sends a drag entering `target` and then the drop, as the window system would.
bool dropUrls(QWidget *target, const QList<QUrl> &urls)
{
    QMimeData data;
    data.setUrls(urls);
    const QPoint centre = target->rect().center();
    QDragEnterEvent enter(centre, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &enter);
    if (!enter.isAccepted())
        return false;
    QDropEvent drop(QPointF(centre), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &drop);
    return drop.isAccepted();
}

class MediaViewTest : public testing::Test
{
protected:
    void SetUp() override
    {
        media = &GetMovieTestMedia();
        view = std::make_unique<SuperDuperMultimediaView>();
        view->resize(400, 400);
        view->setDelegate(&delegate);
        view->show();
    }
    void TearDown() override { view->setDelegate(nullptr); }

    const MovieTestMedia *media = nullptr;
    RecordingMediaViewDelegate delegate;
    std::unique_ptr<SuperDuperMultimediaView> view;
};

} // namespace

TEST_F(MediaViewTest, MovieLoadsWithItsSizeAndFitsTheView)
{
    ASSERT_TRUE(view->loadThisFile(media->movie, true, 0));
    EXPECT_EQ(view->getCurrentFilePath(), media->movie);
    EXPECT_FALSE(view->isImageLoaded());
    ASSERT_TRUE(QTest::qWaitFor([&] { return view->naturalSize() == QSize(640, 480); }, kMediaWait));
    // 640x480 in 400x400 becomes 401x301, centred.
    EXPECT_EQ(view->movieSubView()->geometry(), QRect(0, 49, 401, 301));
    ASSERT_TRUE(QTest::qWaitFor([&] { return view->getMovieDuration() > 1900 && view->getMovieDuration() < 2200; }, kMediaWait));
    ASSERT_TRUE(QTest::qWaitFor([&] { return view->isPlaying(); }, kMediaWait));
    // Silent until someone sets a volume.
    ASSERT_NE(view->movieSubView()->mediaPlayer()->audioOutput(), nullptr);
    EXPECT_EQ(view->movieSubView()->mediaPlayer()->audioOutput()->volume(), 0.0f);
    view->setVolume(0.25f);
    EXPECT_FLOAT_EQ(view->movieSubView()->mediaPlayer()->audioOutput()->volume(), 0.25f);

    view->stopPlayback();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !view->isPlaying(); }, kMediaWait));
    view->setSuspendRotation(true);
    view->startPlayback();
    EXPECT_FALSE(view->isPlaying()) << "a suspended view never counts as playing";

    // The view refits when it is resized.
    view->resize(800, 400);
    EXPECT_EQ(view->movieSubView()->size(), QSize(534, 401));
}

TEST_F(MediaViewTest, ControllerOnlyForMovies)
{
    view->setShowController(true);
    EXPECT_FALSE(view->isControllerVisible()) << "no movie view before the first load";
    ASSERT_TRUE(view->loadThisFile(media->picture, true, 0));
    EXPECT_TRUE(view->isImageLoaded());
    EXPECT_FALSE(view->isControllerVisible());
    EXPECT_FALSE(view->movieSubView()->controllerBar()->isVisible());
    EXPECT_EQ(view->naturalSize(), QSize(320, 200));
    EXPECT_EQ(view->getMovieDuration(), 0);
    EXPECT_TRUE(view->isPlaying()) << "a still picture counts as playing";
    EXPECT_EQ(view->movieSubView()->geometry().size(), QSize(401, 251));
    EXPECT_EQ(view->movieSubView()->mediaPlayer(), nullptr) << "a still picture needs no player";

    ASSERT_TRUE(view->loadThisFile(media->movie, false, 0));
    EXPECT_FALSE(view->isImageLoaded());
    EXPECT_TRUE(view->isControllerVisible());
    EXPECT_TRUE(view->movieSubView()->controllerBar()->isVisible());
    view->setShowController(false);
    EXPECT_FALSE(view->isControllerVisible());
}

TEST_F(MediaViewTest, AudioWithoutPictureKeepsAFiniteFrame)
{
    view->setShowController(true);
    ASSERT_TRUE(view->loadThisFile(media->audio, true, 0));
    EXPECT_EQ(view->naturalSize(), QSize(0, 0));
    const QRect frame = view->movieSubView()->geometry();
    EXPECT_EQ(frame.size(), QSize(401, 379));
    ASSERT_TRUE(QTest::qWaitFor([&] { return view->getMovieDuration() > 1900; }, kMediaWait));
}

TEST_F(MediaViewTest, UnreadableFilesLeaveTheViewEmpty)
{
    ASSERT_TRUE(view->loadThisFile(media->movie, true, 0));
    EXPECT_FALSE(view->loadThisFile(media->randomBytes, true, 0));
    EXPECT_TRUE(view->getCurrentFilePath().isEmpty());
    EXPECT_FALSE(view->movieSubView()->hasMovie());
    EXPECT_FALSE(view->isPlaying());
    EXPECT_EQ(view->getMovieDuration(), 0);

    EXPECT_FALSE(view->loadThisFile(QString(), true, 0));
    EXPECT_FALSE(view->loadThisFile(media->folder + "/missing.webm", true, 0));
    EXPECT_FALSE(view->loadThisFile(media->folder, true, 0));
    // The view still works afterwards, for movies as well as pictures.
    EXPECT_TRUE(view->loadThisFile(media->picture, true, 0));
    EXPECT_FALSE(view->loadThisFile(media->randomBytes, true, 0));
    ASSERT_TRUE(view->loadThisFile(media->movie, true, 0));
    ASSERT_TRUE(QTest::qWaitFor([&] { return view->isPlaying(); }, kMediaWait));
}

TEST_F(MediaViewTest, EndOfMovieCheckTellsTheDelegate)
{
    ASSERT_TRUE(view->loadThisFile(media->movie, true, 0));
    view->startMoviePlayCheckInterval();
    EXPECT_TRUE(view->isPlayCheckRunning());
    ASSERT_TRUE(QTest::qWaitFor([&] { return delegate.finishedCount > 0; }, kMediaWait));
    EXPECT_EQ(delegate.lastView, view.get());
    view->stopPlayback();
    EXPECT_FALSE(view->isPlayCheckRunning());
}

TEST_F(MediaViewTest, DropsHandTheFirstFileToTheDelegate)
{
    EXPECT_TRUE(dropUrls(view.get(), {QUrl::fromLocalFile(media->movie), QUrl::fromLocalFile(media->picture)}));
    EXPECT_EQ(delegate.droppedPaths, QStringList{media->movie});
    EXPECT_FALSE(dropUrls(view.get(), {QUrl("http://127.0.0.1/movie.webm")}));
    EXPECT_EQ(delegate.droppedPaths.size(), 1);
    EXPECT_TRUE(view->getCurrentFilePath().isEmpty()) << "the view leaves loading to its delegate";
}

TEST(PlaylistMovieView, SwitchesStillPicturesAfterTheirTime)
{
    const MovieTestMedia &media = GetMovieTestMedia();
    QWidget parent;
    parent.resize(400, 400);
    auto *movie = new ExtendedNSMovieView(&parent);
    parent.show();
    movie->setControllerVisible(false);
    movie->setRandomMovieSelection(false);
    movie->setStillPictureSwitchInterval(0);
    EXPECT_EQ(movie->stillPictureSwitchInterval(), 1) << "a zero time would spin";

    movie->addArrayOfMoviePaths({media.picture});
    movie->start();
    EXPECT_EQ(movie->moviePath(), media.picture);
    EXPECT_FALSE(movie->isSwitchingTimerActive()) << "one entry never switches";

    movie->removeMovie();
    movie->addArrayOfMoviePaths({media.picture, media.secondPicture});
    movie->startOnMovieIndex(0);
    movie->setResizeInSuperviewForMovieAspectRatio(true);
    movie->start();
    EXPECT_EQ(movie->moviePath(), media.picture);
    EXPECT_EQ(movie->geometry().size(), QSize(401, 251));
    EXPECT_TRUE(movie->isSwitchingTimerActive());
    EXPECT_EQ(movie->switchingTimerInterval(), 1000);
    ASSERT_TRUE(QTest::qWaitFor([&] { return movie->moviePath() == media.secondPicture; }, 5000));
    EXPECT_EQ(movie->geometry().size(), QSize(251, 401));
    // Past the end it starts over.
    ASSERT_TRUE(QTest::qWaitFor([&] { return movie->moviePath() == media.picture; }, 5000));

    movie->setSuspendRotation(true);
    movie->checkMovieStatus();
    EXPECT_EQ(movie->moviePath(), media.picture);
}

TEST(PlayerWindow, DroppedMovieSizesTheWindowAndPlaysAtHalfVolume)
{
    const MovieTestMedia &media = GetMovieTestMedia();
    QPointer<QuickTimeMovieViewWindowController> window = CreateQuickTimeMovieViewWindow(nullptr);
    ASSERT_TRUE(window);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->objectName(), QStringLiteral("QuickTimeMovieViewWindowController"));
    QPointer<QuickTimeMovieViewWindowController> second = CreateQuickTimeMovieViewWindow(nullptr);
    EXPECT_NE(second.data(), window.data()) << "a new window on each call";
    second->close();

    // A folder, or several files, change nothing.
    const QSize emptySize = window->size();
    dropUrls(window, {QUrl::fromLocalFile(media.folder)});
    dropUrls(window, {QUrl::fromLocalFile(media.movie), QUrl::fromLocalFile(media.audio)});
    EXPECT_FALSE(window->movieView()->hasMovie());
    EXPECT_EQ(window->size(), emptySize);

    ASSERT_TRUE(dropUrls(window, {QUrl::fromLocalFile(media.movie)}));
    ExtendedNSMovieView *movie = window->movieView();
    ASSERT_TRUE(movie->hasMovie());
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->size() == QSize(640, 480 + 53); }, kMediaWait));
    EXPECT_EQ(movie->height(), 480 + 22);
    EXPECT_TRUE(movie->isControllerVisible());
    EXPECT_FLOAT_EQ(movie->volume(), 0.5f);
    EXPECT_FLOAT_EQ(movie->mediaPlayer()->audioOutput()->volume(), 0.5f);
    EXPECT_EQ(window->fileNameText(), QStringLiteral("movie.webm"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return movie->isPlaying(); }, kMediaWait));
    ASSERT_TRUE(QTest::qWaitFor([&] { return movie->controllerBar()->timeText().endsWith(QStringLiteral("/ 0:02")); }, kMediaWait));

    window->grab().save(QStringLiteral("QuickTimeMovieViewWindow-playing.png"));
    // The space bar pauses and plays again.
    QTest::keyClick(movie, Qt::Key_Space);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !movie->isPlaying(); }, kMediaWait));
    QTest::keyClick(movie, Qt::Key_Space);
    ASSERT_TRUE(QTest::qWaitFor([&] { return movie->isPlaying(); }, kMediaWait));

    // A file that does not open leaves the window empty and keeps its size.
    window->fileDropped(media.randomBytes);
    EXPECT_FALSE(movie->hasMovie());
    EXPECT_TRUE(window->fileNameText().isEmpty());
    EXPECT_EQ(window->size(), QSize(640, 533));

    ASSERT_TRUE(dropUrls(window, {QUrl::fromLocalFile(media.movie)}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return movie->isPlaying(); }, kMediaWait));
    QPointer<QMediaPlayer> player = movie->mediaPlayer();
    QSignalSpy stopped(player.data(), &QMediaPlayer::playbackStateChanged);
    EXPECT_TRUE(window->close());
    EXPECT_FALSE(player) << "closing lets the player go";
    EXPECT_FALSE(stopped.isEmpty());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !window; }, 5000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !second; }, 5000));
}
