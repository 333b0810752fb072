// Loading the two controller libraries by name.
#include "production/ControllerLibraries.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>

namespace {

// Resolves name into fn; false (with the message) when the library lacks it.
template <typename Fn>
bool resolve(QLibrary& lib, const char* name, Fn& fn, const QString& fileName, QString& message)
{
    fn = reinterpret_cast<Fn>(lib.resolve(name));
    if (fn)
        return true;
    message = QStringLiteral("Fehler beim Laden der Funktion '%1' aus der %2").arg(QLatin1String(name), fileName);
    return false;
}

std::unique_ptr<QLibrary> open(const QStringList& folders, const QString& fileName)
{
    for (const QString& folder : folders) {
        const QString path = QDir(folder).filePath(fileName);
        if (!QFileInfo(path).isFile())
            continue;
        auto lib = std::make_unique<QLibrary>(path);
        if (lib->load())
            return lib;
    }
    return nullptr;
}

}  // namespace

QString ControllerLibraries::stblFileName()
{
#if defined(_WIN32)
    return QStringLiteral("STBLLIB.dll");
#else
    return QStringLiteral("libSTBLLIB.so");
#endif
}

QString ControllerLibraries::filesFileName()
{
#if defined(_WIN32)
    return QStringLiteral("FILES.dll");
#else
    return QStringLiteral("libFILES.so");
#endif
}

QStringList ControllerLibraries::defaultFolders()
{
    QStringList folders;
    if (QCoreApplication::instance())
        folders << QCoreApplication::applicationDirPath();
#ifdef PRESSDIAG_PRIVATE_LIBDIR
    folders << QStringLiteral(PRESSDIAG_PRIVATE_LIBDIR);
#endif
    return folders;
}

ControllerLibraries::ControllerLibraries(QStringList folders) : folders_(std::move(folders)) {}

ControllerLibraries::~ControllerLibraries() { unload(); }

void ControllerLibraries::unload()
{
    if (stblLib_)
        stblLib_->unload();
    if (filesLib_)
        filesLib_->unload();
    stblLib_.reset();
    filesLib_.reset();
    stbl = {};
    files = {};
    loaded_ = false;
}

std::optional<QString> ControllerLibraries::load()
{
    if (loaded_)
        return std::nullopt;
    const QString stblName = stblFileName(), filesName = filesFileName();
    stblLib_ = open(folders_, stblName);
    if (!stblLib_) {
        unload();
        return QStringLiteral("%1 nicht geladen").arg(stblName);
    }
    filesLib_ = open(folders_, filesName);
    if (!filesLib_) {
        unload();
        return QStringLiteral("%1 nicht geladen").arg(filesName);
    }
    QString m;
    QLibrary& s = *stblLib_;
    QLibrary& f = *filesLib_;
    const bool ok =
        resolve(s, "SetCOMSettings", stbl.SetCOMSettings, stblName, m) && resolve(s, "COM_Open", stbl.COM_Open, stblName, m) &&
        resolve(s, "SetTimeOut", stbl.SetTimeOut, stblName, m) && resolve(s, "STBL_Init_BL", stbl.STBL_Init_BL, stblName, m) &&
        resolve(s, "STBL_GET", stbl.STBL_GET, stblName, m) &&
        resolve(s, "STBL_READOUT_PERM_UNPROTECT", stbl.STBL_READOUT_PERM_UNPROTECT, stblName, m) &&
        resolve(s, "STBL_ERASE", stbl.STBL_ERASE, stblName, m) && resolve(s, "STBL_DNLOAD", stbl.STBL_DNLOAD, stblName, m) &&
        resolve(s, "STBL_GO", stbl.STBL_GO, stblName, m) && resolve(s, "COM_Close", stbl.COM_Close, stblName, m) &&
        resolve(s, "STBL_READOUT_PROTECT", stbl.STBL_READOUT_PROTECT, stblName, m) &&
        resolve(s, "STBL_WRITE_PERM_UNPROTECT", stbl.STBL_WRITE_PERM_UNPROTECT, stblName, m) &&
        resolve(s, "SetCOMDevice", stbl.SetCOMDevice, stblName, m) && resolve(s, "STBL_READ", stbl.STBL_READ, stblName, m) &&
        resolve(s, "STBL_SetTransport", stbl.STBL_SetTransport, stblName, m) &&
        resolve(f, "FILES_ImageFromFile", files.FILES_ImageFromFile, filesName, m) &&
        resolve(f, "FILES_GetImageNbElement", files.FILES_GetImageNbElement, filesName, m) &&
        resolve(f, "FILES_GetImageElement", files.FILES_GetImageElement, filesName, m) &&
        resolve(f, "FILES_CreateImage", files.FILES_CreateImage, filesName, m) &&
        resolve(f, "FILES_CreateImageFromMapping", files.FILES_CreateImageFromMapping, filesName, m) &&
        resolve(f, "FILES_FilterImageForOperation", files.FILES_FilterImageForOperation, filesName, m) &&
        resolve(f, "FILES_SetImageName", files.FILES_SetImageName, filesName, m) &&
        resolve(f, "FILES_SetImageElement", files.FILES_SetImageElement, filesName, m) &&
        resolve(f, "FILES_DestroyImage", files.FILES_DestroyImage, filesName, m);
    if (!ok) {
        unload();
        return m;
    }
    loaded_ = true;
    return std::nullopt;
}
