#include "site-downloader/media/movie/MovieFrameFitting.h"

#include <cmath>
#include <gtest/gtest.h>

namespace {

MediaViewFitting fitting(QRectF frame, QSizeF natural, bool controller = false, bool aspect = true, int32_t border = 0)
{
    MediaViewFitting result;
    result.viewFrame = frame;
    result.naturalSize = natural;
    result.controllerVisible = controller;
    result.preserveAspectRatio = aspect;
    result.pixelBorderSize = border;
    return result;
}

bool isFinite(const QRectF &rect)
{
    return std::isfinite(rect.x()) && std::isfinite(rect.y()) && std::isfinite(rect.width()) &&
           std::isfinite(rect.height());
}

} // namespace

TEST(MediaViewFitting, FitsByTheNarrowerSideAndAddsOnePoint)
{
    // A landscape movie in a square view is limited by the width.
    EXPECT_EQ(fitMediaViewMovieFrame(fitting({0, 0, 400, 400}, {640, 480})), QRectF(1, 0, 401, 301));
    // A portrait movie in a square view is limited by the height.
    EXPECT_EQ(fitMediaViewMovieFrame(fitting({0, 0, 400, 400}, {300, 600})), QRectF(1, 0, 201, 401));
    // A wide view: the height limits a 4:3 movie.
    const std::optional<QRectF> wide = fitMediaViewMovieFrame(fitting({0, 0, 800, 400}, {640, 480}));
    ASSERT_TRUE(wide);
    EXPECT_DOUBLE_EQ(wide->width(), 640.0 * 400 / 480 + 1);
    EXPECT_DOUBLE_EQ(wide->height(), 401);
    // Without the aspect fit the movie takes the whole frame.
    EXPECT_EQ(fitMediaViewMovieFrame(fitting({0, 0, 400, 300}, {640, 480}, false, false)), QRectF(0, 0, 401, 301));
}

TEST(MediaViewFitting, ControllerMovesTheFrameDownButTheFitUsesTheWholeView)
{
    EXPECT_EQ(fitMediaViewMovieFrame(fitting({0, 0, 400, 400}, {640, 480}, true)), QRectF(1, 22, 401, 301));
    EXPECT_EQ(fitMediaViewMovieFrame(fitting({0, 0, 400, 400}, {640, 480}, true, false)), QRectF(0, 22, 401, 379));
    // A view no taller than the controller keeps its height.
    EXPECT_EQ(fitMediaViewMovieFrame(fitting({0, 0, 100, 22}, {0, 0}, true, false)), QRectF(0, 0, 101, 23));
}

TEST(MediaViewFitting, MovieWithoutPictureNeverDividesByZero)
{
    for (const QSizeF natural : {QSizeF(0, 0), QSizeF(640, 0), QSizeF(0, 480), QSizeF(-5, -5)}) {
        const std::optional<QRectF> frame = fitMediaViewMovieFrame(fitting({0, 0, 400, 300}, natural, true));
        ASSERT_TRUE(frame) << natural.width() << "x" << natural.height();
        EXPECT_TRUE(isFinite(*frame));
        EXPECT_EQ(*frame, QRectF(0, 22, 401, 279));
    }
    // A zero-sized view with a picture: also finite.
    const std::optional<QRectF> empty = fitMediaViewMovieFrame(fitting({0, 0, 0, 0}, {640, 480}));
    ASSERT_TRUE(empty);
    EXPECT_TRUE(isFinite(*empty));
}

TEST(MediaViewFitting, BorderInsetsOnlyFramesLargerThanIt)
{
    EXPECT_EQ(fitMediaViewMovieFrame(fitting({0, 0, 400, 400}, {640, 480}, false, true, 10)), QRectF(11, 10, 381, 281));
    EXPECT_EQ(adjustRectForPixelBorder(10, {0, 0, 10, 50}), QRectF(0, 0, 10, 50));
    EXPECT_EQ(adjustRectForPixelBorder(10, {0, 0, 50, 10}), QRectF(0, 0, 50, 10));
    EXPECT_EQ(adjustRectForPixelBorder(0, {3, 4, 50, 10}), QRectF(3, 4, 50, 10));
}

TEST(MediaViewFitting, PlacementCheckRejectsFramesLowerThanTheirOwnHeight)
{
    // A very wide movie under a controller: 401x5 placed at y 22.
    EXPECT_FALSE(fitMediaViewMovieFrame(fitting({0, 0, 400, 400}, {1000, 10}, true)));
    // The same movie without the controller is placed.
    EXPECT_TRUE(fitMediaViewMovieFrame(fitting({0, 0, 400, 400}, {1000, 10}, false)));
}

TEST(PlaylistFitting, TakesTheParentsWidthOrHeight)
{
    EXPECT_EQ(fitPlaylistMovieFrame({400, 400}, {640, 480}, true, false, 0), QRectF(0, 0, 401, 301));
    EXPECT_EQ(fitPlaylistMovieFrame({400, 400}, {300, 600}, true, false, 0), QRectF(0, 0, 201, 401));
    // A square movie counts as not wider than high.
    EXPECT_EQ(fitPlaylistMovieFrame({400, 200}, {100, 100}, true, false, 0), QRectF(0, 0, 201, 201));
    EXPECT_EQ(fitPlaylistMovieFrame({400, 200}, {640, 480}, false, false, 0), QRectF(0, 0, 401, 201));
}

TEST(PlaylistFitting, ControllerAllowanceAndBorderWithoutSizeCheck)
{
    EXPECT_EQ(fitPlaylistMovieFrame({400, 400}, {640, 480}, true, true, 0), QRectF(0, 0, 401, 281));
    EXPECT_EQ(fitPlaylistMovieFrame({400, 400}, {640, 480}, true, true, 5), QRectF(5, 5, 391, 271));
    // A border wider than the parent leaves an empty frame rather than a negative one.
    EXPECT_EQ(fitPlaylistMovieFrame({10, 10}, {640, 480}, false, false, 20), QRectF(20, 20, 0, 0));
    // Audio: the parent's size, never a division by zero.
    EXPECT_EQ(fitPlaylistMovieFrame({400, 300}, {0, 0}, true, false, 0), QRectF(0, 0, 401, 301));
}

TEST(PlayerWindowSize, AddsControllerAndFileNameAndStaysOnTheScreen)
{
    EXPECT_EQ(playerWindowSizeForMovie({640, 480}, QRect(0, 0, 1280, 800)), QSize(640, 533));
    EXPECT_EQ(playerWindowSizeForMovie({1920, 1080}, QRect(0, 24, 1280, 776)), QSize(1280, 776));
    EXPECT_EQ(playerWindowSizeForMovie({0, 0}, QRect(0, 0, 1280, 800)), QSize(0, 53));
    // Without a screen the movie's own size stands.
    EXPECT_EQ(playerWindowSizeForMovie({1920, 1080}, QRect()), QSize(1920, 1133));
}
