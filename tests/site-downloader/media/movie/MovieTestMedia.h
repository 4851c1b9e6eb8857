#pragma once

#include <QString>

// Media made by the tests with ffmpeg and Qt, once per test program, in a temporary folder that
// lives as long as the program.
struct MovieTestMedia
{
    QString folder;
    QString movie;      // 640x480 VP8 WebM, 2 s, no sound
    QString audio;      // Ogg Vorbis, 2 s, no picture
    QString picture;    // 320x200 PNG
    QString secondPicture; // 200x320 JPEG
    QString randomBytes;   // 64 KiB of noise named .mov
};

// Fails the calling test when ffmpeg cannot make the media.
const MovieTestMedia &GetMovieTestMedia();
