#include "site-downloader/update/NewVersionAvailableDialog.h"

#include "platform/LocalizedString.h"
#include "site-downloader/update/ProductUpdateCheck.h"

#include <QDesktopServices>
#include <QMessageBox>
#include <QPushButton>
#include <QUrl>

namespace {

constexpr int kDownloadReturnCode = 1;
constexpr int kMoreInformationReturnCode = 0;
constexpr int kCancelReturnCode = -1;

struct DialogButtons {
    QPushButton *download = nullptr;
    QPushButton *moreInformation = nullptr;
};

DialogButtons fill(QMessageBox &box, const ProductUpdateCheckResponse &response)
{
    box.setIcon(QMessageBox::Information);
    box.setText(LocalizedString("kNewVersionAvailableKey").replace(QLatin1String("%@"), response.getVersionString().value_or(QString())));
    // The service's own words, shown as they are: never rich text, never a format.
    box.setTextFormat(Qt::PlainText);
    box.setInformativeText(response.getDetailString().value_or(QString()));
    DialogButtons buttons;
    buttons.download = box.addButton(LocalizedString("kDownloadButtonTitle"), QMessageBox::AcceptRole);
    buttons.moreInformation = box.addButton(LocalizedString("kMoreInformationButtonTitle"), QMessageBox::HelpRole);
    box.addButton(LocalizedString("kCancelKey"), QMessageBox::RejectRole);
    box.setDefaultButton(buttons.download);
    return buttons;
}

int returnCodeOf(const QMessageBox &box, const DialogButtons &buttons)
{
    if (box.clickedButton() == buttons.download)
        return kDownloadReturnCode;
    if (box.clickedButton() == buttons.moreInformation)
        return kMoreInformationReturnCode;
    return kCancelReturnCode;
}

} // namespace

bool OpenNewVersionAddress(const ProductUpdateCheckResponse &response, int returnCode)
{
    std::optional<QString> address;
    if (returnCode == kDownloadReturnCode)
        address = response.getDownloadURLString();
    else if (returnCode == kMoreInformationReturnCode)
        address = response.getInfoURLString();
    if (!address || !IsOpenableUpdateURL(address->trimmed()))
        return false;
    return QDesktopServices::openUrl(QUrl(address->trimmed(), QUrl::StrictMode));
}

int ShowNewVersionAvailableDialog(const ProductUpdateCheckResponse *response, QWidget *window,
                                  std::function<void(int returnCode)> didEnd)
{
    if (!response)
        return -2;
    if (window && didEnd) {
        auto *box = new QMessageBox(window);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->setObjectName(QStringLiteral("newVersionAvailableSheet"));
        const DialogButtons buttons = fill(*box, *response);
        QObject::connect(box, &QMessageBox::finished, window,
                         [box, buttons, didEnd = std::move(didEnd)] { didEnd(returnCodeOf(*box, buttons)); });
        box->setWindowModality(Qt::WindowModal);
        box->open();
        return 0;
    }
    QMessageBox box;
    box.setObjectName(QStringLiteral("newVersionAvailableAlert"));
    const DialogButtons buttons = fill(box, *response);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
    const int returnCode = returnCodeOf(box, buttons);
    OpenNewVersionAddress(*response, returnCode);
    return returnCode;
}
