#include "platform/PropertyList.h"

#include <QDateTime>
#include <QFile>
#include <QRegularExpression>
#include <QVariantList>
#include <QVariantMap>
#include <QXmlStreamReader>
#include <cmath>
#include <limits>

namespace {

const QString kPlistElement = QStringLiteral("plist");
const QString kKeyElement = QStringLiteral("key");

class Reader final
{
public:
    explicit Reader(const QByteArray &data) : _data(data), _xml(data) {}

    std::optional<QVariant> readDocument();
    const QString &problem() const { return _problem; }

private:
    // Records the first problem only: later ones are consequences of it.
    std::nullopt_t fail(const QString &text);
    // The next start tag, end tag or end of the document. Whitespace, comments and processing
    // instructions are passed over; anything else is a problem (the token is then Invalid).
    QXmlStreamReader::TokenType nextStructuralToken();
    // The text content of the current element, which must not hold elements of its own.
    std::optional<QString> readElementText();
    std::optional<QVariant> readValue(int depth);
    std::optional<QVariant> readDictionary(int depth);
    std::optional<QVariant> readArray(int depth);
    std::optional<QVariant> readInteger();
    std::optional<QVariant> readReal();
    std::optional<QVariant> readDate();
    std::optional<QVariant> readData();
    std::optional<QVariant> readBoolean(bool value);

    const QByteArray &_data;
    QXmlStreamReader _xml;
    QString _problem;
};

std::nullopt_t Reader::fail(const QString &text)
{
    if (_problem.isEmpty())
        _problem = QStringLiteral("line %1, column %2: %3").arg(_xml.lineNumber()).arg(_xml.columnNumber()).arg(text);
    return std::nullopt;
}

QXmlStreamReader::TokenType Reader::nextStructuralToken()
{
    for (;;) {
        switch (_xml.readNext()) {
        case QXmlStreamReader::StartDocument:
        case QXmlStreamReader::Comment:
        case QXmlStreamReader::ProcessingInstruction:
            continue;
        case QXmlStreamReader::DTD:
            // Declared entities could expand into anything, values included; a property list
            // never needs them.
            if (!_xml.entityDeclarations().isEmpty() || !_xml.notationDeclarations().isEmpty()) {
                fail(QStringLiteral("the document type declares entities or notations"));
                return QXmlStreamReader::Invalid;
            }
            if (_xml.dtdName() != kPlistElement) {
                fail(QStringLiteral("the document type is \"%1\", not \"plist\"").arg(_xml.dtdName()));
                return QXmlStreamReader::Invalid;
            }
            continue;
        case QXmlStreamReader::Characters:
            if (_xml.isWhitespace())
                continue;
            fail(QStringLiteral("text \"%1\" stands outside any value").arg(_xml.text().left(40)));
            return QXmlStreamReader::Invalid;
        case QXmlStreamReader::EntityReference:
            fail(QStringLiteral("the entity \"&%1;\" is not declared").arg(_xml.name()));
            return QXmlStreamReader::Invalid;
        case QXmlStreamReader::Invalid:
            fail(_xml.errorString());
            return QXmlStreamReader::Invalid;
        case QXmlStreamReader::NoToken:
            fail(QStringLiteral("the document ends early"));
            return QXmlStreamReader::Invalid;
        case QXmlStreamReader::StartElement:
        case QXmlStreamReader::EndElement:
        case QXmlStreamReader::EndDocument:
            return _xml.tokenType();
        }
    }
}

std::optional<QString> Reader::readElementText()
{
    const QString element = _xml.name().toString();
    QString text;
    for (;;) {
        switch (_xml.readNext()) {
        case QXmlStreamReader::Characters:
            text += _xml.text();
            continue;
        case QXmlStreamReader::Comment:
        case QXmlStreamReader::ProcessingInstruction:
            continue;
        case QXmlStreamReader::EndElement:
            return text;
        case QXmlStreamReader::StartElement:
            return fail(QStringLiteral("<%1> holds an element <%2>, not only text").arg(element, _xml.name()));
        case QXmlStreamReader::EntityReference:
            return fail(QStringLiteral("the entity \"&%1;\" is not declared").arg(_xml.name()));
        case QXmlStreamReader::Invalid:
            return fail(_xml.errorString());
        default:
            return fail(QStringLiteral("<%1> is not closed").arg(element));
        }
    }
}

std::optional<QVariant> Reader::readDocument()
{
    if (_data.trimmed().isEmpty())
        return fail(QStringLiteral("the document is empty"));
    if (_data.startsWith("bplist"))
        return fail(QStringLiteral("binary property lists are not read, only XML ones"));

    if (nextStructuralToken() != QXmlStreamReader::StartElement)
        return fail(QStringLiteral("there is no <plist> element"));
    if (_xml.name() != kPlistElement)
        return fail(QStringLiteral("the outermost element is <%1>, not <plist>").arg(_xml.name()));
    const QXmlStreamAttributes attributes = _xml.attributes();
    if (attributes.hasAttribute(QStringLiteral("version"))
        && attributes.value(QStringLiteral("version")) != QLatin1String("1.0"))
        return fail(QStringLiteral("version %1 is not read, only 1.0").arg(attributes.value(QStringLiteral("version"))));

    const QXmlStreamReader::TokenType first = nextStructuralToken();
    if (first == QXmlStreamReader::EndElement)
        return fail(QStringLiteral("<plist> holds no value"));
    if (first != QXmlStreamReader::StartElement)
        return std::nullopt;
    std::optional<QVariant> value = readValue(1);
    if (!value)
        return std::nullopt;

    const QXmlStreamReader::TokenType afterValue = nextStructuralToken();
    if (afterValue == QXmlStreamReader::StartElement)
        return fail(QStringLiteral("<plist> holds more than one value"));
    if (afterValue != QXmlStreamReader::EndElement)
        return std::nullopt;
    if (nextStructuralToken() != QXmlStreamReader::EndDocument)
        return fail(QStringLiteral("something follows </plist>"));
    return value;
}

std::optional<QVariant> Reader::readValue(int depth)
{
    if (depth > PropertyList::kMaximumDepth)
        return fail(QStringLiteral("values are nested more than %1 deep").arg(PropertyList::kMaximumDepth));
    const QStringView element = _xml.name();
    if (element == QLatin1String("dict"))
        return readDictionary(depth);
    if (element == QLatin1String("array"))
        return readArray(depth);
    if (element == QLatin1String("string")) {
        std::optional<QString> text = readElementText();
        if (!text)
            return std::nullopt;
        return QVariant(*text);
    }
    if (element == QLatin1String("integer"))
        return readInteger();
    if (element == QLatin1String("real"))
        return readReal();
    if (element == QLatin1String("true"))
        return readBoolean(true);
    if (element == QLatin1String("false"))
        return readBoolean(false);
    if (element == QLatin1String("date"))
        return readDate();
    if (element == QLatin1String("data"))
        return readData();
    if (element == kKeyElement)
        return fail(QStringLiteral("<key> stands outside a <dict>"));
    return fail(QStringLiteral("<%1> is not a property-list value").arg(element));
}

std::optional<QVariant> Reader::readDictionary(int depth)
{
    QVariantMap dictionary;
    for (;;) {
        const QXmlStreamReader::TokenType token = nextStructuralToken();
        if (token == QXmlStreamReader::EndElement)
            return QVariant(dictionary);
        if (token != QXmlStreamReader::StartElement)
            return std::nullopt;
        if (_xml.name() != kKeyElement)
            return fail(QStringLiteral("<%1> stands in a <dict> where a <key> belongs").arg(_xml.name()));
        std::optional<QString> key = readElementText();
        if (!key)
            return std::nullopt;
        const QXmlStreamReader::TokenType valueToken = nextStructuralToken();
        if (valueToken == QXmlStreamReader::EndElement)
            return fail(QStringLiteral("the key \"%1\" has no value").arg(*key));
        if (valueToken != QXmlStreamReader::StartElement)
            return std::nullopt;
        if (_xml.name() == kKeyElement)
            return fail(QStringLiteral("the key \"%1\" has no value").arg(*key));
        if (dictionary.contains(*key))
            return fail(QStringLiteral("the key \"%1\" appears twice in one <dict>").arg(*key));
        std::optional<QVariant> value = readValue(depth + 1);
        if (!value)
            return std::nullopt;
        dictionary.insert(*key, std::move(*value));
    }
}

std::optional<QVariant> Reader::readArray(int depth)
{
    QVariantList array;
    for (;;) {
        const QXmlStreamReader::TokenType token = nextStructuralToken();
        if (token == QXmlStreamReader::EndElement)
            return QVariant(array);
        if (token != QXmlStreamReader::StartElement)
            return std::nullopt;
        std::optional<QVariant> value = readValue(depth + 1);
        if (!value)
            return std::nullopt;
        array.append(std::move(*value));
    }
}

bool isAsciiDigits(QStringView text, int base)
{
    if (text.isEmpty())
        return false;
    for (const QChar character : text) {
        const char16_t code = character.unicode();
        const bool decimal = code >= u'0' && code <= u'9';
        const bool hex = (code >= u'a' && code <= u'f') || (code >= u'A' && code <= u'F');
        if (!decimal && !(base == 16 && hex))
            return false;
    }
    return true;
}

std::optional<QVariant> Reader::readInteger()
{
    std::optional<QString> text = readElementText();
    if (!text)
        return std::nullopt;
    const QString trimmed = text->trimmed();
    QStringView digits(trimmed);
    bool negative = false;
    if (digits.startsWith(u'-') || digits.startsWith(u'+')) {
        negative = digits.front() == u'-';
        digits = digits.mid(1);
    }
    int base = 10;
    if (digits.startsWith(QLatin1String("0x")) || digits.startsWith(QLatin1String("0X"))) {
        base = 16;
        digits = digits.mid(2);
    }
    if (!isAsciiDigits(digits, base))
        return fail(QStringLiteral("<integer> holds \"%1\", not a whole number").arg(trimmed));

    bool ok = false;
    const qulonglong magnitude = digits.toULongLong(&ok, base);
    if (!ok)
        return fail(QStringLiteral("the integer %1 is out of range").arg(trimmed));
    constexpr qulonglong kLargestSigned = std::numeric_limits<qlonglong>::max();
    if (!negative) {
        if (magnitude > kLargestSigned)
            return QVariant(magnitude);
        return QVariant(static_cast<qlonglong>(magnitude));
    }
    if (magnitude > kLargestSigned + 1)
        return fail(QStringLiteral("the integer %1 is out of range").arg(trimmed));
    // Negating in unsigned arithmetic reaches the smallest signed value without overflow.
    return QVariant(static_cast<qlonglong>(0 - magnitude));
}

std::optional<QVariant> Reader::readReal()
{
    std::optional<QString> text = readElementText();
    if (!text)
        return std::nullopt;
    const QString trimmed = text->trimmed();
    const QString lower = trimmed.toLower();
    if (lower == QLatin1String("nan"))
        return QVariant(std::numeric_limits<double>::quiet_NaN());
    for (const char *infinity : {"inf", "+inf", "infinity", "+infinity"}) {
        if (lower == QLatin1String(infinity))
            return QVariant(std::numeric_limits<double>::infinity());
    }
    if (lower == QLatin1String("-inf") || lower == QLatin1String("-infinity"))
        return QVariant(-std::numeric_limits<double>::infinity());

    static const QRegularExpression number(QStringLiteral(R"(^[+-]?(\d+\.?\d*|\.\d+)([eE][+-]?\d+)?$)"));
    if (!number.match(trimmed).hasMatch())
        return fail(QStringLiteral("<real> holds \"%1\", not a number").arg(trimmed));
    bool ok = false;
    const double value = trimmed.toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return fail(QStringLiteral("the real number %1 is out of range").arg(trimmed));
    return QVariant(value);
}

std::optional<QVariant> Reader::readBoolean(bool value)
{
    const QString element = _xml.name().toString();
    std::optional<QString> text = readElementText();
    if (!text)
        return std::nullopt;
    if (!text->trimmed().isEmpty())
        return fail(QStringLiteral("<%1/> must be empty").arg(element));
    return QVariant(value);
}

std::optional<QVariant> Reader::readDate()
{
    std::optional<QString> text = readElementText();
    if (!text)
        return std::nullopt;
    const QString trimmed = text->trimmed();
    static const QRegularExpression pattern(QStringLiteral(R"(^(\d{4})-(\d{2})-(\d{2})T(\d{2}):(\d{2}):(\d{2})Z$)"));
    const QRegularExpressionMatch match = pattern.match(trimmed);
    if (match.hasMatch()) {
        const auto field = [&match](int index) { return match.capturedView(index).toInt(); };
        const QDate date(field(1), field(2), field(3));
        const QTime time(field(4), field(5), field(6));
        if (date.isValid() && time.isValid())
            return QVariant(QDateTime(date, time, Qt::UTC));
    }
    return fail(QStringLiteral("<date> holds \"%1\", not a date of the form 2001-12-31T23:59:59Z").arg(trimmed));
}

std::optional<QVariant> Reader::readData()
{
    std::optional<QString> text = readElementText();
    if (!text)
        return std::nullopt;
    QByteArray encoded;
    encoded.reserve(text->size());
    for (const QChar character : *text) {
        if (character.isSpace())
            continue;
        if (character.unicode() > 0x7F)
            return fail(QStringLiteral("<data> holds a character that is not base64"));
        encoded.append(static_cast<char>(character.unicode()));
    }
    QByteArray::FromBase64Result decoded =
        QByteArray::fromBase64Encoding(encoded, QByteArray::Base64Encoding | QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded)
        return fail(QStringLiteral("<data> does not hold valid base64"));
    return QVariant(std::move(decoded.decoded));
}

} // namespace

namespace PropertyList {

std::optional<QVariant> read(const QByteArray &data, QString *problem)
{
    Reader reader(data);
    std::optional<QVariant> value = reader.readDocument();
    if (!value && problem)
        *problem = reader.problem();
    return value;
}

std::optional<QVariant> readFile(const QString &path, QString *problem)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (problem)
            *problem = QStringLiteral("%1 cannot be read: %2").arg(path, file.errorString());
        return std::nullopt;
    }
    const QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        if (problem)
            *problem = QStringLiteral("%1 cannot be read: %2").arg(path, file.errorString());
        return std::nullopt;
    }
    QString readProblem;
    std::optional<QVariant> value = read(data, &readProblem);
    if (!value && problem)
        *problem = QStringLiteral("%1, %2").arg(path, readProblem);
    return value;
}

} // namespace PropertyList
