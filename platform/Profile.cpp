// Profile over SimpleIni, which keeps comments and order and compares names without case.
#include "platform/Profile.h"

#include "platform/Cp1252.h"

#include <QFile>
#include <QSaveFile>
// We decode and encode the file ourselves (UTF-8 or Windows-1252), so SimpleIni sees UTF-8 only.
#define SI_NO_CONVERSION
#define SI_IMPLEMENTATION
#include <SimpleIni.h>
#include <list>

struct Profile::Impl {
    CSimpleIniA ini{true /*UTF-8*/, false /*multi-key*/, false /*multi-line*/};
};

Profile::Profile(QString path) : path_(std::move(path)), impl_(std::make_unique<Impl>())
{
    QFile f(path_);
    if (!f.open(QIODevice::ReadOnly))
        return;
    existed_ = true;
    const QByteArray raw = f.readAll();
    const QByteArray utf8 = decodeTextFile(std::string_view(raw.constData(), static_cast<std::size_t>(raw.size()))).toUtf8();
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
    impl_->ini.SetValue(section.toUtf8().constData(), key.toUtf8().constData(), value.toUtf8().constData());
}

bool Profile::save()
{
    std::string utf8;
    if (impl_->ini.Save(utf8) < 0)
        return false;
    const std::string bytes = toCp1252(QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())));
    QSaveFile f(path_);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    if (f.write(bytes.data(), static_cast<qint64>(bytes.size())) != static_cast<qint64>(bytes.size())) {
        f.cancelWriting();
        return false;
    }
    if (!f.commit())
        return false;
    existed_ = true;
    return true;
}

bool Profile::writeString(const QString& section, const QString& key, const QString& value)
{
    setString(section, key, value);
    return save();
}
