// Profile: SimpleIni reads (names without case); saving edits the file's own lines, so that
// everything a save does not change stays exactly as it was.
#include "platform/Profile.h"

#include "platform/Cp1252.h"

#include <QFile>
#include <QSaveFile>
// We decode and encode the file ourselves (UTF-8 or Windows-1252), so SimpleIni sees UTF-8 only.
#define SI_NO_CONVERSION
#define SI_IMPLEMENTATION
#include <SimpleIni.h>
#include <list>
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

// Sets key in every place a reader could find it (duplicate keys and sections included), so that
// whichever occurrence a reader takes, it sees the new value. A key not present goes after the
// last entry of the first section of that name; a missing section is appended to the file.
void applyToLines(QStringList& lines, const QString& section, const QString& key, const QString& value)
{
    QString current;  // entries before the first section header belong to the unnamed section
    bool replaced = false;
    qsizetype firstSectionHeader = -1;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const LineKind k = classify(lines[i]);
        if (k.kind == LineKind::Section) {
            current = k.name;
            if (firstSectionHeader < 0 && sameName(current, section))
                firstSectionHeader = i;
        } else if (k.kind == LineKind::Key && sameName(current, section) && sameName(k.name, key)) {
            lines[i] = k.name + QLatin1Char('=') + value;
            replaced = true;
        }
    }
    if (replaced)
        return;
    const QString entry = key + QLatin1Char('=') + value;
    if (section.isEmpty() || firstSectionHeader >= 0) {
        // After the last non-blank line of that section (its header, when it is empty).
        qsizetype insertAt = -1;
        qsizetype i = section.isEmpty() ? 0 : firstSectionHeader + 1;
        if (firstSectionHeader >= 0)
            insertAt = firstSectionHeader;
        for (; i < lines.size(); ++i) {
            const LineKind k = classify(lines[i]);
            if (k.kind == LineKind::Section)
                break;
            if (!lines[i].trimmed().isEmpty())
                insertAt = i;
        }
        lines.insert(insertAt + 1, entry);
        return;
    }
    if (!lines.isEmpty() && !lines.back().trimmed().isEmpty())
        lines << QString();
    lines << QLatin1Char('[') + section + QLatin1Char(']') << entry;
}
}  // namespace

struct Profile::Impl {
    CSimpleIniA ini{true /*UTF-8*/, false /*multi-key*/, false /*multi-line*/};
    // The file as it was read (or last saved), line by line: a save edits these lines instead of
    // regenerating the file, so comments, blank lines and everything else stay as they were.
    QStringList lines;
    QString newline = QStringLiteral("\n");
    struct Change {
        QString section, key, value;
    };
    std::vector<Change> pending;
};

Profile::Profile(QString path) : path_(std::move(path)), impl_(std::make_unique<Impl>())
{
    QFile f(path_);
    if (!f.open(QIODevice::ReadOnly))
        return;
    existed_ = true;
    const QByteArray raw = f.readAll();
    // decodeTextFile drops a UTF-8 signature: it has no Windows-1252 form, and written back it
    // would spoil the first line.
    QString text = decodeTextFile(std::string_view(raw.constData(), static_cast<std::size_t>(raw.size())));
    // SimpleIni would stop reading at a zero character while the lines went on past it.
    text.replace(QChar(0), QLatin1Char(' '));
    if (text.contains(QLatin1String("\r\n")))
        impl_->newline = QStringLiteral("\r\n");
    // A line ends at CR, LF or CR LF.
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    impl_->lines = text.split(QLatin1Char('\n'));
    if (!impl_->lines.isEmpty() && impl_->lines.back().isEmpty())
        impl_->lines.removeLast();  // the final line break

    // SimpleIni files the entries after a "[" line without "]" under a section named after the
    // rest of the file; the profile functions keep them in the section they are in. It reads the
    // lines with such headers blanked out.
    QStringList readable = impl_->lines;
    for (QString& line : readable) {
        const QString start = iniTrimmed(line);
        if (start.startsWith(QLatin1Char('[')) && !start.contains(QLatin1Char(']')))
            line.clear();
    }
    const QByteArray utf8 = readable.join(QLatin1Char('\n')).toUtf8();
    impl_->ini.LoadData(utf8.constData(), static_cast<std::size_t>(utf8.size()));
}

Profile::~Profile() = default;

bool Profile::hasKey(const QString& section, const QString& key) const
{
    return impl_->ini.GetValue(section.toUtf8().constData(), key.toUtf8().constData(), nullptr) != nullptr;
}

QString Profile::readString(const QString& section, const QString& key, const QString& defaultValue) const
{
    const char* v = impl_->ini.GetValue(section.toUtf8().constData(), key.toUtf8().constData(), nullptr);
    if (!v)
        return defaultValue;
    return QString::fromUtf8(v).trimmed();
}

int Profile::readInt(const QString& section, const QString& key, int defaultValue) const
{
    const char* v = impl_->ini.GetValue(section.toUtf8().constData(), key.toUtf8().constData(), nullptr);
    if (!v)
        return defaultValue;
    const char* p = v;
    while (*p == ' ' || *p == '\t')
        ++p;
    bool negative = false;
    if (*p == '-') {
        negative = true;
        ++p;
    }
    std::uint32_t value = 0;
    while (*p >= '0' && *p <= '9') {
        value = value * 10u + static_cast<std::uint32_t>(*p - '0');
        ++p;
    }
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
    // their own (even into forged keys).
    QString single = value;
    for (QChar& c : single)
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n'))
            c = QLatin1Char(' ');
    impl_->ini.SetValue(section.toUtf8().constData(), key.toUtf8().constData(), single.toUtf8().constData());
    impl_->pending.push_back({iniTrimmed(section), iniTrimmed(key), iniTrimmed(single)});
}

bool Profile::save()
{
    QStringList lines = impl_->lines;
    for (const Impl::Change& c : impl_->pending)
        applyToLines(lines, c.section, c.key, c.value);
    QString text = lines.join(impl_->newline);
    if (!lines.isEmpty())
        text += impl_->newline;
    // Windows-1252 as the earlier program wrote, unless those bytes would be read back as other
    // text: a save must not change what the next reader sees beyond the keys it set. That happens
    // when the bytes pass as UTF-8 (or begin like its signature), or when a character has no
    // Windows-1252 form; UTF-8 then keeps the text exactly.
    std::string bytes = toCp1252(text);
    if (decodeTextFile(bytes) != text)
        bytes = text.toStdString();
    QSaveFile f(path_);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    if (f.write(bytes.data(), static_cast<qint64>(bytes.size())) != static_cast<qint64>(bytes.size())) {
        f.cancelWriting();
        return false;
    }
    if (!f.commit())
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
