#pragma once

#include "utilities/ErrorCodes.h"

#include <QByteArray>
#include <QMap>
#include <QString>
#include <optional>
#include <utility>
#include <vector>

// One HTTP message: a request (method, address, header fields, body) or a response header
// (status line, status code, header fields). Field names compare without regard to case, as
// HTTP wants; each keeps the spelling it was set with.
struct CFHTTPMessage {
    QByteArray method;      // requests: "GET", "POST" ...
    QByteArray address;     // requests: the address text, exactly as it will be sent
    QByteArray body;        // requests: sent when not empty or when the method is POST
    QByteArray statusLine;  // responses: the first line as the server sent it, without CR LF
    int statusCode = 0;     // responses: the three digits of the status line; 0 when unreadable
    std::vector<std::pair<QByteArray, QByteArray>> headerFields;

    static CFHTTPMessage request(QByteArray method, QByteArray address);

    std::optional<QByteArray> headerFieldValue(const QByteArray &name) const;
    // Replaces an existing field of that name, or adds one.
    void setHeaderFieldValue(const QByteArray &name, const QByteArray &value);
};

using CFHTTPHeaderFields = QMap<QByteArray, QByteArray>;

// Sets every field of `fields` on `message`.
Status CFHTTPMessageSetHeaderFields(CFHTTPMessage &message, const CFHTTPHeaderFields &fields);
void CFHTTPMessageSetHeaderFieldsApplier(const QByteArray &key, const QByteArray &value, CFHTTPMessage &message);

// Appends "key: value\r\n"; applied over a header dictionary it yields the header block as text.
void CFHTTPMessageCopyAllHeaderFieldsStringApplier(const QByteArray &key, const QByteArray &value, QByteArray &text);

// An application/x-www-form-urlencoded body, one field at a time.
struct CFHTTPFormContext {
    QString text;       // receives the encoded fields
    Status status = 0;  // the first failure; once set, further fields are not written
    int32_t count = 0;  // fields written
};

// Appends "key=value" (later fields "&key=value"). The key is written as it is; the value's
// UTF-8 bytes are percent-escaped where they are not legal in an address, so a blank becomes
// %20 while & and = stay as they are. A value that is not valid text (a lone surrogate) sets
// kMalformedErr.
void CFHTTPMessageSetHTTPFormApplier(const QString &key, const QString &value, CFHTTPFormContext &context);
