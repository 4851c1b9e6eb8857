#pragma once

#include <functional>

class ProductUpdateCheckResponse;
class QWidget;

// Announces a newer version. With a window and `didEnd`, it is a sheet on that window: returns 0
// at once and hands `didEnd` 1 for Download, 0 for More Information, -1 for Cancel; the caller
// opens the addresses. Without them it is an application-modal alert that opens the chosen
// address itself (http and https only) and returns the same codes. No reply: -2.
int ShowNewVersionAvailableDialog(const ProductUpdateCheckResponse *response, QWidget *window,
                                  std::function<void(int returnCode)> didEnd);

// Opens the reply's download (1) or information (0) address in the browser when it is an http
// or https address; false when there was none to open.
bool OpenNewVersionAddress(const ProductUpdateCheckResponse &response, int returnCode);
