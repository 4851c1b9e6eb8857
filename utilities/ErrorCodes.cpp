#include "utilities/ErrorCodes.h"

#include <cerrno>

Status ErrnoStatus()
{
    return errno != 0 ? errno : kUnknownErr;
}
