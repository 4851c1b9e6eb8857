#include "site-downloader/media/movie/QuickTimeMovieViewWindowController.h"

#include "platform/LocalizedString.h"
#include "site-downloader/media/movie/MovieFrameFitting.h"
#include "support/controls/FileDropTarget.h"

#include "ui_QuickTimeMovieViewWindowController.h"

#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>

QuickTimeMovieViewWindowController::QuickTimeMovieViewWindowController(QWidget *parent)
    : QWidget(parent, Qt::Window), _ui(new Ui::QuickTimeMovieViewWindowController)
{
    _ui->setupUi(this);
    setObjectName(windowNibName());
    setWindowTitle(LocalizedString("kQuickTimeMovieViewWindowTitle"));
    _dropTarget = std::make_unique<FileDropTarget>(this, [this](bool) { update(); });
    _dropTarget->setDragTypes({FileDropTarget::fileNamesType()});
    setAcceptDrops(true);
    _ui->_movieView->setDelegate(this);
    _ui->_movieView->setControllerVisible(true);
    // A movie may learn its size only once its first frame arrives.
    connect(_ui->_movieView, &MovieView::naturalSizeChanged, this, [this] {
        if (_ui->_movieView->hasMovie())
            sizeWindowToMovie();
    });
    connect(_ui->_movieView, &MovieView::movieFailed, this, [this] { _ui->_filenameTextField->clear(); });
}

QuickTimeMovieViewWindowController::~QuickTimeMovieViewWindowController()
{
    _ui->_movieView->setDelegate(nullptr);
}

ExtendedNSMovieView *QuickTimeMovieViewWindowController::movieView() const
{
    return _ui->_movieView;
}

QString QuickTimeMovieViewWindowController::fileNameText() const
{
    return _ui->_filenameTextField->text();
}

void QuickTimeMovieViewWindowController::showWindow()
{
    show();
    raise();
    activateWindow();
}

void QuickTimeMovieViewWindowController::playThisFile(const QString &path, bool /*preserveAspectRatio*/,
                                                      bool showController, int32_t loopMode, float volume)
{
    if (path.isEmpty())
        return;
    ExtendedNSMovieView *movie = _ui->_movieView;
    movie->removeMovie();
    _ui->_filenameTextField->clear();
    movie->setControllerVisible(showController);
    if (!movie->openMovie(path))
        return;
    sizeWindowToMovie();
    movie->setVolume(volume);
    movie->setLoopMode(loopMode);
    _ui->_filenameTextField->setText(QFileInfo(path).fileName());
    movie->start();
}

void QuickTimeMovieViewWindowController::sizeWindowToMovie()
{
    const QScreen *screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    const QRect available = screen ? screen->availableGeometry() : QRect();
    resize(playerWindowSizeForMovie(_ui->_movieView->naturalSize(), available));
    update();
}

void QuickTimeMovieViewWindowController::fileDropped(const QString &path)
{
    playThisFile(path, false, true, 0, 0.5f);
}

bool QuickTimeMovieViewWindowController::windowShouldClose(QObject * /*sender*/)
{
    return true;
}

void QuickTimeMovieViewWindowController::closeEvent(QCloseEvent *event)
{
    if (!windowShouldClose(this)) {
        event->ignore();
        return;
    }
    // A hidden window must not go on playing, nor keep a media pipeline open.
    _ui->_movieView->removeMovie();
    _ui->_movieView->releasePlayer();
    _ui->_filenameTextField->clear();
    event->accept();
}

void QuickTimeMovieViewWindowController::dragEnterEvent(QDragEnterEvent *event)
{
    _dropTarget->draggingEntered(event);
}

void QuickTimeMovieViewWindowController::dragMoveEvent(QDragMoveEvent *event)
{
    _dropTarget->draggingUpdated(event);
}

void QuickTimeMovieViewWindowController::dragLeaveEvent(QDragLeaveEvent *event)
{
    _dropTarget->draggingExited(event);
}

void QuickTimeMovieViewWindowController::dropEvent(QDropEvent *event)
{
    const QStringList paths = _dropTarget->takeDrop(event);
    _dropTarget->setHighlighted(false);
    if (paths.size() != 1 || QFileInfo(paths.first()).isDir())
        return;
    fileDropped(paths.first());
}

QuickTimeMovieViewWindowController *CreateQuickTimeMovieViewWindow(QObject * /*sender*/)
{
    auto *controller = new (std::nothrow) QuickTimeMovieViewWindowController;
    if (!controller)
        return nullptr;
    controller->setAttribute(Qt::WA_DeleteOnClose);
    controller->showWindow();
    return controller;
}
