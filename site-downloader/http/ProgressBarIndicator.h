#pragma once

#include "site-downloader/http/InternetFileDownload.h"

#include <QPointer>
#include <QProgressBar>

// Shows a download on a QProgressBar. The bar counts in int, so byte counts beyond its range are
// scaled down together. The bar is not owned and may go away first.
class ProgressBarIndicator final : public InternetFileDownloadProgressIndicator
{
public:
    explicit ProgressBarIndicator(QProgressBar *bar) : _bar(bar) {}

    void startAnimation() override;
    void stopAnimation() override;
    void showProgress(int64_t value, int64_t maximum) override;

private:
    QPointer<QProgressBar> _bar;
};
