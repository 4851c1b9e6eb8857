#pragma once

#include <QString>

// The program-wide settings, by the key each is stored under, with the value that applies while
// the key is absent.
namespace ApplicationDefaults {

inline const QString kOpenNewDocumentOnLaunchKey = QStringLiteral("kOpenNewDocumentOnLaunchKey");
inline const QString kOpenBatchURLDownloaderOnLaunchKey = QStringLiteral("kOpenBatchURLDownloaderOnLaunchKey");
inline const QString kOpenIncrementalDownloaderOnLaunchKey = QStringLiteral("kOpenIncrementalDownloaderOnLaunchKey");
inline const QString kOpenMediaViewerOnLaunchKey = QStringLiteral("kOpenMediaViewerOnLaunchKey");
inline const QString kOpenImageBrowserOnLaunchKey = QStringLiteral("kOpenImageBrowserOnLaunchKey");
inline const QString kOpenEventLogOnErrorsKey = QStringLiteral("kOpenEventLogOnErrorsKey");
inline const QString kDontCheckForUpdatesKey = QStringLiteral("kDontCheckForUpdatesKey");
inline const QString kLastUpdateCheckTimeKey = QStringLiteral("kLastUpdateCheckTimeKey");
inline const QString kMaxDocumentTableURLsKey = QStringLiteral("kMaxDocumentTableURLsKey");

inline constexpr bool kOpenNewDocumentOnLaunchDefault = true;
inline constexpr bool kOpenToolWindowOnLaunchDefault = false;
inline constexpr bool kOpenEventLogOnErrorsDefault = false;
inline constexpr bool kDontCheckForUpdatesDefault = false;
inline constexpr qint64 kMaxDocumentTableURLsDefault = 1000;

} // namespace ApplicationDefaults
