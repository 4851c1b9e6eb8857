#pragma once

#include "bench/BenchRuns.h"

#include <QJsonObject>
#include <QString>
#include <functional>
#include <memory>

class WgetEnginePreferences;

// One download done twice, alternately: through the engine and its helper into
// OUTPUT_FOLDER/engine, and by plain wget with the very same arguments (only -P differs) into
// OUTPUT_FOLDER/wget. Each folder is emptied before each of its runs, so -N never skips a
// file; the fastest run of each side is reported. The last run of each side stays.
struct PlainWgetComparison {
    QString url;
    QString outputFolder;
    int rounds = 2;
    // Earlier runs' files are normally kept aside until the end; a few large files need not be.
    bool removeEarlierRunsAtOnce = false;
    // Changes the program's default options (already given the address and the folder).
    std::function<void(WgetEnginePreferences &)> adjustPreferences;
    // Runs the program's side; the helper alone unless a benchmark goes through more of it.
    std::function<EngineRun(const std::shared_ptr<WgetEnginePreferences> &)> runEngine = RunEngine;
};

// The figures: ratio (engine wall time over wget's), engine_seconds, wget_seconds, saved_files
// (distinct paths the engine reported saved), wget_saved_files (files plain wget left),
// same_file_sets, result (the engine's final result), and counts of the engine's events.
// `consistent` says whether both sides did the same thing: equal file sets, every reported
// path on disk, and success on both sides or on neither.
QJsonObject ComparePlainWget(const PlainWgetComparison &comparison, bool *consistent);
