// Feeds arbitrary bytes to the property-list reader. Besides crashes, hangs and runaway memory
// it checks that every refusal says why and that every accepted value is one of the kinds the
// reader promises, all the way down.
#include "platform/PropertyList.h"

#include <QDateTime>
#include <QVariantList>
#include <QVariantMap>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

bool holdsOnlyPropertyListKinds(const QVariant &value, int depth)
{
    if (depth > PropertyList::kMaximumDepth)
        return false;
    switch (value.typeId()) {
    case QMetaType::QString:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Bool:
    case QMetaType::QByteArray:
        return true;
    case QMetaType::QDateTime:
        return value.toDateTime().isValid();
    case QMetaType::QVariantList:
        for (const QVariant &element : value.toList()) {
            if (!holdsOnlyPropertyListKinds(element, depth + 1))
                return false;
        }
        return true;
    case QMetaType::QVariantMap: {
        const QVariantMap map = value.toMap();
        for (auto element = map.cbegin(); element != map.cend(); ++element) {
            if (!holdsOnlyPropertyListKinds(element.value(), depth + 1))
                return false;
        }
        return true;
    }
    default:
        return false;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *bytes, size_t size)
{
    const QByteArray data(reinterpret_cast<const char *>(bytes), static_cast<qsizetype>(size));
    QString problem;
    const std::optional<QVariant> value = PropertyList::read(data, &problem);
    if (!value) {
        if (problem.isEmpty())
            std::abort();
        return 0;
    }
    if (!holdsOnlyPropertyListKinds(*value, 1))
        std::abort();
    return 0;
}
