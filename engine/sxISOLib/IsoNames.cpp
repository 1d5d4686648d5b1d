#include "sxISOLib/IsoNames.h"

#include <QString>

namespace zelvane {

namespace {

QString toQ(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string fromQ(const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

bool isAscii(std::string_view text)
{
    for (unsigned char c : text)
        if (c >= 0x80)
            return false;
    return true;
}

} // namespace

std::string asciiUpper(std::string_view text)
{
    std::string out(text);
    for (char &c : out)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return out;
}

std::string unicodeUpper(std::string_view text)
{
    if (isAscii(text))
        return asciiUpper(text);
    return fromQ(toQ(text).toUpper());
}

std::string foldCase(std::string_view text)
{
    if (isAscii(text)) {
        std::string out(text);
        for (char &c : out)
            if (c >= 'A' && c <= 'Z')
                c = static_cast<char>(c - 'A' + 'a');
        return out;
    }
    return fromQ(toQ(text).toCaseFolded());
}

std::string ruleSName(std::string_view name)
{
    const std::u32string characters = toQ(name).toStdU32String();
    std::string out;
    for (std::size_t i = 0; i < characters.size() && i < 13; ++i) {
        char32_t c = characters[i];
        if (c >= 'a' && c <= 'z')
            c = c - 'a' + 'A';
        out += (c < 33 || c > 122) ? '_' : static_cast<char>(c);
    }
    return out;
}

std::string toUcs2BigEndian(std::string_view text)
{
    if (isAscii(text)) {
        std::string out(text.size() * 2, '\0');
        for (std::size_t i = 0; i < text.size(); ++i)
            out[2 * i + 1] = text[i];
        return out;
    }
    const QString q = toQ(text);
    std::string out;
    out.reserve(static_cast<std::size_t>(q.size()) * 2);
    for (const QChar ch : q) {
        out += static_cast<char>(ch.unicode() >> 8);
        out += static_cast<char>(ch.unicode() & 0xFF);
    }
    return out;
}

std::size_t utf16Length(std::string_view text)
{
    if (isAscii(text))
        return text.size();
    return static_cast<std::size_t>(toQ(text).size());
}

std::size_t characterCount(std::string_view text)
{
    std::size_t count = 0;
    for (unsigned char c : text)
        count += (c & 0xC0) != 0x80;
    return count;
}

std::string shortenName(std::string_view name, std::size_t maxUnits)
{
    QString q = toQ(name);
    if (static_cast<std::size_t>(q.size()) <= maxUnits)
        return std::string(name);
    const qsizetype dot = q.lastIndexOf(u'.');
    QString extension = dot > 0 ? q.mid(dot) : QString();
    if (static_cast<std::size_t>(extension.size()) * 2 > maxUnits)
        extension.clear();
    QString stem = q.left(static_cast<qsizetype>(maxUnits) - extension.size());
    // Never cut between the two halves of a surrogate pair.
    if (!stem.isEmpty() && stem.back().isHighSurrogate())
        stem.chop(1);
    return fromQ(stem + extension);
}

std::string portableName(std::string_view name)
{
    constexpr std::size_t kTwinAndDotRoom = 6;
    if (utf16Length(name) <= kMaxPortableJolietName)
        return std::string(name);
    return shortenName(name, kMaxPortableJolietName - kTwinAndDotRoom);
}

std::string twinName(std::string_view name, bool folder, unsigned number)
{
    const auto dot = folder ? std::string_view::npos : name.rfind('.');
    const bool split = dot != std::string_view::npos && dot != 0;
    const std::string_view stem = split ? name.substr(0, dot) : name;
    const std::string_view extension = split ? name.substr(dot) : std::string_view{};
    return std::string(stem) + " (" + std::to_string(number) + ")" + std::string(extension);
}

std::string twinKey(std::string_view name, bool folder)
{
    if (folder || name.find('.') != std::string_view::npos)
        return foldCase(name);
    return foldCase(std::string(name) + ".");
}

} // namespace zelvane
