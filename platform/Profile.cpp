// Profile: SimpleIni reads what a Windows profile reader would see (the lines it never looks at
// are blanked for it); saving edits the file's own lines, so that everything a save does not
// change stays exactly as it was, line ends and encoding included.
#include "platform/Profile.h"

#include "platform/Cp1252.h"

#include <QFile>
#include <QSaveFile>
// We decode and encode the file ourselves (UTF-8, Windows-1252 or UTF-16), so SimpleIni sees UTF-8 only.
#define SI_NO_CONVERSION
#define SI_IMPLEMENTATION
#include <SimpleIni.h>
#include <array>
#include <cstdint>
#include <filesystem>
#include <list>
#include <system_error>
#include <vector>

namespace {
// How SimpleIni sees a line, so that editing the lines and reading through SimpleIni agree.
struct LineKind {
    enum { Other, Section, Key } kind = Other;
    QString name;  // section or key name, trimmed
};

bool isIniSpace(QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('\t'); }

// Blanks as SimpleIni trims them (not Qt's wider notion of white space).
QString iniTrimmed(QStringView text)
{
    qsizetype b = 0, e = text.size();
    while (b < e && isIniSpace(text[b]))
        ++b;
    while (e > b && isIniSpace(text[e - 1]))
        --e;
    return text.mid(b, e - b).toString();
}

LineKind classify(const QString& line)
{
    qsizetype i = 0;
    while (i < line.size() && isIniSpace(line[i]))
        ++i;
    if (i == line.size() || line[i] == QLatin1Char(';') || line[i] == QLatin1Char('#'))
        return {};
    if (line[i] == QLatin1Char('[')) {
        const qsizetype close = line.indexOf(QLatin1Char(']'), i + 1);
        if (close < 0)
            return {};
        return {LineKind::Section, iniTrimmed(QStringView(line).mid(i + 1, close - i - 1))};
    }
    const qsizetype eq = line.indexOf(QLatin1Char('='), i);
    if (eq < 0)
        return {};
    const QString key = iniTrimmed(QStringView(line).mid(i, eq - i));
    if (key.isEmpty())
        return {};
    return {LineKind::Key, key};
}

// SimpleIni folds only A..Z; a wider folding would match names that it keeps apart.
bool sameName(const QString& a, const QString& b)
{
    if (a.size() != b.size())
        return false;
    const auto fold = [](char16_t c) { return (c >= 'A' && c <= 'Z') ? static_cast<char16_t>(c - 'A' + 'a') : c; };
    for (qsizetype i = 0; i < a.size(); ++i)
        if (fold(a[i].unicode()) != fold(b[i].unicode()))
            return false;
    return true;
}

bool isQuote(QChar c) { return c == QLatin1Char('"') || c == QLatin1Char('\''); }

// The profile functions drop one pair of matching quotes around a (trimmed) value.
QString unquoted(const QString& trimmed)
{
    if (trimmed.size() >= 2 && isQuote(trimmed.front()) && trimmed.back() == trimmed.front())
        return trimmed.mid(1, trimmed.size() - 2);
    return trimmed;
}

// How a value goes into the file so that a reader gets it back: as it is, unless it would lose a
// pair of quotes on the way in, which a further pair protects.
QString onDisk(const QString& value)
{
    if (unquoted(value) != value)
        return QLatin1Char('"') + value + QLatin1Char('"');
    return value;
}

// The value a reader takes from a key line.
QString lineValue(const QString& line)
{
    return unquoted(iniTrimmed(QStringView(line).mid(line.indexOf(QLatin1Char('=')) + 1)).trimmed());
}

// One line of the file with its own line end ("\r\n", "\n", "\r", or empty for a last line without).
struct Line {
    QString text;
    QString end;
};
using Lines = std::vector<Line>;

Lines splitLines(const QString& text, QString& dominantEnd)
{
    Lines lines;
    // Ends in the order CR LF, LF, CR; the most frequent one is what new lines get, the first
    // seen of equally frequent ones wins.
    std::array<int, 3> counts{};
    std::array<qsizetype, 3> firstSeen{-1, -1, -1};
    const std::array<QString, 3> ends = {QStringLiteral("\r\n"), QStringLiteral("\n"), QStringLiteral("\r")};
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        int kind = -1;
        if (text[i] == QLatin1Char('\r'))
            kind = (i + 1 < text.size() && text[i + 1] == QLatin1Char('\n')) ? 0 : 2;
        else if (text[i] == QLatin1Char('\n'))
            kind = 1;
        if (kind < 0)
            continue;
        lines.push_back({text.mid(start, i - start), ends[static_cast<std::size_t>(kind)]});
        ++counts[static_cast<std::size_t>(kind)];
        if (firstSeen[static_cast<std::size_t>(kind)] < 0)
            firstSeen[static_cast<std::size_t>(kind)] = i;
        if (kind == 0)
            ++i;
        start = i + 1;
    }
    if (start < text.size())
        lines.push_back({text.mid(start), QString()});
    int best = -1;
    for (int k = 0; k < 3; ++k) {
        const auto u = static_cast<std::size_t>(k);
        if (counts[u] == 0)
            continue;
        const auto b = static_cast<std::size_t>(best);
        if (best < 0 || counts[u] > counts[b] || (counts[u] == counts[b] && firstSeen[u] < firstSeen[b]))
            best = k;
    }
    if (best >= 0)
        dominantEnd = ends[static_cast<std::size_t>(best)];
    return lines;
}

// Sets key in every place a reader could find it (duplicate keys and sections included), so that
// whichever occurrence a reader takes, it sees the new value; an occurrence that already reads as
// the value keeps its line. The first section of that name must hold the key, since it is the one
// readers take: a key missing there goes after its last entry; a missing section is appended.
void applyToLines(Lines& lines, const QString& section, const QString& key, const QString& value, const QString& newEnd)
{
    const auto entry = [&] { return Line{key + QLatin1Char('=') + onDisk(value), newEnd}; };
    QString current;  // entries before the first section header belong to the unnamed section
    bool inFirst = section.isEmpty();
    bool seenFirst = section.isEmpty();
    bool inFirstHasKey = false;
    qsizetype firstEnd = -1;  // last non-blank line of the first section (its header when empty)
    for (qsizetype i = 0; i < static_cast<qsizetype>(lines.size()); ++i) {
        Line& line = lines[static_cast<std::size_t>(i)];
        const LineKind k = classify(line.text);
        if (k.kind == LineKind::Section) {
            current = k.name;
            inFirst = !seenFirst && sameName(current, section);
            if (inFirst) {
                seenFirst = true;
                firstEnd = i;
            }
            continue;
        }
        if (inFirst && !line.text.trimmed().isEmpty())
            firstEnd = i;
        if (k.kind == LineKind::Key && sameName(current, section) && sameName(k.name, key)) {
            if (inFirst)
                inFirstHasKey = true;
            if (lineValue(line.text) != value)
                line.text = k.name + QLatin1Char('=') + onDisk(value);
        }
    }
    if (inFirstHasKey)
        return;
    if (seenFirst) {
        const auto at = static_cast<std::size_t>(firstEnd + 1);
        if (at > 0 && lines[at - 1].end.isEmpty())
            lines[at - 1].end = newEnd;  // the last line of the file had no line end
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), entry());
        return;
    }
    if (!lines.empty()) {
        if (lines.back().end.isEmpty())
            lines.back().end = newEnd;
        if (!lines.back().text.trimmed().isEmpty())
            lines.push_back({QString(), newEnd});
    }
    lines.push_back({QLatin1Char('[') + section + QLatin1Char(']'), newEnd});
    lines.push_back(entry());
}

// The lines a Windows profile reader looks at, the others blanked: entries before the first
// section (they belong to none), every repeated section with all its lines, every repeated key
// of a section, and "[" lines without "]" (SimpleIni would open a section there; the profile
// functions stay in the section they are in).
std::string readerView(const Lines& lines)
{
    QStringList view;
    view.reserve(static_cast<qsizetype>(lines.size()));
    QStringList seenSections;
    QStringList seenKeys;
    bool inSection = false;
    bool skipping = true;
    const auto seen = [](const QStringList& names, const QString& name) {
        for (const QString& n : names)
            if (sameName(n, name))
                return true;
        return false;
    };
    for (const Line& line : lines) {
        const LineKind k = classify(line.text);
        if (k.kind == LineKind::Section) {
            inSection = true;
            skipping = seen(seenSections, k.name);
            if (!skipping) {
                seenSections << k.name;
                seenKeys.clear();
            }
            view << (skipping ? QString() : line.text);
            continue;
        }
        if (!inSection || skipping) {
            view << QString();
            continue;
        }
        if (k.kind == LineKind::Key) {
            if (seen(seenKeys, k.name)) {
                view << QString();
                continue;
            }
            seenKeys << k.name;
        }
        const QString start = iniTrimmed(line.text);
        view << ((start.startsWith(QLatin1Char('[')) && !start.contains(QLatin1Char(']'))) ? QString() : line.text);
    }
    return view.join(QLatin1Char('\n')).toStdString();
}

// Code units as they stand, unpaired surrogates included, so a save gives back the same bytes.
QString fromUtf16(const QByteArray& raw, bool bigEndian)
{
    QString text;
    text.reserve(raw.size() / 2);
    for (qsizetype i = 2; i + 1 < raw.size(); i += 2) {
        const auto a = static_cast<unsigned char>(raw[i]);
        const auto b = static_cast<unsigned char>(raw[i + 1]);
        text += QChar(static_cast<char16_t>(bigEndian ? (a << 8 | b) : (b << 8 | a)));
    }
    return text;
}

std::string toUtf16(const QString& text, bool bigEndian)
{
    std::string out;
    out.reserve(static_cast<std::size_t>(text.size()) * 2 + 2);
    const auto put = [&](char16_t u) {
        const char hi = static_cast<char>(u >> 8);
        const char lo = static_cast<char>(u & 0xFF);
        out += bigEndian ? hi : lo;
        out += bigEndian ? lo : hi;
    };
    put(0xFEFF);
    for (QChar c : text)
        put(c.unicode());
    return out;
}

// The single place the file reaches the disk: whole, or not at all.
bool writeWholeFile(const QString& path, const std::string& bytes)
{
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    if (f.write(bytes.data(), static_cast<qint64>(bytes.size())) != static_cast<qint64>(bytes.size())) {
        f.cancelWriting();
        return false;
    }
    return f.commit();
}
}  // namespace

struct Profile::Impl {
    CSimpleIniA ini{true /*UTF-8*/, false /*multi-key*/, false /*multi-line*/};
    // The file as it was read (or last saved), line by line: a save edits these lines instead of
    // regenerating the file, so comments, blank lines and everything else stay as they were.
    Lines lines;
    QString newline = QStringLiteral("\n");
    Encoding encoding = Encoding::Ansi;
    struct Change {
        QString section, key, value;
    };
    std::vector<Change> pending;

    Lines withChanges() const
    {
        Lines out = lines;
        for (const Change& c : pending)
            applyToLines(out, c.section, c.key, c.value, newline);
        return out;
    }

    std::string encode(const Lines& ls) const
    {
        QString text;
        for (const Line& l : ls)
            text += l.text + l.end;
        if (encoding != Encoding::Ansi)
            return toUtf16(text, encoding == Encoding::Utf16BE);
        // Windows-1252 as the earlier program wrote, unless those bytes would be read back as
        // other text: a save must not change what the next reader sees beyond the keys it set.
        // That happens when the bytes pass as UTF-8 (or begin like its signature), or when a
        // character has no Windows-1252 form; UTF-8 then keeps the text exactly.
        // Bytes that begin like a UTF-16 mark would be read back as UTF-16 altogether; a UTF-8
        // signature then keeps the text.
        const auto readsBackAs = [](const std::string& bytes) {
            if (bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF"))
                return QString();
            return decodeTextFile(bytes);
        };
        for (std::string bytes : {toCp1252(text), text.toStdString()}) {
            if (readsBackAs(bytes) == text)
                return bytes;
        }
        return "\xEF\xBB\xBF" + text.toStdString();
    }
};

Profile::Profile(QString path) : path_(std::move(path)), impl_(std::make_unique<Impl>())
{
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path native(QFile::encodeName(path_).toStdString());
    const fs::file_status status = fs::status(native, ec);
    if (ec || !fs::exists(status))
        return;
    existed_ = true;
    // Checked before opening: a FIFO would block the open, and a huge file is never read.
    if (!fs::is_regular_file(status)) {
        refusal_ = Refusal::NotAFile;
        return;
    }
    QFile f(path_);
    if (!f.open(QIODevice::ReadOnly)) {
        refusal_ = Refusal::NotAFile;
        return;
    }
    if (f.size() > MaxFileSize) {
        refusal_ = Refusal::TooLarge;
        return;
    }
    // Bounded even if the file grew since the size was taken.
    const QByteArray raw = f.read(MaxFileSize + 1);
    if (raw.size() > MaxFileSize) {
        refusal_ = Refusal::TooLarge;
        return;
    }

    QString text;
    const bool le = raw.startsWith("\xFF\xFE");
    const bool be = raw.startsWith("\xFE\xFF");
    if (le || be) {
        impl_->encoding = le ? Encoding::Utf16LE : Encoding::Utf16BE;
        text = fromUtf16(raw, be);
        if (raw.size() % 2 != 0 || text.contains(QChar(0))) {
            refusal_ = Refusal::NotText;
            return;
        }
    } else {
        // A zero byte is no text: read past it would give other values than the Windows program
        // saw, and a save would turn the file into something else.
        if (raw.contains('\0')) {
            refusal_ = Refusal::NotText;
            return;
        }
        // decodeTextFile drops a UTF-8 signature: it has no Windows-1252 form, and written back
        // it would spoil the first line.
        text = decodeTextFile(std::string_view(raw.constData(), static_cast<std::size_t>(raw.size())));
    }
    impl_->lines = splitLines(text, impl_->newline);
    const std::string view = readerView(impl_->lines);
    impl_->ini.LoadData(view.data(), view.size());
}

Profile::~Profile() = default;

Profile::Encoding Profile::encoding() const
{
    return impl_->encoding;
}

bool Profile::hasKey(const QString& section, const QString& key) const
{
    return impl_->ini.GetValue(section.toUtf8().constData(), key.toUtf8().constData(), nullptr) != nullptr;
}

QString Profile::readString(const QString& section, const QString& key, const QString& defaultValue) const
{
    const char* v = impl_->ini.GetValue(section.toUtf8().constData(), key.toUtf8().constData(), nullptr);
    if (!v)
        return defaultValue;
    return unquoted(QString::fromUtf8(v).trimmed());
}

int Profile::readInt(const QString& section, const QString& key, int defaultValue) const
{
    if (!hasKey(section, key))
        return defaultValue;
    const QString v = readString(section, key);
    qsizetype i = 0;
    while (i < v.size() && isIniSpace(v[i]))
        ++i;
    bool negative = false;
    if (i < v.size() && v[i] == QLatin1Char('-')) {
        negative = true;
        ++i;
    }
    std::uint32_t value = 0;
    for (; i < v.size() && v[i] >= QLatin1Char('0') && v[i] <= QLatin1Char('9'); ++i)
        value = value * 10u + static_cast<std::uint32_t>(v[i].unicode() - '0');
    if (negative)
        value = 0u - value;
    return static_cast<int>(value);
}

QStringList Profile::sections() const
{
    CSimpleIniA::TNamesDepend names;
    impl_->ini.GetAllSections(names);
    names.sort(CSimpleIniA::Entry::LoadOrder());
    QStringList out;
    for (const auto& n : names)
        out << QString::fromUtf8(n.pItem);
    return out;
}

QStringList Profile::keys(const QString& section) const
{
    CSimpleIniA::TNamesDepend names;
    impl_->ini.GetAllKeys(section.toUtf8().constData(), names);
    names.sort(CSimpleIniA::Entry::LoadOrder());
    QStringList out;
    for (const auto& n : names)
        out << QString::fromUtf8(n.pItem);
    return out;
}

void Profile::setString(const QString& section, const QString& key, const QString& value)
{
    // A line break inside a value would end the entry early and turn the rest into lines of
    // their own (even into forged keys); a zero character would make the file unreadable.
    QString single = value;
    for (QChar& c : single)
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n') || c == QChar(0))
            c = QLatin1Char(' ');
    const QString trimmed = iniTrimmed(single);
    impl_->ini.SetValue(section.toUtf8().constData(), key.toUtf8().constData(), onDisk(trimmed).toUtf8().constData());
    impl_->pending.push_back({iniTrimmed(section), iniTrimmed(key), trimmed});
}

std::string Profile::serialize() const
{
    return impl_->encode(impl_->withChanges());
}

bool Profile::save()
{
    // A refused file read as empty: writing the few keys set would destroy whatever it holds.
    if (refused())
        return false;
    Lines lines = impl_->withChanges();
    if (!writeWholeFile(path_, impl_->encode(lines)))
        return false;
    impl_->lines = std::move(lines);
    impl_->pending.clear();
    existed_ = true;
    return true;
}

bool Profile::writeString(const QString& section, const QString& key, const QString& value)
{
    setString(section, key, value);
    return save();
}

QString profileRefusalText(Profile::Refusal refusal)
{
    switch (refusal) {
    case Profile::Refusal::None:
        return {};
    case Profile::Refusal::NotAFile:
        return QStringLiteral("not a readable regular file");
    case Profile::Refusal::TooLarge:
        return QStringLiteral("larger than 1 MB");
    case Profile::Refusal::NotText:
        return QStringLiteral("not a text file (zero bytes)");
    }
    return {};
}
