#include "site-downloader/media/sortbins/FileSortBin.h"

#include "platform/RevealInFileManager.h"
#include "platform/SafeFileMove.h"
#include "platform/UniqueFileName.h"
#include "site-downloader/eventlog/EventLog.h"
#include "support/defaults/UserDefaults.h"
#include "utilities/ErrorString.h"

#include <QApplication>
#include <QDir>
#include <QDropEvent>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QScopeGuard>
#include <QVBoxLayout>

namespace {

constexpr int kIconSize = 48;
constexpr int kHighlightWidth = 2;

QPixmap cautionImage()
{
    return QPixmap(QStringLiteral(":/sortbins/CautionDim.png"))
        .scaled(kIconSize, kIconSize, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}

QString failureMessage(const QString &path, Status status)
{
    return QStringLiteral("Failed to move: %1 (%2)").arg(path, QString::fromUtf8(GetErrorString(status, nullptr, 0)));
}

} // namespace

FileSortBin::FileSortBin(const QString &title, QWidget *parent)
    : QGroupBox(title, parent), mDropTarget(this, [this](bool) { update(); })
{
    mDropTarget.setAcceptsSeveralItems(true);

    _imageView = new QLabel(this);
    _imageView->setObjectName(QStringLiteral("imageView"));
    _imageView->setAlignment(Qt::AlignCenter);
    _imageView->setMinimumSize(kIconSize, kIconSize);
    _imageView->installEventFilter(this);
    _textField = new QLabel(this);
    _textField->setObjectName(QStringLiteral("textField"));
    _textField->setAlignment(Qt::AlignCenter);
    _textField->setTextInteractionFlags(Qt::NoTextInteraction);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(2);
    layout->addWidget(_imageView, 1);
    layout->addWidget(_textField);

    if (!title.isEmpty()) {
        if (const std::optional<QString> stored = UserDefaults::stringForKey(title); stored && !stored->isEmpty())
            _fullDropPath = *stored;
    }
    showDropPath();
}

FileSortBin::~FileSortBin()
{
    storeDropPath();
    _delegate = nullptr;
}

void FileSortBin::setNewDropPath(const QString &path)
{
    _fullDropPath = path.isEmpty() ? QString() : path;
    showDropPath();
    storeDropPath();
    // A crash later must not forget the folder the user just chose.
    UserDefaults::synchronize();
}

void FileSortBin::showDropPath()
{
    const QFileInfo folder(_fullDropPath);
    if (!_fullDropPath.isNull() && folder.isDir()) {
        static QFileIconProvider iconProvider;
        _imageView->setPixmap(iconProvider.icon(folder).pixmap(kIconSize, kIconSize));
    } else {
        _imageView->setPixmap(cautionImage());
    }
    const QString name = _fullDropPath.isNull() ? QString() : QDir(_fullDropPath).dirName();
    _textField->setText(name.isEmpty() ? _fullDropPath : name);
    _textField->setToolTip(_fullDropPath);
    _imageView->setToolTip(_fullDropPath);
}

void FileSortBin::storeDropPath() const
{
    if (title().isEmpty())
        return;
    if (_fullDropPath.isNull())
        UserDefaults::removeObjectForKey(title());
    else
        UserDefaults::setObject(_fullDropPath, title());
}

bool FileSortBin::isPackage(const QString &folderPath)
{
    static const QStringList packageSuffixes{QStringLiteral("app"), QStringLiteral("bundle"),
                                             QStringLiteral("framework"), QStringLiteral("plugin"),
                                             QStringLiteral("rtfd")};
    const QFileInfo folder(folderPath);
    return folder.isDir() && packageSuffixes.contains(folder.suffix(), Qt::CaseInsensitive);
}

void FileSortBin::processFilePathsDrop(const QStringList &filePaths)
{
    if (filePaths.isEmpty())
        return;
    const QFileInfo first(filePaths.first());
    if (!first.exists() && !first.isSymLink())
        return;
    // A link to a folder stands for the folder, as an alias would.
    if (first.isDir() && !isPackage(first.filePath())) {
        setNewDropPath(first.filePath());
        return;
    }
    const QPointer<FileSortBin> alive(this);
    movePathsToDropPath(filePaths);
    if (alive && _delegate)
        _delegate->filesDropped(this, filePaths);
}

int FileSortBin::movePathsToDropPath(const QStringList &filePaths)
{
    if (_fullDropPath.isNull())
        return 0;
    // The delegate may retarget or even delete the bin from inside its message.
    const QPointer<FileSortBin> alive(this);
    const QString destination = _fullDropPath;
    const bool copy = _copy;
    // Copies and moves to another disk can take a while for large movies.
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const auto restoreCursor = qScopeGuard([] { QApplication::restoreOverrideCursor(); });
    int handled = 0;
    for (const QString &path : filePaths) {
        QString newPath;
        const Status status = copy ? SafeCopyItemIntoFolder(path, destination, &newPath)
                                   : SafeMoveItemIntoFolder(path, destination, &newPath);
        if (status != kNoErr) {
            QString logged = path;
            if (!copy) {
                const std::optional<QString> freeName =
                    GetUniqueFileNameInDirectory(QFileInfo(path).fileName(), destination);
                logged = QDir(destination).filePath(freeName.value_or(QFileInfo(path).fileName()));
            }
            AddErrorLogEntry(nullptr, failureMessage(logged, status));
            continue;
        }
        ++handled;
        if (!alive)
            continue;
        if (_delegate)
            _delegate->fileLocationChanged(this, path, copy ? path : newPath);
    }
    return handled;
}

void FileSortBin::filesDropped(QWidget * /*sender*/, const QStringList &filePaths)
{
    processFilePathsDrop(filePaths);
}

void FileSortBin::imageDoubleClicked()
{
    if (!_fullDropPath.isNull())
        RevealPathItemInFinder(_fullDropPath);
}

void FileSortBin::dragEnterEvent(QDragEnterEvent *event)
{
    mDropTarget.draggingEntered(event);
}

void FileSortBin::dragMoveEvent(QDragMoveEvent *event)
{
    mDropTarget.draggingUpdated(event);
}

void FileSortBin::dragLeaveEvent(QDragLeaveEvent *event)
{
    mDropTarget.draggingExited(event);
}

void FileSortBin::dropEvent(QDropEvent *event)
{
    const QStringList filePaths = mDropTarget.takeDrop(event);
    if (filePaths.isEmpty())
        return;
    const QPointer<FileSortBin> alive(this);
    processFilePathsDrop(filePaths);
    if (alive)
        mDropTarget.setHighlighted(false);
}

void FileSortBin::paintEvent(QPaintEvent *event)
{
    QGroupBox::paintEvent(event);
    if (!isHighlighted())
        return;
    QPainter painter(this);
    QPen pen(palette().color(QPalette::Highlight));
    pen.setWidth(kHighlightWidth);
    painter.setPen(pen);
    painter.drawRect(rect().adjusted(1, 1, -2, -2));
}

bool FileSortBin::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == _imageView && event->type() == QEvent::MouseButtonDblClick &&
        static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        imageDoubleClicked();
        return true;
    }
    return QGroupBox::eventFilter(watched, event);
}
