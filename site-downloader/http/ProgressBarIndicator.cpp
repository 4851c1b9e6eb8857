#include "site-downloader/http/ProgressBarIndicator.h"

#include <algorithm>
#include <climits>

void ProgressBarIndicator::startAnimation()
{
    if (_bar)
        _bar->setRange(0, 0);
}

void ProgressBarIndicator::stopAnimation()
{
    // A busy bar keeps moving until it gets a range again.
    if (_bar && _bar->maximum() == 0)
        _bar->setRange(0, 1);
}

void ProgressBarIndicator::showProgress(int64_t value, int64_t maximum)
{
    if (!_bar)
        return;
    if (maximum < 0) {
        _bar->setRange(0, 0);
        return;
    }
    const int64_t divisor = maximum / INT_MAX + 1;
    const int scaledMaximum = static_cast<int>(maximum / divisor);
    _bar->setRange(0, scaledMaximum);
    _bar->setValue(static_cast<int>(std::clamp<int64_t>(value / divisor, 0, scaledMaximum)));
}
