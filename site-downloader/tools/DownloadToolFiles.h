#pragma once

#include "site-downloader/http/InternetFileDownload.h"

#include <QString>
#include <memory>

// What the download tools do with one address and its answer, apart from any window.

// How long a tool waits for data before it gives up on an address.
inline constexpr float kDownloadToolTimeoutSeconds = 8.0f;

// The address as the tools fetch it: "http://" put in front unless it already names http or
// https (in any case, as URL schemes are). Nothing else is changed.
QString AddressWithDefaultScheme(const QString &address);

// The name a downloaded body is saved under: the last path component of the address exactly as
// it was typed, so "%2F" stays three characters and never becomes a folder separator. An address
// ending in a slash gives its folder's name, a top-level one its host name; "." and ".." are
// passed over, since they name no file.
QString DownloadedFileName(const QString &address);

// Whether a completion brought a body to save: status 0 with both the body and the address.
bool IsSuccessfulDownload(Status status, const std::shared_ptr<InternetFileDownloadResponse> &response);

// Saves the body of a successful download into `folder` under a free variant of its name,
// created exclusively so that nothing already there, or appearing meanwhile, is overwritten.
// kWriteErr when the file could not be written whole (nothing is left behind then).
Status SaveDownloadedFile(const InternetFileDownloadResponse &response, const QString &folder, QString *outPath);

// The event log text for an address that failed: with the address when the completion carried
// a response, otherwise with the status alone.
QString DownloadFailureLogText(Status status, const std::shared_ptr<InternetFileDownloadResponse> &response);
