#pragma once

#include "site-downloader/media/movie/ExtendedNSMovieView.h"

#include <QString>
#include <QWidget>
#include <cstdint>
#include <memory>

class FileDropTarget;
class QLabel;

namespace Ui {
class QuickTimeMovieViewWindowController;
}

inline constexpr const char *kQuickTimeMovieViewWindowControllerKey = "QuickTimeMovieViewWindowController";

// A small player window: drop one movie file on it and it plays, with its controller, at half
// volume, the window sized to the movie. Closing the window stops the movie and lets its player
// go. Main thread only.
class QuickTimeMovieViewWindowController final : public QWidget, public ExtendedNSMovieViewDelegate
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(QuickTimeMovieViewWindowController)

public:
    explicit QuickTimeMovieViewWindowController(QWidget *parent = nullptr);
    ~QuickTimeMovieViewWindowController() override;

    static QString windowNibName() { return QString::fromLatin1(kQuickTimeMovieViewWindowControllerKey); }

    // Plays `path` in the window, sized to the movie's natural width and its height plus the
    // controller and the file name line (never larger than the screen). A file that does not
    // open leaves the window empty. `preserveAspectRatio` is accepted and has no effect: the
    // window takes the movie's own proportions.
    void playThisFile(const QString &path, bool preserveAspectRatio, bool showController, int32_t loopMode,
                      float volume);
    // With controller, once through, at volume 0.5.
    void fileDropped(const QString &path) override;
    bool windowShouldClose(QObject *sender);

    void showWindow();
    ExtendedNSMovieView *movieView() const;
    QString fileNameText() const;

protected:
    void closeEvent(QCloseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dragLeaveEvent(QDragLeaveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void sizeWindowToMovie();

    std::unique_ptr<Ui::QuickTimeMovieViewWindowController> _ui;
    std::unique_ptr<FileDropTarget> _dropTarget;
};

// Makes a new player window on each call, shows it and answers it; nullptr when it could not be
// made. The window deletes itself when closed, so keep the answer in a QPointer.
QuickTimeMovieViewWindowController *CreateQuickTimeMovieViewWindow(QObject *sender);
