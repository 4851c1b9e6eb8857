#include "platform/RtfWriter.h"

#include <string>

namespace {

// Helvetica at 12 points, as the save of a plain text view has always looked; readers without
// it substitute their own sans-serif face.
constexpr char kDocumentStart[] = "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1"
                                  "{\\fonttbl{\\f0\\fswiss\\fcharset0 Helvetica;}}\n"
                                  "\\f0\\fs24 ";
constexpr char kDocumentEnd[] = "}\n";

bool isLineBreak(char16_t unit)
{
    return unit == u'\n' || unit == u'\r' || unit == u'\u2028' || unit == u'\u2029';
}

// RTF numbers are signed 16-bit, so units above 32767 are written as their negative twin. The
// "?" for readers without Unicode is written as the hex escape \'3f: some readers (unrtf) take a
// bare character after the number for the start of a word and drop the rest of that word.
void appendUnicodeEscape(std::string &rtf, char16_t unit)
{
    rtf += "\\u";
    rtf += std::to_string(static_cast<int16_t>(unit));
    rtf += "\\'3f";
}

} // namespace

QByteArray RtfFromPlainText(const QString &text)
{
    // A std::string, because appending one character to it costs next to nothing; logs run to
    // megabytes. Most log text is ASCII; a little headroom saves the regrowth for escapes.
    std::string rtf;
    rtf.reserve(sizeof kDocumentStart + text.size() + text.size() / 8 + sizeof kDocumentEnd);
    rtf += kDocumentStart;

    const qsizetype length = text.size();
    for (qsizetype index = 0; index < length; ++index) {
        const char16_t unit = text.at(index).unicode();
        if (isLineBreak(unit)) {
            if (unit == u'\r' && index + 1 < length && text.at(index + 1) == u'\n')
                ++index;
            // The line feed ends the control word and is itself ignored by readers.
            rtf += "\\par\n";
        } else if (unit == u'\\' || unit == u'{' || unit == u'}') {
            rtf += '\\';
            rtf += static_cast<char>(unit);
        } else if (unit == u'\t') {
            rtf += "\\tab ";
        } else if (unit < 0x20 || unit == 0x7f) {
            // Other control characters have no meaning in RTF text and confuse some readers.
        } else if (unit < 0x80) {
            rtf += static_cast<char>(unit);
        } else if (QChar::isHighSurrogate(unit) && index + 1 < length && text.at(index + 1).isLowSurrogate()) {
            appendUnicodeEscape(rtf, unit);
            appendUnicodeEscape(rtf, text.at(++index).unicode());
        } else if (QChar::isSurrogate(unit)) {
            // Half a pair is no character; a reader would decode it into garbage or refuse.
            appendUnicodeEscape(rtf, QChar::ReplacementCharacter);
        } else {
            appendUnicodeEscape(rtf, unit);
        }
    }

    rtf += kDocumentEnd;
    return QByteArray(rtf.data(), qsizetype(rtf.size()));
}
