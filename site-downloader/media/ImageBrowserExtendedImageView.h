#pragma once

#include <QImage>
#include <QLabel>
#include <QPoint>
#include <functional>

// The preview: shows one picture at full resolution and lets it be dragged out as a file. The
// file is written on demand by `dragFileWriter`, which answers its path or an empty string. It
// takes no drops itself: the window it sits in refuses the drags it started.
class ExtendedImageView final : public QLabel
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ExtendedImageView)

public:
    explicit ExtendedImageView(QWidget *parent = nullptr);

    void setImage(const QImage &image);
    const QImage &image() const { return _image; }
    void clearImage();
    void setDragFileWriter(std::function<QString()> writer) { _dragFileWriter = std::move(writer); }

    // The 128 x 128 picture a drag shows: the size label, white on black, under the picture
    // scaled to the square at half opacity.
    static QPixmap dragPicture(const QImage &image);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    QImage _image;
    std::function<QString()> _dragFileWriter;
    QPoint _downPosition;
    bool _mouseDown = false;
    bool _dragging = false;
};
