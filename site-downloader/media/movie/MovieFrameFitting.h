#pragma once

#include <QRect>
#include <QRectF>
#include <QSize>
#include <QSizeF>
#include <cstdint>
#include <optional>

// The arithmetic that places a movie inside the views that show it. No widgets here, so the
// numbers can be checked directly.

// The controller bar's height as each place counts it. The media view takes off the bar it
// draws; the playlist view takes off a slightly smaller allowance; the player window adds the
// bar, the file name line and the margin below it to the movie's own height.
inline constexpr int kMediaViewControllerHeight = 22;
inline constexpr int kPlaylistControllerHeight = 20;
inline constexpr int kPlayerWindowFileNameHeight = 18;
inline constexpr int kPlayerWindowBottomMargin = 13;
inline constexpr int kPlayerWindowExtraHeight =
    kMediaViewControllerHeight + kPlayerWindowFileNameHeight + kPlayerWindowBottomMargin;

struct MediaViewFitting
{
    QRectF viewFrame;            // the media view's own rectangle
    bool controllerVisible = false;
    bool preserveAspectRatio = true;
    QSizeF naturalSize;          // negative sides count as 0
    int32_t pixelBorderSize = 0;
};

// Insets `rect` by `border` on every side, but only when both its width and its height exceed
// the border; otherwise the rectangle comes back unchanged.
QRectF adjustRectForPixelBorder(int32_t border, const QRectF &rect);

// The movie frame of the media view, or nothing when the result fails the placement check (its
// y above its height or its x above its width), in which case the movie view keeps its frame.
// The aspect fit scales by the view's full frame, then the frame grows by one point each way.
// A movie with no picture (a zero width or height, as audio has) keeps the view's rectangle
// rather than being scaled by a zero.
std::optional<QRectF> fitMediaViewMovieFrame(const MediaViewFitting &fitting);

// The movie frame of a playlist view inside a parent of `superviewSize`: the parent's size, or
// with `resizeForAspectRatio` the parent's width (wide movies) or height (others) with the
// movie's proportions; one point more each way, less the controller allowance, inset by the
// border from the origin (b, b). Sides never go below 0; a movie without a picture takes the
// parent's size.
QRectF fitPlaylistMovieFrame(const QSizeF &superviewSize, const QSizeF &naturalSize, bool resizeForAspectRatio,
                             bool controllerVisible, int32_t pixelBorderSize);

// The player window's size for a movie: its natural width, and its natural height plus the
// controller, the file name and the margin, no larger than `availableGeometry` when that is
// valid (a movie bigger than the screen would otherwise put the window's controls off-screen).
QSize playerWindowSizeForMovie(const QSize &naturalSize, const QRect &availableGeometry);
