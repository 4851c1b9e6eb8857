#pragma once

#include "utilities/ErrorCodes.h"

#include <curl/curl.h>

// libcurl's result codes as the program's status codes. They are never passed on raw: small
// positive numbers would read as errno values.
Status StatusFromCurlCode(CURLcode code);
