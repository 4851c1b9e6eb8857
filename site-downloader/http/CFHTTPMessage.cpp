#include "site-downloader/http/CFHTTPMessage.h"

namespace {

bool sameFieldName(const QByteArray &a, const QByteArray &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// Legal in an address besides letters, digits and -._~ (which percent-encoding never touches).
// '%' and '#' are escaped: left alone they would read as an escape or end the address.
constexpr char kLegalAddressPunctuation[] = "!$&'()*+,/:;=?@";

} // namespace

CFHTTPMessage CFHTTPMessage::request(QByteArray method, QByteArray address)
{
    CFHTTPMessage message;
    message.method = std::move(method);
    message.address = std::move(address);
    return message;
}

std::optional<QByteArray> CFHTTPMessage::headerFieldValue(const QByteArray &name) const
{
    for (const auto &[fieldName, value] : headerFields) {
        if (sameFieldName(fieldName, name))
            return value;
    }
    return std::nullopt;
}

void CFHTTPMessage::setHeaderFieldValue(const QByteArray &name, const QByteArray &value)
{
    for (auto &[fieldName, fieldValue] : headerFields) {
        if (sameFieldName(fieldName, name)) {
            fieldValue = value;
            return;
        }
    }
    headerFields.emplace_back(name, value);
}

Status CFHTTPMessageSetHeaderFields(CFHTTPMessage &message, const CFHTTPHeaderFields &fields)
{
    for (auto field = fields.cbegin(); field != fields.cend(); ++field)
        CFHTTPMessageSetHeaderFieldsApplier(field.key(), field.value(), message);
    return kNoErr;
}

void CFHTTPMessageSetHeaderFieldsApplier(const QByteArray &key, const QByteArray &value, CFHTTPMessage &message)
{
    message.setHeaderFieldValue(key, value);
}

void CFHTTPMessageCopyAllHeaderFieldsStringApplier(const QByteArray &key, const QByteArray &value, QByteArray &text)
{
    text += key;
    text += ": ";
    text += value;
    text += "\r\n";
}

void CFHTTPMessageSetHTTPFormApplier(const QString &key, const QString &value, CFHTTPFormContext &context)
{
    if (context.status != 0)
        return;
    if (!value.isValidUtf16()) {
        context.status = kMalformedErr;
        return;
    }
    const QByteArray escaped = value.toUtf8().toPercentEncoding(kLegalAddressPunctuation);
    if (context.count > 0)
        context.text += QLatin1Char('&');
    context.text += key;
    context.text += QLatin1Char('=');
    context.text += QLatin1String(escaped);
    ++context.count;
}
